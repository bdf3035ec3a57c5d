// The process's frame: the command line and start-up information, the
// start-up routine that prepares every program-wide resource and creates
// the main window, the message loop, and the settings saved at exit.
#include "app/shell_state.h"

#include <commctrl.h>

#include "decode/decode_table.h"
#include "gxt/gxt.h"
#include "preview/preview_pane_win32.h"
#include "preview/preview_state.h"
#include "resources/resource.h"

ShellState gShell;
DisplayState gDisplay;

namespace {

constexpr DWORD kMainWindowStyle = WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN;  // 0x02CF0000

struct StringSlot {
    UINT id;
    char* buffer;
    int size;
};

// Loads one icon from the program's module at a square size, shared.
HICON loadIcon(HINSTANCE instance, int id, int size) {
    return (HICON)LoadImageA(instance, MAKEINTRESOURCEA(id), IMAGE_ICON, size, size, LR_SHARED);
}

void loadIcons(HINSTANCE instance) {
    gShell.noDocumentIcons[ICON_32] = loadIcon(instance, IDI_VORN, 32);
    gShell.noDocumentIcons[ICON_16] = loadIcon(instance, IDI_VORN, 16);
    const int variants[4] = {IDI_LAYOUT_0, IDI_LAYOUT_1, IDI_LAYOUT_2, IDI_LAYOUT_AT};
    for (int i = 0; i < 4; ++i) {
        gShell.variantIcons[i][ICON_32] = loadIcon(instance, variants[i], 32);
        gShell.variantIcons[i][ICON_16] = loadIcon(instance, variants[i], 16);
    }
}

void registerMainClass(HINSTANCE instance) {
    WNDCLASSEXA wc = {};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = mainWindowProc;
    wc.hInstance = instance;
    wc.hIcon = gShell.noDocumentIcons[ICON_32];
    wc.hIconSm = gShell.noDocumentIcons[ICON_16];
    wc.hCursor = gPreviewPane.cursors[CURSOR_ARROW];
    wc.hbrBackground = (HBRUSH)(COLOR_BTNFACE + 1);
    wc.lpszMenuName = MAKEINTRESOURCEA(IDR_MAIN_MENU);
    wc.lpszClassName = kMainClassName;
    RegisterClassExA(&wc);  // a failure leaves the window uncreated
}

// Everything program-wide starts empty. A document left open by an earlier
// run in the same process (tests) is released with its heap first.
void clearProgramState() {
    destroyDocumentHeap();
    gShell = {};
    gDisplay = {};
    gSettings = {};
    gDocument = {};
    gStringList = {};
    gPreview = {};
    gPreviewPane = {};
}

}  // namespace

const char* commandLineTail(const char* commandLine) {
    const unsigned char* p = reinterpret_cast<const unsigned char*>(commandLine ? commandLine : "");
    if (*p == '"') {
        ++p;
        while (*p && *p != '"') ++p;
        if (*p == '"') ++p;
    } else {
        while (*p > ' ') ++p;
    }
    while (*p >= 1 && *p <= ' ') ++p;
    return reinterpret_cast<const char*>(p);
}

int startupShowCommand() {
    STARTUPINFOA info = {};
    info.cb = sizeof info;
    GetStartupInfoA(&info);
    return (info.dwFlags & STARTF_USESHOWWINDOW) ? (int)info.wShowWindow : SW_SHOWDEFAULT;
}

int loadResourceStrings(HINSTANCE instance) {
    ResourceStrings& s = gShell.strings;
    const StringSlot slots[] = {
        {IDS_APP_NAME, s.appName, sizeof s.appName},
        {IDS_QUESTION_CAPTION, s.questionCaption, sizeof s.questionCaption},
        {IDS_TITLE_SUFFIX, s.titleSuffix, sizeof s.titleSuffix},
        {IDS_FILTER_GXT, s.filterGxt, sizeof s.filterGxt},
        {IDS_FILTER_IDS, s.filterIds, sizeof s.filterIds},
        {IDS_FILTER_LST, s.filterLst, sizeof s.filterLst},
        {IDS_FILTER_TBL, s.filterTbl, sizeof s.filterTbl},
        {IDS_FILTER_TXT, s.filterTxt, sizeof s.filterTxt},
        {IDS_EXT_GXT, s.extGxt, sizeof s.extGxt},
        {IDS_EXT_IDS, s.extIds, sizeof s.extIds},
        {IDS_EXT_LST, s.extLst, sizeof s.extLst},
        {IDS_EXT_TBL, s.extTbl, sizeof s.extTbl},
        {IDS_EXT_TXT, s.extTxt, sizeof s.extTxt},
        {IDS_COLUMN_KEY, s.columnKey, sizeof s.columnKey},
        {IDS_COLUMN_STRING, s.columnString, sizeof s.columnString},
        {IDS_ASK_SAVE_GXT, s.askSaveGxt, sizeof s.askSaveGxt},
        {IDS_ASK_SAVE_IDS, s.askSaveIds, sizeof s.askSaveIds},
    };
    for (const StringSlot& slot : slots) {
        if (LoadStringA(instance, slot.id, slot.buffer, slot.size) <= 0) return 0;
    }
    return 1;
}

int startShell(HINSTANCE instance, int showCommand) {
    clearProgramState();
    if (!loadResourceStrings(instance)) return kExitMissingString;
    if (!loadSettings()) return kExitNoConfigPath;
    InitCommonControls();
    gShell.instance = instance;
    loadPreviewCursors();
    gDocument.currentTable = -1;
    decodeTable::reset();
    loadIcons(instance);
    registerMainClass(instance);
    registerPreviewClass(instance);
    gShell.accelerators = LoadAcceleratorsA(instance, MAKEINTRESOURCEA(IDR_ACCELERATORS));

    // The window records itself in gShell on WM_CREATE.
    CreateWindowExA(0, kMainClassName, gShell.strings.appName, kMainWindowStyle, gSettings.posX, gSettings.posY,
                    gSettings.width, gSettings.height, nullptr, nullptr, instance, nullptr);
    if (!gShell.mainWindow) return kExitNormal;

    ShowWindow(gShell.mainWindow, gSettings.maximized ? SW_MAXIMIZE : showCommand);
    UpdateWindow(gShell.mainWindow);
    return -1;
}

int runMessageLoop() {
    MSG msg;
    while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
        if (TranslateAcceleratorA(gShell.mainWindow, gShell.accelerators, &msg)) continue;
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    return (int)msg.wParam;
}

int finishShell(int loopResult) {
    saveSettings(gSettings.configPath);
    return loopResult;
}

int vornStartup(HINSTANCE instance, HINSTANCE, const char*, int showCommand) {
    int code = startShell(instance, showCommand);
    if (code >= 0) return code;
    return finishShell(runMessageLoop());
}
