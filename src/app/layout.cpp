// The main window's panes: creating them, laying them out, and keeping the
// title, the menu's enabled items and the window icon in step with the
// document.
#include "app/shell_state.h"

#include <commctrl.h>

#include "gxt/gxt.h"
#include "preview/preview_pane_win32.h"
#include "preview/preview_state.h"
#include "resources/resource.h"
#include "support/text.h"

namespace {

constexpr DWORD kEntryListStyle = 0x50019005;  // child, visible, tab stop, report, single
                                               // selection, always shows it, owner data,
                                               // no sorting header
constexpr DWORD kTableListStyle = 0x50210101;  // child, visible, vertical scroll bar, tab
                                               // stop, notify, no integral height
constexpr DWORD kPreviewStyle = 0x50010000;    // child, visible, tab stop
constexpr uint32_t kColumnTextLimit = 31;
constexpr uint32_t kTitleNameLimit = 48;
constexpr uint32_t kTitleSuffixLimit = 14;

HWND createChild(HWND parent, const char* className, const char* text, DWORD style, int x, int y, int width,
                 int height, int id) {
    return CreateWindowExA(WS_EX_CLIENTEDGE, className, text, style, x, y, width, height, parent,
                           (HMENU)(INT_PTR)id, gShell.instance, nullptr);
}

void insertColumn(int index, int width, char* header) {
    LVCOLUMNA column = {};
    column.mask = LVCF_WIDTH | LVCF_TEXT;
    column.cx = width;
    column.pszText = header;
    column.cchTextMax = kColumnTextLimit;
    SendMessageA(gShell.entryList, LVM_INSERTCOLUMNA, (WPARAM)index, (LPARAM)&column);
}

void place(HWND window, int x, int y, int width, int height) {
    SetWindowPos(window, nullptr, x, y, width, height, SWP_NOZORDER);
}

void recordWindowRect() {
    RECT r;
    if (!GetWindowRect(gShell.mainWindow, &r)) return;
    gSettings.posX = r.left;
    gSettings.posY = r.top;
    gSettings.width = r.right - r.left;
    gSettings.height = r.bottom - r.top;
}

void setMenuItem(UINT id, bool enabled) {
    EnableMenuItem(gShell.menu, id, MF_BYCOMMAND | (enabled ? MF_ENABLED : MF_GRAYED));
}

}  // namespace

int32_t scrollAllowance() { return GetSystemMetrics(SM_CXVSCROLL) + 2 * GetSystemMetrics(SM_CXEDGE); }

int32_t tableListWidth() { return (int32_t)(15 * gDisplay.avgCharWidth / 2) + scrollAllowance() + 4; }

void createPanes(HWND window) {
    gShell.mainWindow = window;
    gShell.menu = GetMenu(window);
    createFonts();
    gShell.listBrush = CreateSolidBrush(gSettings.mainBack);

    gShell.entryList = createChild(window, WC_LISTVIEWA, "lv", kEntryListStyle, 16, 16, 192, 192, IDC_ENTRY_LIST);
    SendMessageA(gShell.entryList, LVM_SETEXTENDEDLISTVIEWSTYLE, 0, LVS_EX_FULLROWSELECT);
    SendMessageA(gShell.entryList, WM_SETFONT, (WPARAM)gDisplay.mainFont, 1);
    SendMessageA(gShell.entryList, LVM_SETBKCOLOR, 0, (LPARAM)gSettings.mainBack);
    insertColumn(0, gSettings.colNameWidth, gShell.strings.columnKey);
    insertColumn(1, 100, gShell.strings.columnString);

    gShell.tableList = createChild(window, "listbox", "lb", kTableListStyle, 16, 16, 64, 256, IDC_TABLE_LIST);
    SendMessageA(gShell.tableList, WM_SETFONT, (WPARAM)gDisplay.mainFont, 1);
    gShell.selectedTableRow = -1;

    gShell.previewPane = createChild(window, kPreviewClassName, "gv", kPreviewStyle, 16, 16, 256, 64, IDC_PREVIEW);
    PostMessageA(gShell.previewPane, MSG_PREVIEW_BACK_CHANGED, 0, 0);
    updateMenuAndIcon();
}

