// The main window's procedure and the close procedure that runs when the
// user closes the window.
#include "app/shell_state.h"

#include <commctrl.h>

#include "gxt/gxt.h"
#include "preview/preview_pane_win32.h"
#include "settings/settings_keys.h"

namespace {

void backColorChanged() {
    HBRUSH brush = CreateSolidBrush(gSettings.mainBack);
    if (!brush) return;  // the lists keep their old background
    if (gShell.listBrush) DeleteObject(gShell.listBrush);
    gShell.listBrush = brush;
    SendMessageA(gShell.entryList, LVM_SETBKCOLOR, 0, (LPARAM)gSettings.mainBack);
    InvalidateRect(gShell.tableList, nullptr, TRUE);
    InvalidateRect(gShell.entryList, nullptr, TRUE);
}

void showSelected() {
    int32_t row = selectionMark();
    showPreviewText(row >= 0 ? rowText((uint32_t)row) : nullptr);
}

// The placement as the window has it now; a minimised window keeps what
// the layout last recorded, a maximised one its last restored rectangle.
void recordPlacement() {
    HWND window = gShell.mainWindow;
    if (IsIconic(window)) return;
    gSettings.maximized = (GetWindowLongPtrA(window, GWL_STYLE) & WS_MAXIMIZE) ? 1 : 0;
    if (gSettings.maximized) return;
    RECT r;
    if (!GetWindowRect(window, &r)) return;
    gSettings.posX = r.left;
    gSettings.posY = r.top;
    gSettings.width = r.right - r.left;
    gSettings.height = r.bottom - r.top;
}

}  // namespace

void closeMainWindow() {
    if (!closeDocumentWithQuestions()) return;
    recordPlacement();
    gSettings.colNameWidth = (int32_t)SendMessageA(gShell.entryList, LVM_GETCOLUMNWIDTH, 0, 0);
    writeWindowSettings(&gSettings);
    DestroyWindow(gShell.mainWindow);
    if (gDisplay.mainFont) DeleteObject(gDisplay.mainFont);
    gDisplay.mainFont = nullptr;
    if (gShell.listBrush) DeleteObject(gShell.listBrush);
    gShell.listBrush = nullptr;
    destroyDocumentHeap();
}

LRESULT CALLBACK mainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_CREATE:
        createPanes(window);
        return 0;
    case WM_DESTROY:
        if (gShell.mainWindow == window) gShell.mainWindow = nullptr;
        PostQuitMessage(0);
        return 0;
    case WM_SIZE:
        layoutPanes(wParam, 1);
        return 0;
    case WM_SETFOCUS:
        SetFocus(gShell.lastFocusedList);
        return 0;
    case WM_CLOSE:
        closeMainWindow();
        return 0;
    case WM_NOTIFY:
        return notifyEntryList(reinterpret_cast<NMHDR*>(lParam));
    case WM_COMMAND:
        dispatchCommand(wParam);
        return 0;
    case WM_CTLCOLORLISTBOX: {
        HDC dc = (HDC)wParam;
        SetTextColor(dc, gSettings.mainText);
        SetBkColor(dc, gSettings.mainBack);
        return (LRESULT)gShell.listBrush;
    }
    case MSG_BACK_COLOR_CHANGED:
        backColorChanged();
        return 0;
    case MSG_TEXT_COLOR_CHANGED:
        InvalidateRect(gShell.tableList, nullptr, TRUE);
        InvalidateRect(gShell.entryList, nullptr, TRUE);
        return 0;
    case MSG_HASH_COLOR_CHANGED:
        InvalidateRect(gShell.entryList, nullptr, TRUE);
        return 0;
    case MSG_SHOW_SELECTED:
        showSelected();
        return 0;
    default:
        break;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}
