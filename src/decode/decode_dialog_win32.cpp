// The decode-table dialog: the 224 slots of the decode table as a grid of
// 16 columns by 14 rows, each cell editable in place; Load and Save read
// and write .tbl files through the shell's import and export commands, and
// Apply decodes the open document again with the table as it now stands.
// The grid edits the decode table as the user edits it; the document's
// text, and the table that saving encodes edited texts through, change only
// on Apply (or Load, which applies by itself).
#include <windows.h>
#include <commctrl.h>

#include "app/shell_state.h"
#include "decode/decode_table.h"
#include "dialogs/dialog_common.h"
#include "dialogs/dialogs.h"
#include "gxt/gxt.h"
#include "resources/resource.h"

namespace {

// The dialog tells the editor whom to notify (lParam: the dialog); the
// editor asks the dialog to close it (wParam 1 commit, 0 cancel).
constexpr UINT MSG_CELL_EDIT_OWNER = 1041;
constexpr UINT MSG_CELL_EDIT_DONE = 1042;

constexpr int kGridColumns = 16;
constexpr int kGridRows = kDecodeSlots / kGridColumns;  // 14
constexpr int kFirstCode = 32;
constexpr int kEditorTextSize = 4;

struct DecodeDialogState {
    HWND gridList;
    int32_t cellWidth;
    HWND cellEditor;        // the in-place editor while one is open
    WNDPROC editorPrevProc; // its own procedure, replaced while it is open
    HWND editorOwner;       // the dialog it notifies
    int32_t editRow;
    int32_t editColumn;
};

DecodeDialogState gDecode;

char* slotText(int row, int column) {
    return reinterpret_cast<char*>(&gDecodeTable.slots[kGridColumns * row + column]);
}

LRESULT CALLBACK cellEditorProc(HWND editor, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_GETDLGCODE:
        // Enter and Escape are the editor's, not the dialog's.
        return DLGC_WANTALLKEYS;
    case WM_KEYDOWN:
    case WM_CHAR:
        if (wParam == VK_RETURN || wParam == VK_ESCAPE) {
            PostMessageA(gDecode.editorOwner, MSG_CELL_EDIT_DONE, wParam == VK_RETURN ? 1 : 0, 0);
            return 0;
        }
        break;
    case WM_KILLFOCUS:
        // Clicking elsewhere commits.
        PostMessageA(gDecode.editorOwner, MSG_CELL_EDIT_DONE, 1, 0);
        break;
    case MSG_CELL_EDIT_OWNER:
        gDecode.editorOwner = (HWND)lParam;
        return 0;
    default:
        break;
    }
    return CallWindowProcA(gDecode.editorPrevProc, editor, message, wParam, lParam);
}

// Closes the open editor, assigning its character to its cell's code when
// committing. Nothing happens when no editor is open (Enter and Escape
// each arrive twice, as a key and as a character).
void closeCellEditor(bool commit) {
    HWND editor = gDecode.cellEditor;
    if (!editor) return;
    char text[kEditorTextSize] = {};
    GetWindowTextA(editor, text, kEditorTextSize);
    if (commit && text[0]) {
        // assign ignores characters below 32 and exchanges the two slots
        // concerned; the repaint shows both cells.
        const uint8_t code = (uint8_t)(kFirstCode + kGridColumns * gDecode.editRow + gDecode.editColumn);
        decodeTable::assign(code, (uint8_t)text[0]);
        InvalidateRect(gDecode.gridList, nullptr, FALSE);
    }
    SetWindowLongPtrA(editor, GWLP_WNDPROC, (LONG_PTR)gDecode.editorPrevProc);
    gDecode.cellEditor = nullptr;
    gDecode.editorPrevProc = nullptr;
    if (GetFocus() == editor) SetFocus(gDecode.gridList);
    DestroyWindow(editor);
}

void openCellEditor(HWND dialog, int item, int subItem) {
    // Below the last row, or outside the columns, there is no cell.
    if (item < 0 || item >= kGridRows || subItem < 0 || subItem >= kGridColumns) return;
    closeCellEditor(true);
    gDecode.editRow = item;
    gDecode.editColumn = subItem;

    RECT cell = {};
    cell.left = LVIR_BOUNDS;
    if (subItem == 0) {
        SendMessageA(gDecode.gridList, LVM_GETITEMRECT, (WPARAM)item, (LPARAM)&cell);
    } else {
        cell.top = subItem;
        SendMessageA(gDecode.gridList, LVM_GETSUBITEMRECT, (WPARAM)item, (LPARAM)&cell);
    }
    if (cell.top > 0) cell.top -= 2;

    HWND editor = CreateWindowExA(0, "EDIT", nullptr, WS_CHILD | WS_VISIBLE | WS_BORDER, cell.left, cell.top,
                                  gDecode.cellWidth + 1, gDisplay.sampleHeight + 4, gDecode.gridList, nullptr,
                                  gShell.instance, nullptr);
    if (!editor) return;
    SendMessageA(editor, EM_LIMITTEXT, 1, 0);
    SendMessageA(editor, WM_SETFONT, (WPARAM)gDisplay.mainFont, TRUE);
    gDecode.editorPrevProc = (WNDPROC)SetWindowLongPtrA(editor, GWLP_WNDPROC, (LONG_PTR)cellEditorProc);
    gDecode.cellEditor = editor;
    SendMessageA(editor, MSG_CELL_EDIT_OWNER, 0, (LPARAM)dialog);
    // Typing one character replaces the one shown.
    SetWindowTextA(editor, slotText(item, subItem));
    SendMessageA(editor, EM_SETSEL, 0, 1);
    SetFocus(editor);
}

