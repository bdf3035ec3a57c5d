// The user-interface state of Vorn's main window and the operations of the
// shell: start-up, the main window and its panes, the entry list, the
// commands and the document's lifecycle, and the window-system half of the
// settings (fonts, metrics, the font and colour choosers).
//
// Everything here runs on the one thread that runs the message loop. The
// dialogs (src/dialogs) read and write gShell and gDisplay directly.
#pragma once

#include <windows.h>

#include <cstdint>

#include "settings/settings_keys.h"

// ---- Private messages to the main window (wParam and lParam 0) --------------
constexpr UINT MSG_TEXT_COLOR_CHANGED = 1095;
constexpr UINT MSG_HASH_COLOR_CHANGED = 1097;
constexpr UINT MSG_BACK_COLOR_CHANGED = 1099;
// Preview the entry at the entry list's selection mark.
constexpr UINT MSG_SHOW_SELECTED = 1101;

constexpr char kMainClassName[] = "_Brennik__Vorn_class_";

// Exit codes of the start-up routine.
constexpr int kExitNormal = 0;
constexpr int kExitMissingString = 7;
constexpr int kExitNoConfigPath = 8;

constexpr uint32_t kTitleSize = 64;
constexpr uint32_t kFileNameSize = 511;
constexpr uint32_t kFilterSize = 63;

// The resource strings, loaded once at start-up into buffers of these sizes
// (terminator included). The comments give the string ids.
struct ResourceStrings {
    char appName[60];          // 1: the title while no file is open
    char questionCaption[60];  // 2: caption of the save questions
    char titleSuffix[60];      // 3: " - Vorn" after a file name
    char filterGxt[60];        // 16
    char filterIds[60];        // 17
    char filterLst[60];        // 18
    char filterTbl[60];        // 19
    char filterTxt[60];        // 20
    char extGxt[5];            // 8
    char extIds[5];            // 9
    char extLst[5];            // 10
    char extTbl[5];            // 11
    char extTxt[5];            // 12
    char columnKey[30];        // 40
    char columnString[30];     // 41
    char askSaveGxt[125];      // 32
    char askSaveIds[125];      // 33
};

// Icon pairs: [0] 32x32 (ICON_BIG), [1] 16x16 (ICON_SMALL).
enum IconSize : int { ICON_32 = 0, ICON_16 = 1 };

struct ShellState {
    HINSTANCE instance;
    HWND mainWindow;            // set on WM_CREATE of the main window
    HICON noDocumentIcons[2];   // icon 101
    HICON variantIcons[4][2];   // icons 104..107: layouts '0', '1', '2', '@'
    HMENU menu;
    HWND tableList;             // list box, id 3001
    HWND entryList;             // list view, id 3002
    HWND previewPane;           // id 3003
    HWND lastFocusedList;       // the list that last had the focus, or null
    HBRUSH listBrush;           // mainBack, behind both lists
    HACCEL accelerators;
    uint32_t gxtModified;       // an edited string not yet saved
    uint32_t idListModified;    // a found key name not yet exported
    uint32_t stringListView;    // the entry list shows the string list
    int32_t selectedTableRow;   // -1 for none
    char title[kTitleSize];
    char fileName[kFileNameSize];  // the shared file dialog's path
    char filter[kFilterSize];      // and its filter
    ResourceStrings strings;
    // The path of the open document, so that a load that the indexing
    // worker fails can still be reported with the file's name.
    char documentPath[kFileNameSize];
};

extern ShellState gShell;

// What is derived from the font and colour settings.
struct DisplayState {
    HFONT mainFont;             // table list, entry list, decode-table grid
    HFONT previewFont;          // never italic, never underlined
    HFONT placeholderFont;      // the preview font italic and underlined
    uint32_t avgCharWidth;      // width of "AMBULAE" in the main font / 7
    int32_t sampleHeight;       // height of the same sample
    int32_t previewHeight;      // tmHeight of the preview font
    int32_t previewLeading;     // tmInternalLeading of the preview font
    COLORREF customColors[16];  // the colour chooser's custom colours
};

extern DisplayState gDisplay;

// ---- Entry and start-up (startup.cpp) ----------------------------------------
// The text after the program's own name on a command line, blanks skipped.
const char* commandLineTail(const char* commandLine);
// The show command from the start-up information (SW_SHOWDEFAULT if none).
int startupShowCommand();
// The whole run: start-up, message loop, saving the settings. Returns the
// process exit code (0, 7 or 8).
int vornStartup(HINSTANCE instance, HINSTANCE previous, const char* tail, int showCommand);
// Steps of vornStartup, for tests that drive the window themselves:
// startShell does everything up to showing the main window and returns -1
// when the message loop is to run, else the exit code; finishShell saves
// the settings after the loop.
int startShell(HINSTANCE instance, int showCommand);
// Loads the resource strings; 0 when one of them is missing.
int loadResourceStrings(HINSTANCE instance);
// The message loop; returns the quit message's wParam.
int runMessageLoop();
int finishShell(int loopResult);

