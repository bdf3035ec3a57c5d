#include "app_test_support.h"

#include <commctrl.h>
#include <commdlg.h>
#include <dlgs.h>

#include <cstdio>
#include <cstdlib>

#include "gxt/gxt.h"
#include "platform/platform.h"
#include "resources/resource.h"
#include "settings/config_store.h"

namespace {

DialogDriver* gActiveDriver = nullptr;

constexpr char kDialogClass[] = "#32770";
constexpr UINT kPollMilliseconds = 15;
// The colour chooser's red, green and blue fields.
constexpr int kColorEditRed = 706;
constexpr int kColorEditGreen = 707;
constexpr int kColorEditBlue = 708;

std::string windowText(HWND window) {
    char text[1024] = {};
    GetWindowTextA(window, text, sizeof text);
    return text;
}

std::string className(HWND window) {
    char name[64] = {};
    GetClassNameA(window, name, sizeof name);
    return name;
}

BOOL CALLBACK collectStatic(HWND child, LPARAM lParam) {
    if (className(child) == "Static") {
        std::string& text = *reinterpret_cast<std::string*>(lParam);
        std::string t = windowText(child);
        if (!t.empty()) text += (text.empty() ? "" : "\n") + t;
    }
    return TRUE;
}

struct Search {
    std::vector<HWND> found;
};

BOOL CALLBACK collectDialogs(HWND window, LPARAM lParam) {
    if (IsWindowVisible(window) && className(window) == kDialogClass)
        reinterpret_cast<Search*>(lParam)->found.push_back(window);
    return TRUE;
}

void postClick(HWND dialog, int button) {
    PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED), (LPARAM)GetDlgItem(dialog, button));
}

}  // namespace

// ---- Files -------------------------------------------------------------------------

WinTempDir::WinTempDir() {
    char base[MAX_PATH] = {};
    GetTempPathA(sizeof base, base);
    static int counter = 0;
    for (;;) {
        std::string p = std::string(base) + "vorn-app-" + std::to_string(GetCurrentProcessId()) + "-" +
                        std::to_string(counter++) + "\\";
        if (CreateDirectoryA(p.c_str(), nullptr)) {
            path = p;
            return;
        }
    }
}