void layoutPanes(WPARAM sizeType, int trackPlacement) {
    if (!gShell.mainWindow) return;
    const int32_t s = scrollAllowance();
    RECT client;
    GetClientRect(gShell.mainWindow, &client);
    const int32_t w = client.right;
    const int32_t h = client.bottom;
    if (trackPlacement) {
        switch (sizeType) {
        case SIZE_MINIMIZED:
            return;
        case SIZE_MAXIMIZED:
            gSettings.maximized = 1;
            break;
        case SIZE_RESTORED:
            gSettings.maximized = 0;
            recordWindowRect();
            break;
        default:
            if (!gSettings.maximized) recordWindowRect();
            break;
        }
    }
    const int32_t paneHeight = previewPaneHeight(gDisplay.previewHeight, gDisplay.previewLeading);
    place(gShell.previewPane, 0, 0, w, paneHeight);
    const int32_t top = paneHeight + 2;
    const int32_t listHeight = h - top;
    int32_t left = 0;
    if (!gShell.stringListView) {
        const int32_t tableWidth = tableListWidth();
        place(gShell.tableList, 0, top, tableWidth, listHeight);
        left = tableWidth + 2;
    }
    const int32_t keyWidth = (int32_t)SendMessageA(gShell.entryList, LVM_GETCOLUMNWIDTH, 0, 0);
    const int32_t textWidth = (w - left) - s - keyWidth;
    SendMessageA(gShell.entryList, LVM_SETCOLUMNWIDTH, 1, MAKELPARAM((WORD)textWidth, 0));
    place(gShell.entryList, left, top, w - left, listHeight);
    InvalidateRect(gShell.entryList, nullptr, TRUE);
}

void setTitle(const char* name) {
    char* title = gShell.title;
    for (uint32_t i = 0; i < kTitleSize; ++i) title[i] = 0;
    if (name) {
        // At most 48 characters of the name and 14 of the suffix.
        copyBounded(title, name, kTitleNameLimit);
        uint32_t n = textLength(title);
        copyBounded(title + n, gShell.strings.titleSuffix, kTitleSuffixLimit);
    } else {
        copyBounded(title, gShell.strings.appName, kTitleSize - 1);
    }
    SendMessageA(gShell.mainWindow, WM_SETTEXT, 0, (LPARAM)title);
}

HICON* currentIcons() {
    switch (gDocument.formatVariant) {
    case '0': return gShell.variantIcons[0];
    case '1': return gShell.variantIcons[1];
    case '2': return gShell.variantIcons[2];
    case '@': return gShell.variantIcons[3];
    default: return gShell.noDocumentIcons;
    }
}

void updateMenuAndIcon() {
    const bool loaded = gDocument.loaded;
    const UINT withDocument[] = {IDM_SAVE_GXT_AS,     IDM_CLOSE_GXT,   IDM_OPEN_STRING_LIST, IDM_CLOSE_STRING_LIST,
                                 IDM_IMPORT_TEXT,     IDM_EXPORT_ID_LIST, IDM_EXPORT_TEXT,   IDM_MODIFY_STRING,
                                 IDM_FIND,            IDM_FIND_NEXT};
    for (UINT id : withDocument) setMenuItem(id, loaded);
    const bool hashed = gDocument.keyScheme == '@';
    setMenuItem(IDM_IMPORT_ID_LIST, hashed);
    setMenuItem(IDM_GUESS_ID, hashed);

    HICON* icons = currentIcons();
    SendMessageA(gShell.mainWindow, WM_SETICON, ICON_BIG, (LPARAM)icons[ICON_32]);
    SendMessageA(gShell.mainWindow, WM_SETICON, ICON_SMALL, (LPARAM)icons[ICON_16]);
}