// ---- Main window (main_window.cpp) ---------------------------------------------
LRESULT CALLBACK mainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
// Runs for WM_CLOSE: closes the document with its questions, records the
// placement and destroys the window. Nothing happens if the user cancels.
void closeMainWindow();

// ---- Panes, layout, title, menu (layout.cpp) -----------------------------------
void createPanes(HWND window);
// sizeType is the WM_SIZE wParam; trackPlacement 1 from WM_SIZE, 0 after a
// font change or a switch of the string-list view.
void layoutPanes(WPARAM sizeType, int trackPlacement);
// The width S of a vertical scroll bar and two window edges.
int32_t scrollAllowance();
// The table list's width for the current main font.
int32_t tableListWidth();
// A file name, or null for the application name.
void setTitle(const char* name);
void updateMenuAndIcon();
// The icon pair for the open document's layout (icon 101 with none).
HICON* currentIcons();

// ---- Entry list and table list (entry_list.cpp) --------------------------------
LRESULT notifyEntryList(NMHDR* header);
void tableListNotification(uint32_t code);
// The entry list's selection mark, -1 for none.
int32_t selectionMark();
// The row the dialogs act on: the selection mark when that row exists and is
// selected, else -1.
int32_t selectedRow();
// The list that takes the keyboard focus when the main window gets it: the
// one that had it last, but the entry list while the table list is hidden.
HWND listForFocus();
void setEntryCount(uint32_t count);
void invalidateEntryList(BOOL erase);

// ---- Commands and the document's lifecycle (commands.cpp) ----------------------
void dispatchCommand(WPARAM wParam);
// The shared file dialog: the chosen path (gShell.fileName) or null.
const char* fileDialog(const char* filterName, const char* extension, uint16_t* nameOffset, int save);
// Each returns 1 when it went through, 0 when the user cancelled or it
// failed (a failure has been reported to the user). Null path: ask.
int openGxt(const char* path);
int saveGxtAs(const char* path);
int exportIdList(const char* path);
int closeDocumentWithQuestions();
int openStringList(const char* path);
void closeStringListView();
int importDecodeTable(const char* path);
int exportDecodeTable(const char* path);
int importIdList(const char* path);
int importTextFile(const char* path);
int exportTextFile(const char* path);
// After the indexing worker has ended: if it failed the document that was
// shown, report it and return to the empty window. 1 when the document is
// (still) usable or none was open, 0 when it was lost.
int checkDocumentIndexed();

// ---- Failure reports (report.cpp) ------------------------------------------------
// What a failing file operation was doing; picks the message and the reason.
enum FileOperation : int {
    OP_OPEN_GXT,
    OP_SAVE_GXT,
    OP_IMPORT_IDS,
    OP_EXPORT_IDS,
    OP_OPEN_STRING_LIST,
    OP_IMPORT_TEXT,
    OP_EXPORT_TEXT,
    OP_IMPORT_TBL,
    OP_EXPORT_TBL,
};
// The reason given when a string list names no entry of the document.
constexpr int kNoNamesFound = -1;
// The reason given when a saved file was written in full but could not take
// the place of the file it was to replace (saveDocument's 3003).
constexpr int kNotReplaced = -2;
// The message for a failed operation: the file and the reason in words,
// in the user's language. Writes at most size bytes (terminated).
void describeFailure(char* text, uint32_t size, FileOperation operation, const char* path, int code);
// Shows that message in a message box owned by the main window.
void reportFailure(FileOperation operation, const char* path, int code);

// ---- Settings, fonts and colours (settings_win32.cpp) ----------------------------
// Loads vorn.cfg beside the executable into the store and gSettings;
// returns gSettings.configPath.
const char* loadSettings();
int saveSettings(const char* path);
// LOGPIXELSY of a device context of the main window.
int32_t screenResolution();
void buildLogFont(LOGFONTA* font, int32_t resolution, const FontSetting* setting);
// The same LOGFONTA when the user pressed OK, null when cancelled.
LOGFONTA* chooseFont(LOGFONTA* font);
COLORREF chooseColor(COLORREF current);
// Makes the three fonts from gSettings (at main-window creation).
void createFonts();
void measureFonts();
void changeMainFont();
void changePreviewFont();
// Deletes the three fonts (at exit).
void deleteFonts();