WinTempDir::~WinTempDir() {
    WIN32_FIND_DATAA data;
    HANDLE find = FindFirstFileA((path + "*").c_str(), &data);
    if (find != INVALID_HANDLE_VALUE) {
        do {
            if (!(data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) DeleteFileA((path + data.cFileName).c_str());
        } while (FindNextFileA(find, &data));
        FindClose(find);
    }
    RemoveDirectoryA(path.c_str());
}

bool writeFile(const std::string& path, const std::string& bytes) {
    FILE* f = fopen(path.c_str(), "wb");
    if (!f) return false;
    bool ok = fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    return fclose(f) == 0 && ok;
}

std::string readFile(const std::string& path) {
    std::string bytes;
    FILE* f = fopen(path.c_str(), "rb");
    if (!f) return bytes;
    char buffer[4096];
    size_t n;
    while ((n = fread(buffer, 1, sizeof buffer, f)) > 0) bytes.append(buffer, n);
    fclose(f);
    return bytes;
}

bool fileExists(const std::string& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

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
    timer_ = SetTimer(nullptr, 0, kPollMilliseconds, tick);
}

DialogDriver::~DialogDriver() {
    KillTimer(nullptr, timer_);
    if (gActiveDriver == this) gActiveDriver = nullptr;
}

void CALLBACK DialogDriver::tick(HWND, UINT, UINT_PTR, DWORD) {
    if (gActiveDriver) gActiveDriver->poll();
}

void DialogDriver::poll() {
    Search search;
    EnumThreadWindows(GetCurrentThreadId(), collectDialogs, (LPARAM)&search);
    for (HWND dialog : search.found) {
        bool known = false;
        for (HWND h : handled_) known = known || h == dialog;
        if (known) continue;
        handled_.push_back(dialog);
        SeenDialog seen;
        seen.caption = windowText(dialog);
        EnumChildWindows(dialog, collectStatic, (LPARAM)&seen.text);
        seen_.push_back(seen);
        if (actions_.empty()) {
            ++unexpected_;
            ADD_FAILURE() << "unexpected dialog \"" << seen.caption << "\": " << seen.text;
            postClick(dialog, IDCANCEL);
            continue;
        }
        Action action = std::move(actions_.front());
        actions_.pop_front();
        action(dialog);
        return;  // one dialog per tick: the next may be the one this opens
    }
}

DialogDriver::Action DialogDriver::press(int button) {
    return [button](HWND dialog) { postClick(dialog, button); };
}

DialogDriver::Action DialogDriver::choosePath(const std::string& path) {
    return [path](HWND dialog) {
        // The explorer-style dialog has a combo box for the name; the
        // older one a plain edit field.
        HWND field = GetDlgItem(dialog, cmb13);
        if (!field) field = GetDlgItem(dialog, edt1);
        SetWindowTextA(field, path.c_str());
        postClick(dialog, IDOK);
    };
}

DialogDriver::Action DialogDriver::chooseRgb(int red, int green, int blue) {
    return [=](HWND dialog) {
        SetDlgItemInt(dialog, kColorEditRed, red, FALSE);
        SetDlgItemInt(dialog, kColorEditGreen, green, FALSE);
        SetDlgItemInt(dialog, kColorEditBlue, blue, FALSE);
        postClick(dialog, IDOK);
    };
}

DialogDriver::Action DialogDriver::chooseFontSize(int points) {
    return [points](HWND dialog) {
        // As a click in the size list does: select, then tell the dialog.
        HWND sizes = GetDlgItem(dialog, cmb3);
        SendMessageA(sizes, CB_SELECTSTRING, (WPARAM)-1, (LPARAM)std::to_string(points).c_str());
        SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(cmb3, CBN_SELCHANGE), (LPARAM)sizes);
        postClick(dialog, IDOK);
    };
}

// ---- Messages ----------------------------------------------------------------------------

void pumpMessages() {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) {
            // Only the end of a run posts it; keep it for the loop that ends the run.
            PostQuitMessage((int)msg.wParam);
            return;
        }
        if (gShell.mainWindow && TranslateAcceleratorA(gShell.mainWindow, gShell.accelerators, &msg)) continue;
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
}

bool pressAccelerator(WORD key, bool control) {
    BYTE keys[256] = {};
    GetKeyboardState(keys);
    BYTE saved = keys[VK_CONTROL];
    keys[VK_CONTROL] = control ? 0x80 : 0;
    SetKeyboardState(keys);
    MSG msg = {};
    msg.hwnd = gShell.entryList;
    msg.message = WM_KEYDOWN;
    msg.wParam = key;
    msg.lParam = 1;
    bool translated = TranslateAcceleratorA(gShell.mainWindow, gShell.accelerators, &msg) != 0;
    keys[VK_CONTROL] = saved;
    SetKeyboardState(keys);
    return translated;
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
    EXPECT_EQ(driver.pending(), 0u) << "a dialog the test expected never opened";
}

void ShellTest::pickTable(int row) {
    SendMessageA(gShell.tableList, LB_SETCURSEL, row, 0);
    SendMessageA(gShell.mainWindow, WM_COMMAND, MAKEWPARAM(IDC_TABLE_LIST, LBN_SELCHANGE), (LPARAM)gShell.tableList);
}

std::string ShellTest::cellText(int row, int column) {
    char text[512] = {};
    LVITEMA item = {};
    item.iSubItem = column;
    item.pszText = text;
    item.cchTextMax = sizeof text;
    SendMessageA(gShell.entryList, LVM_GETITEMTEXTA, row, (LPARAM)&item);
    return text;
}