LRESULT customDraw(NMLVCUSTOMDRAW* draw) {
    switch (draw->nmcd.dwDrawStage) {
    case CDDS_PREPAINT:
        return CDRF_NOTIFYITEMDRAW;
    case CDDS_ITEMPREPAINT:
    case CDDS_ITEMPREPAINT | CDDS_SUBITEM:
        // Every cell in the entry list's colours.
        draw->clrText = gSettings.mainText;
        draw->clrTextBk = gSettings.mainBack;
        return draw->nmcd.dwDrawStage == CDDS_ITEMPREPAINT ? CDRF_NOTIFYSUBITEMDRAW : CDRF_DODEFAULT;
    default:
        return CDRF_DODEFAULT;
    }
}

void gridNotification(HWND dialog, NMHDR* header) {
    switch (header->code) {
    case LVN_GETDISPINFOA: {
        LVITEMA& item = reinterpret_cast<NMLVDISPINFOA*>(header)->item;
        if ((item.mask & LVIF_TEXT) && item.iItem >= 0 && item.iItem < kGridRows && item.iSubItem >= 0 &&
            item.iSubItem < kGridColumns)
            item.pszText = slotText(item.iItem, item.iSubItem);
        break;
    }
    case NM_CUSTOMDRAW:
        SetWindowLongPtrA(dialog, DWLP_MSGRESULT, customDraw(reinterpret_cast<NMLVCUSTOMDRAW*>(header)));
        break;
    case NM_DBLCLK: {
        const NMITEMACTIVATE* click = reinterpret_cast<NMITEMACTIVATE*>(header);
        openCellEditor(dialog, click->iItem, click->iSubItem);
        break;
    }
    default:
        break;
    }
}

void initDecodeDialog(HWND dialog) {
    DecodeDialogState& s = gDecode;
    s.gridList = GetDlgItem(dialog, IDC_DECODE_GRID);
    RECT client = {};
    GetClientRect(s.gridList, &client);
    const int32_t scrollRoom = GetSystemMetrics(SM_CXVSCROLL) + 2 * GetSystemMetrics(SM_CXEDGE);
    s.cellWidth = (client.right - client.left - scrollRoom) / kGridColumns;

    SendMessageA(s.gridList, LVM_SETEXTENDEDLISTVIEWSTYLE, 0, LVS_EX_GRIDLINES | LVS_EX_FULLROWSELECT);
    SendMessageA(s.gridList, WM_SETFONT, (WPARAM)gDisplay.mainFont, TRUE);
    SendMessageA(s.gridList, LVM_SETBKCOLOR, 0, (LPARAM)gSettings.mainBack);
    for (int column = 0; column < kGridColumns; ++column) {
        LVCOLUMNA c = {};
        c.mask = LVCF_WIDTH;
        c.cx = s.cellWidth;
        SendMessageA(s.gridList, LVM_INSERTCOLUMNA, (WPARAM)column, (LPARAM)&c);
    }
    SendMessageA(s.gridList, LVM_SETITEMCOUNT, kGridRows, 0);
}

void applyTable() {
    waitIndexWorker();
    redecodeDocument();
    invalidateEntryList(FALSE);
    PostMessageA(gShell.mainWindow, MSG_SHOW_SELECTED, 0, 0);
}

INT_PTR CALLBACK decodeDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    // Closing discards an edit still open.
    if (message == WM_CLOSE) closeCellEditor(false);
    if (handleDialogClose(dialog, message, wParam)) return TRUE;
    switch (message) {
    case WM_INITDIALOG:
        initDecodeDialog(dialog);
        return TRUE;
    case WM_NOTIFY: {
        NMHDR* header = reinterpret_cast<NMHDR*>(lParam);
        if (header && header->idFrom == IDC_DECODE_GRID) gridNotification(dialog, header);
        return TRUE;
    }
    case MSG_CELL_EDIT_DONE:
        closeCellEditor(wParam == 1);
        return TRUE;
    case WM_COMMAND:
        switch (LOWORD(wParam)) {
        case IDC_DECODE_LOAD:
            importDecodeTable(nullptr);
            InvalidateRect(gDecode.gridList, nullptr, FALSE);
            SetFocus(dialog);
            return TRUE;
        case IDC_DECODE_SAVE:
            exportDecodeTable(nullptr);
            SetFocus(dialog);
            return TRUE;
        case IDC_DECODE_APPLY:
            applyTable();
            return TRUE;
        default:
            return FALSE;
        }
    default:
        return FALSE;
    }
}

}  // namespace

void runDecodeTableDialog() {
    gDecode = {};
    runModalDialog(IDD_DECODE_TABLE, decodeDialogProc);
    gDecode = {};
}
