// What the GUI tests share: a fixture that starts the real main window in
// the test's own process and closes it again, a driver that answers the
// dialogs and message boxes the program opens, and input sent to windows
// and dispatched as a dialog's loop does (IsDialogMessage first), so that
// Enter, Escape and Tab reach a dialog as they would from the keyboard.
#pragma once

#include <windows.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "app/shell_state.h"
#include "gxt_generator.h"
#include "test_support.h"

bool writeFile(const std::string& path, const std::string& bytes);
std::string readFile(const std::string& path);
// A committed sample, as a path the program can open.
std::string samplePath(const std::string& name);
// vorn.cfg beside the test executable, where the program keeps it.
std::string configPathBesideExe();
std::string windowString(HWND window);
std::string itemString(HWND dialog, int id);
// The key hash as the program prints it: eight lower-case hex digits.
std::string hashText(uint32_t hash);
// A window's rectangle in its parent's client coordinates.
RECT childRect(HWND child);

// What a dialog showed when the driver met it: its caption and the texts of
// its static controls (a message box's text is among them).
struct SeenDialog {
    std::string caption;
    std::string text;
};

// Answers the dialogs that open on this thread, one queued action per
// dialog, in order. A timer looks for a new top-level dialog every few
// milliseconds, also while a modal loop runs. A dialog with no action
// queued is cancelled and recorded as unexpected, so a test never hangs.
struct DialogDriver {
    using Action = std::function<void(HWND dialog)>;
    DialogDriver();
    ~DialogDriver();
    void then(Action action) { actions.push_back(std::move(action)); }
    static Action press(int button);
    // A file dialog: types the path into the file-name field and presses OK.
    static Action choosePath(const std::string& path);
    // The colour chooser: enters red, green and blue, then presses OK.
    static Action chooseRgb(int red, int green, int blue);

    std::deque<Action> actions;
    std::vector<SeenDialog> seen;
    std::vector<HWND> handled;
    UINT_PTR timer = 0;
};

// Dispatches everything queued for this thread, as the message loop would
// (accelerators included), or as the dialog's loop would when one is given.
void pumpMessages(HWND dialog = nullptr);
// Types each character of text into the control, one WM_CHAR at a time.
void typeText(HWND dialog, HWND control, const std::string& text);
// Presses and releases a key with the control as the keyboard's target;
// without a dialog the main window's accelerators translate it.
void pressKey(HWND dialog, HWND control, WORD key);
// Clicks at a point of a window's client area through the system's input
// queue, so that the platform picks the window that gets the click.
void clickAt(HWND dialog, HWND window, POINT point, int clicks = 1);

// Starts the main window with the given vorn.cfg content (none: no file)
// and closes it after the test, answering No to any question left.
class ShellTest : public ::testing::Test {
protected:
    void SetUp() override { startWithConfig(nullptr); }
    void TearDown() override;
    void startWithConfig(const char* config, int showCommand = SW_SHOWNORMAL);
    // Closes the window as WM_CLOSE does and ends the run as the program
    // does after its loop (the settings are saved). Returns the loop's code.
    int closeAndFinish();
    int open(const std::string& path) { return openGxt(path.c_str()); }
    // Writes a document of one table, MAIN, in that layout, opens it and
    // selects the table.
    void openGenerated(char variant, const std::vector<GenEntry>& entries);
    // Selects a table in the table list as a click would.
    void pickTable(int row);
    // Selects and marks a row of the entry list as a click does; -1 for none.
    void markRow(int row);
    // The text of a cell of the entry list (or another list view), as the
    // list gets it from the program.
    std::string cellText(int row, int column, HWND list = nullptr);
    int itemCount();
    // The row of the table shown whose key hash is that of name.
    int rowOfName(char variant, const std::string& name);
    // Sends a menu command and dispatches what it posted.
    void command(UINT id) {
        SendMessageA(gShell.mainWindow, WM_COMMAND, id, 0);
        pumpMessages();
    }
    // Runs the action on the next dialog that opens; afterwards the dialog
    // is closed if the action left it open (also when an assertion in the
    // action failed), so that a failing test never hangs.
    void onDialog(std::function<void(HWND dialog)> action);
    // The last message box the driver met held this text.
    void expectLastMessage(const std::string& text);
    std::string title() { return windowString(gShell.mainWindow); }

    DialogDriver driver;
    TempDir dir;
    bool started = false;
};
