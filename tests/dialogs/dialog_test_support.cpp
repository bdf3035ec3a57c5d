#include "dialog_test_support.h"

#include <commctrl.h>

#include "gxt/gxt.h"
#include "support/text.h"

void pumpDialog(HWND dialog) {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) {
            PostQuitMessage((int)msg.wParam);
            return;
        }
        if (IsWindow(dialog) && IsDialogMessageA(dialog, &msg)) continue;
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
}

void typeText(HWND dialog, HWND control, const std::string& text) {
    for (char c : text) {
        PostMessageA(control, WM_CHAR, (WPARAM)(unsigned char)c, 1);
        pumpDialog(dialog);
    }
}

void pressKey(HWND dialog, HWND control, WORD key) {
    const LPARAM scan = (LPARAM)MapVirtualKeyA(key, MAPVK_VK_TO_VSC) << 16;
    PostMessageA(control, WM_KEYDOWN, key, scan | 1);
    PostMessageA(control, WM_KEYUP, key, scan | 1 | (3u << 30));
    pumpDialog(dialog);
}

void mouseAt(HWND dialog, HWND window, POINT point, DWORD button) {
    ClientToScreen(window, &point);
    const double width = GetSystemMetrics(SM_CXSCREEN) - 1, height = GetSystemMetrics(SM_CYSCREEN) - 1;
    INPUT input = {};
    input.type = INPUT_MOUSE;
    input.mi.dx = (LONG)(point.x * 65535.0 / width + 0.5);
    input.mi.dy = (LONG)(point.y * 65535.0 / height + 0.5);
    input.mi.dwFlags = MOUSEEVENTF_ABSOLUTE | MOUSEEVENTF_MOVE | button;
    SendInput(1, &input, sizeof input);
    // The input reaches the thread through the system's queue.
    for (int i = 0; i < 8; ++i) {
        Sleep(5);
        pumpDialog(dialog);
    }
}

void clickAt(HWND dialog, HWND window, POINT point) {
    mouseAt(dialog, window, point, MOUSEEVENTF_LEFTDOWN);
    mouseAt(dialog, window, point, MOUSEEVENTF_LEFTUP);
}

void doubleClickAt(HWND dialog, HWND window, POINT point) {
    clickAt(dialog, window, point);
    clickAt(dialog, window, point);
}

std::string windowString(HWND window) {
    char text[8192] = {};
    GetWindowTextA(window, text, sizeof text);
    return text;
}

std::string itemString(HWND dialog, int id) { return windowString(GetDlgItem(dialog, id)); }

std::string hashText(uint32_t hash) {
    char text[9];
    numberToText(text, hash, 8, 16);
    return text;
}

void DialogTest::openGenerated(const GenDocument& doc, const std::string& name) {
    const std::vector<uint8_t> bytes = generateGxt(doc);
    const std::string path = dir.file(name);
    ASSERT_TRUE(writeFile(path, std::string(bytes.begin(), bytes.end())));
    ASSERT_EQ(open(path), 1);
    pickTable(0);
    ASSERT_EQ(gShell.selectedTableRow, 0);
}

void DialogTest::markRow(int row) {
    LVITEMA item = {};
    item.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
    item.state = row >= 0 ? item.stateMask : 0;
    SendMessageA(gShell.entryList, LVM_SETITEMSTATE, row >= 0 ? (WPARAM)row : (WPARAM)-1, (LPARAM)&item);
    SendMessageA(gShell.entryList, LVM_SETSELECTIONMARK, 0, row);
    ASSERT_EQ(selectionMark(), row);
}

void DialogTest::onDialog(std::function<void(HWND dialog)> action) {
    driver.then([action](HWND dialog) {
        action(dialog);
        if (IsWindow(dialog) && IsWindowVisible(dialog)) PostMessageA(dialog, WM_CLOSE, 0, 0);
    });
}

int DialogTest::rowOfName(char variant, const std::string& name) {
    const uint32_t hash = genKeyHash(variant, name);
    for (uint32_t row = 0; row < rowCount(); ++row)
        if (rowHash(row) == hash) return (int)row;
    return -1;
}
