#include "app_test_support.h"

#include <commctrl.h>
#include <commdlg.h>
#include <dlgs.h>

#include <cstdio>

#include "gxt/gxt.h"
#include "platform/platform.h"
#include "resources/resource.h"
#include "settings/config_store.h"

namespace {

DialogDriver* gActiveDriver = nullptr;

// The colour chooser's red, green and blue fields.
constexpr int kColorEditRed = 706;

std::string className(HWND window) {
    char name[64] = {};
    GetClassNameA(window, name, sizeof name);
    return name;
}

BOOL CALLBACK collectStatic(HWND child, LPARAM lParam) {
    if (className(child) == "Static") {
        std::string& text = *reinterpret_cast<std::string*>(lParam);
        std::string t = windowString(child);
        if (!t.empty()) text += (text.empty() ? "" : "\n") + t;
    }
    return TRUE;
}

BOOL CALLBACK collectDialogs(HWND window, LPARAM lParam) {
    if (IsWindowVisible(window) && className(window) == "#32770")
        reinterpret_cast<std::vector<HWND>*>(lParam)->push_back(window);
    return TRUE;
}

void postClick(HWND dialog, int button) {
    PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED), (LPARAM)GetDlgItem(dialog, button));
}

// Looks for a new dialog and runs its action: one dialog per tick, as the
// next may be the one this opens.
void CALLBACK poll(HWND, UINT, UINT_PTR, DWORD) {
    DialogDriver* d = gActiveDriver;
    if (!d) return;
    std::vector<HWND> found;
    EnumThreadWindows(GetCurrentThreadId(), collectDialogs, (LPARAM)&found);
    for (HWND dialog : found) {
        bool known = false;
        for (HWND h : d->handled) known = known || h == dialog;
        if (known) continue;
        d->handled.push_back(dialog);
        SeenDialog seen{windowString(dialog), ""};
        EnumChildWindows(dialog, collectStatic, (LPARAM)&seen.text);
        d->seen.push_back(seen);
        if (d->actions.empty()) {
            ADD_FAILURE() << "unexpected dialog \"" << seen.caption << "\": " << seen.text;
            postClick(dialog, IDCANCEL);
            continue;
        }
        DialogDriver::Action action = std::move(d->actions.front());
        d->actions.pop_front();
        action(dialog);
        return;
    }
}

}  // namespace

// ---- Files -------------------------------------------------------------------------

bool writeFile(const std::string& path, const std::string& bytes) { return writeFileBytes(path, bytesOf(bytes)); }

std::string readFile(const std::string& path) { return textOf(readFileBytes(path)); }

std::string samplePath(const std::string& name) {
    // The source tree as Wine shows it: its root is drive Z:.
    std::string p = std::string("Z:") + VORN_SAMPLES_DIR + "/" + name;
    for (char& c : p)
        if (c == '/') c = '\\';
    return p;
}

std::string configPathBesideExe() {
    char module[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, module, sizeof module);
    std::string p = module;
    return p.substr(0, p.find_last_of("\\/") + 1) + "vorn.cfg";
}

// ---- Dialogs ---------------------------------------------------------------------------

DialogDriver::DialogDriver() {
    gActiveDriver = this;
    timer = SetTimer(nullptr, 0, 15, poll);
}

DialogDriver::~DialogDriver() {
    KillTimer(nullptr, timer);
    if (gActiveDriver == this) gActiveDriver = nullptr;
}

DialogDriver::Action DialogDriver::press(int button) {
    return [button](HWND dialog) { postClick(dialog, button); };
}

DialogDriver::Action DialogDriver::choosePath(const std::string& path) {
    return [path](HWND dialog) {
        // The name field of the explorer-style dialog, a combo box.
        SetWindowTextA(GetDlgItem(dialog, cmb13), path.c_str());
        postClick(dialog, IDOK);
    };
}

DialogDriver::Action DialogDriver::chooseRgb(int red, int green, int blue) {
    return [=](HWND dialog) {
        SetDlgItemInt(dialog, kColorEditRed, red, FALSE);
        SetDlgItemInt(dialog, kColorEditRed + 1, green, FALSE);
        SetDlgItemInt(dialog, kColorEditRed + 2, blue, FALSE);
        postClick(dialog, IDOK);
    };
}

// ---- Messages and input ----------------------------------------------------------------

void pumpMessages(HWND dialog) {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) {
            // Only the end of a run posts it; keep it for the loop that ends the run.
            PostQuitMessage((int)msg.wParam);
            return;
        }
        if (dialog ? IsWindow(dialog) && IsDialogMessageA(dialog, &msg)
                   : gShell.mainWindow && TranslateAcceleratorA(gShell.mainWindow, gShell.accelerators, &msg))
            continue;
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
}

void typeText(HWND dialog, HWND control, const std::string& text) {
    for (char c : text) {
        PostMessageA(control, WM_CHAR, (WPARAM)(unsigned char)c, 1);
        pumpMessages(dialog);
    }
}

