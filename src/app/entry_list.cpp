// The entry list's notifications (texts on demand, colours, clicks and
// keys) and the table list's selection.
#include "app/shell_state.h"

#include <commctrl.h>

#include "gxt/gxt.h"
#include "resources/resource.h"

namespace {

// Header notifications come in the list's character set; both forms carry
// the same NMHEADER fields that are read here. Some list views pass on only
// the end of a drag (sent before the header takes the new width, which the
// notification carries), others the change itself.
constexpr UINT kHeaderItemChangedA = HDN_ITEMCHANGEDA;  // -301
constexpr UINT kHeaderItemChangedW = HDN_ITEMCHANGEDW;  // -321
constexpr UINT kHeaderEndTrackA = HDN_ENDTRACKA;        // -307
constexpr UINT kHeaderEndTrackW = HDN_ENDTRACKW;        // -327

void keyColumnResized(const NMHEADERA* header, bool widthInItem) {
    if (header->iItem != 0) return;
    RECT r;
    GetWindowRect(gShell.entryList, &r);
    int32_t keyWidth = (int32_t)SendMessageA(gShell.entryList, LVM_GETCOLUMNWIDTH, 0, 0);
    if (widthInItem && header->pitem && (header->pitem->mask & HDI_WIDTH)) keyWidth = header->pitem->cxy;
    const int32_t textWidth = (r.right - r.left) - keyWidth - scrollAllowance();
    SendMessageA(gShell.entryList, LVM_SETCOLUMNWIDTH, 1, MAKELPARAM((WORD)textWidth, 0));
}

void supplyText(NMLVDISPINFOA* info) {
    LVITEMA& item = info->item;
    if (!(item.mask & LVIF_TEXT)) return;
    const uint32_t row = (uint32_t)item.iItem;
    const char* text = nullptr;
    if (item.iSubItem == 0) {
        text = rowKeyName(row);
        if (!text) text = rowHashName(row);
    } else if (gShell.selectedTableRow >= 0 || gShell.stringListView) {
        text = rowText(row);
    }
    // The list only reads the text; the document owns it.
    if (text) item.pszText = const_cast<char*>(text);
}

LRESULT customDraw(NMLVCUSTOMDRAW* draw) {
    switch (draw->nmcd.dwDrawStage) {
    case CDDS_PREPAINT:
    case CDDS_PREERASE:
        draw->clrTextBk = gSettings.mainBack;
        return CDRF_NOTIFYITEMDRAW;
    case CDDS_ITEMPREPAINT:
        draw->clrText = gSettings.mainText;
        draw->clrTextBk = gSettings.mainBack;
        return CDRF_NOTIFYSUBITEMDRAW;
    case CDDS_ITEMPREPAINT | CDDS_SUBITEM:
        draw->clrTextBk = gSettings.mainBack;
        if (draw->iSubItem == 0 && !rowKeyName((uint32_t)draw->nmcd.dwItemSpec)) {
            draw->clrText = gSettings.mainHash;
        } else {
            draw->clrText = gSettings.mainText;
        }
        return CDRF_DODEFAULT;
    default:
        return CDRF_DODEFAULT;
    }
}

void sendCommandForSelection(UINT command) {
    if (selectedRow() >= 0) SendMessageA(gShell.mainWindow, WM_COMMAND, command, 0);
}

// No row selected, focused or marked: what was marked in another table
// names nothing in this one. Only the rows that have a state are cleared,
// not every row of a table that may hold 65535.
void clearEntrySelection() {
    const UINT states[] = {LVNI_SELECTED, LVNI_FOCUSED};
    for (UINT which : states) {
        const WPARAM row = (WPARAM)SendMessageA(gShell.entryList, LVM_GETNEXTITEM, (WPARAM)-1, which);
        if ((int32_t)row < 0) continue;
        LVITEMA item = {};
        item.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
        SendMessageA(gShell.entryList, LVM_SETITEMSTATE, row, (LPARAM)&item);
    }
    SendMessageA(gShell.entryList, LVM_SETSELECTIONMARK, 0, -1);
}

}  // namespace

int32_t selectionMark() { return (int32_t)SendMessageA(gShell.entryList, LVM_GETSELECTIONMARK, 0, 0); }

int32_t selectedRow() {
    const int32_t mark = selectionMark();
    if (mark < 0 || mark >= (int32_t)SendMessageA(gShell.entryList, LVM_GETITEMCOUNT, 0, 0)) return -1;
    if (!(SendMessageA(gShell.entryList, LVM_GETITEMSTATE, (WPARAM)mark, LVIS_SELECTED) & LVIS_SELECTED)) return -1;
    return mark;
}

HWND listForFocus() { return gShell.stringListView ? gShell.entryList : gShell.lastFocusedList; }

void setEntryCount(uint32_t count) { SendMessageA(gShell.entryList, LVM_SETITEMCOUNT, count, 0); }

void invalidateEntryList(BOOL erase) { InvalidateRect(gShell.entryList, nullptr, erase); }

LRESULT notifyEntryList(NMHDR* header) {
    if (!header) return 0;
    switch (header->code) {
    case kHeaderItemChangedA:
    case kHeaderItemChangedW:
        keyColumnResized(reinterpret_cast<NMHEADERA*>(header), false);
        return 0;
    case kHeaderEndTrackA:
    case kHeaderEndTrackW:
        keyColumnResized(reinterpret_cast<NMHEADERA*>(header), true);
        return 0;
    case LVN_KEYDOWN:
    case NM_CLICK:
        if (selectionMark() >= 0) PostMessageA(gShell.mainWindow, MSG_SHOW_SELECTED, 0, 0);
        return 0;
    case LVN_GETDISPINFOA:
        supplyText(reinterpret_cast<NMLVDISPINFOA*>(header));
        return 0;
    case NM_CUSTOMDRAW:
        return customDraw(reinterpret_cast<NMLVCUSTOMDRAW*>(header));
    case NM_SETFOCUS:
        gShell.lastFocusedList = header->hwndFrom;
        return 0;
    case NM_RCLICK:
        sendCommandForSelection(IDM_GUESS_ID);
        return 0;
    case NM_DBLCLK:
        sendCommandForSelection(IDM_MODIFY_STRING);
        return 0;
    default:
        return 0;
    }
}

void tableListNotification(uint32_t code) {
    switch (code) {
    case LBN_SELCHANGE: {
        gShell.selectedTableRow = (int32_t)SendMessageA(gShell.tableList, LB_GETCURSEL, 0, 0);
        // The worker must have finished before any entry is read; if it
        // failed, the document is gone and the window says so.
        waitIndexWorker();
        if (!checkDocumentIndexed()) return;
        if (selectTable((uint32_t)gShell.selectedTableRow)) {
            clearEntrySelection();
            setEntryCount(rowCount());
        }
        break;
    }
    case LBN_SETFOCUS:
        gShell.lastFocusedList = gShell.tableList;
        break;
    default:
        break;
    }
}
