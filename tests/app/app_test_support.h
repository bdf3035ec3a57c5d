// What the GUI tests of the shell share: a fixture that starts the real
// main window in the test's own process and closes it again, a driver that
// answers the dialogs and message boxes the program opens (file dialogs,
// questions, colour and font choosers), and small helpers for files and
// window geometry.
#pragma once

#include <windows.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "app/shell_state.h"

// ---- Files --------------------------------------------------------------------
// A directory of the test's own under the Windows temporary directory,
// removed with its files afterwards.
struct WinTempDir {
    std::string path;  // with a trailing backslash
    WinTempDir();
    ~WinTempDir();
    std::string file(const std::string& name) const { return path + name; }
};

bool writeFile(const std::string& path, const std::string& bytes);
std::string readFile(const std::string& path);
bool fileExists(const std::string& path);
// A committed sample, as a path the program can open.
std::string samplePath(const std::string& name);
// vorn.cfg beside the test executable, where the program keeps it.
std::string configPathBesideExe();

// ---- Dialogs --------------------------------------------------------------------
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
class DialogDriver {
public:
    using Action = std::function<void(HWND dialog)>;
    DialogDriver();
    ~DialogDriver();
    void then(Action action) { actions_.push_back(std::move(action)); }
    size_t pending() const { return actions_.size(); }
    const std::vector<SeenDialog>& seen() const { return seen_; }
    int unexpected() const { return unexpected_; }

    // Ready-made actions.
    static Action press(int button);
    // A file dialog: types the path into the file-name field and presses OK.
    static Action choosePath(const std::string& path);
    // The colour chooser: enters red, green and blue, then presses OK.
    static Action chooseRgb(int red, int green, int blue);
    // The font chooser: picks a point size from its list, then presses OK.
    static Action chooseFontSize(int points);

private:
    static void CALLBACK tick(HWND, UINT, UINT_PTR, DWORD);
    void poll();
    std::deque<Action> actions_;
    std::vector<SeenDialog> seen_;
    std::vector<HWND> handled_;
    int unexpected_ = 0;
    UINT_PTR timer_ = 0;
};

// ---- Messages ---------------------------------------------------------------------
// Dispatches everything queued for this thread, as the message loop would
// (accelerators included), without waiting for more.
void pumpMessages();
// The accelerator table's answer to a key pressed with or without Ctrl,
// as if the entry list had the focus; true when a key was translated.
bool pressAccelerator(WORD key, bool control);

// A window's rectangle in its parent's client coordinates.
RECT childRect(HWND child);

// ---- The shell in the test's process ---------------------------------------------------
// Starts the main window with the given vorn.cfg content (none: no file)
// and closes it after the test, answering No to any question left.
class ShellTest : public ::testing::Test {
protected:
    void SetUp() override { startWithConfig(nullptr); }
    void TearDown() override;
    // Starts the shell; ASSERTs that the window exists.
    void startWithConfig(const char* config, int showCommand = SW_SHOWNORMAL);
    // Closes the window as WM_CLOSE does and ends the run as the program
    // does after its loop (the settings are saved). Returns the loop's code.
    int closeAndFinish();
    // Opens a file without the file dialog; 1 when it opened.
    int open(const std::string& path) { return openGxt(path.c_str()); }
    // Selects a table in the table list as a click would.
    void pickTable(int row);
    // The entry list's text of a cell, as the list gets it from the program.
    std::string cellText(int row, int column);
    void command(UINT id) { SendMessageA(gShell.mainWindow, WM_COMMAND, id, 0); }

    DialogDriver driver;
    WinTempDir dir;
    bool started = false;
};
