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

// The rectangle the window returns to when restored, in screen coordinates.
// The placement gives it in workspace coordinates (relative to the work area
// of the window's monitor) for every window that is not a tool window.
bool restoredRect(HWND window, RECT* r) {
    WINDOWPLACEMENT placement = {};
    placement.length = sizeof placement;
    if (!GetWindowPlacement(window, &placement)) return false;
    *r = placement.rcNormalPosition;
    if (GetWindowLongPtrA(window, GWL_EXSTYLE) & WS_EX_TOOLWINDOW) return true;
    MONITORINFO monitor = {};
    monitor.cbSize = sizeof monitor;
    if (GetMonitorInfoA(MonitorFromWindow(window, MONITOR_DEFAULTTONEAREST), &monitor))
        OffsetRect(r, monitor.rcWork.left - monitor.rcMonitor.left, monitor.rcWork.top - monitor.rcMonitor.top);
    return true;
}

// The placement as the window has it now. A minimised or maximised window
// keeps its restored rectangle, wherever it was moved since the layout last
// recorded one (a move alone records nothing); a minimised one also keeps
// whether it was maximised.
void recordPlacement() {
    HWND window = gShell.mainWindow;
    const bool minimised = IsIconic(window);
    if (!minimised) gSettings.maximized = (GetWindowLongPtrA(window, GWL_STYLE) & WS_MAXIMIZE) ? 1 : 0;
    RECT r;
    if (minimised || gSettings.maximized) {
        if (!restoredRect(window, &r)) return;
    } else if (!GetWindowRect(window, &r)) {
        return;
    }
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
        SetFocus(listForFocus());
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