void pressKey(HWND dialog, HWND control, WORD key) {
    const LPARAM scan = (LPARAM)MapVirtualKeyA(key, MAPVK_VK_TO_VSC) << 16;
    PostMessageA(control, WM_KEYDOWN, key, scan | 1);
    PostMessageA(control, WM_KEYUP, key, scan | 1 | (3u << 30));
    pumpMessages(dialog);
}

static void mouseAt(HWND dialog, HWND window, POINT point, DWORD button) {
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
        pumpMessages(dialog);
    }
}

void clickAt(HWND dialog, HWND window, POINT point, int clicks) {
    for (int i = 0; i < clicks; ++i) {
        mouseAt(dialog, window, point, MOUSEEVENTF_LEFTDOWN);
        mouseAt(dialog, window, point, MOUSEEVENTF_LEFTUP);
    }
}

std::string windowString(HWND window) {
    char text[8192] = {};
    GetWindowTextA(window, text, sizeof text);
    return text;
}

std::string itemString(HWND dialog, int id) { return windowString(GetDlgItem(dialog, id)); }

std::string hashText(uint32_t hash) {
    char text[9];
    std::snprintf(text, sizeof text, "%08x", (unsigned)hash);
    return text;
}

RECT childRect(HWND child) {
    RECT r;
    GetWindowRect(child, &r);
    MapWindowPoints(HWND_DESKTOP, GetParent(child), reinterpret_cast<POINT*>(&r), 2);
    return r;
}

// ---- The shell ----------------------------------------------------------------------------

void ShellTest::startWithConfig(const char* config, int showCommand) {
    const std::string cfg = configPathBesideExe();
    DeleteFileA(cfg.c_str());
    if (config) {
        ASSERT_TRUE(writeFile(cfg, config));
    }
    configDiscard();
    faultReset();
    ASSERT_EQ(startShell(GetModuleHandleA(nullptr), showCommand), -1);
    started = true;
    ASSERT_NE(gShell.mainWindow, nullptr);
    pumpMessages();
}

int ShellTest::closeAndFinish() {
    SendMessageA(gShell.mainWindow, WM_CLOSE, 0, 0);
    if (gShell.mainWindow) return -1;  // the close was cancelled
    started = false;
    int code = runMessageLoop();  // takes the quit message the close posted
    return finishShell(code);
}

void ShellTest::TearDown() {
    faultReset();
    if (started) {
        gShell.gxtModified = 0;
        gShell.idListModified = 0;
        closeAndFinish();
    }
    deleteFonts();
    configDiscard();
    DeleteFileA(configPathBesideExe().c_str());
    pumpMessages();
    EXPECT_EQ(driver.actions.size(), 0u) << "a dialog the test expected never opened";
}

void ShellTest::openGenerated(char variant, const std::vector<GenEntry>& entries) {
    const std::string path = dir.file("doc.gxt");
    ASSERT_TRUE(writeFileBytes(path, generateGxt(GenDocument{variant, {{"MAIN", entries}}})));
    ASSERT_EQ(open(path), 1);
    pickTable(0);
    ASSERT_EQ(gShell.selectedTableRow, 0);
}

void ShellTest::pickTable(int row) {
    SendMessageA(gShell.tableList, LB_SETCURSEL, row, 0);
    SendMessageA(gShell.mainWindow, WM_COMMAND, MAKEWPARAM(IDC_TABLE_LIST, LBN_SELCHANGE), (LPARAM)gShell.tableList);
}

void ShellTest::markRow(int row) {
    LVITEMA item = {};
    item.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
    item.state = row >= 0 ? item.stateMask : 0;
    SendMessageA(gShell.entryList, LVM_SETITEMSTATE, (WPARAM)row, (LPARAM)&item);
    SendMessageA(gShell.entryList, LVM_SETSELECTIONMARK, 0, row);
}

std::string ShellTest::cellText(int row, int column, HWND list) {
    char text[512] = {};
    LVITEMA item = {};
    item.iSubItem = column;
    item.pszText = text;
    item.cchTextMax = sizeof text;
    SendMessageA(list ? list : gShell.entryList, LVM_GETITEMTEXTA, row, (LPARAM)&item);
    return text;
}

int ShellTest::itemCount() { return (int)SendMessageA(gShell.entryList, LVM_GETITEMCOUNT, 0, 0); }

int ShellTest::rowOfName(char variant, const std::string& name) {
    for (uint32_t row = 0; row < rowCount(); ++row)
        if (rowHash(row) == genKeyHash(variant, name)) return (int)row;
    return -1;
}

void ShellTest::onDialog(std::function<void(HWND dialog)> action) {
    driver.then([action](HWND dialog) {
        action(dialog);
        if (IsWindow(dialog) && IsWindowVisible(dialog)) PostMessageA(dialog, WM_CLOSE, 0, 0);
    });
}

void ShellTest::expectLastMessage(const std::string& text) {
    ASSERT_FALSE(driver.seen.empty());
    EXPECT_NE(driver.seen.back().text.find(text), std::string::npos)
        << "message: " << driver.seen.back().text << "\nwanted: " << text;
}
