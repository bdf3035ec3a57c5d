// What the dialog tests share: the real main window (ShellTest) with a
// generated document open, and input posted to a dialog's controls and
// dispatched the way its modal loop does, IsDialogMessage first, so that
// Enter, Escape and Tab reach the dialog as they would from the keyboard.
#pragma once

#include <windows.h>

#include <functional>
#include <string>

#include "app_test_support.h"
#include "gxt_generator.h"

// Dispatches what is queued for this thread as the dialog's loop would.
void pumpDialog(HWND dialog);
// Types each character of text into the control, one WM_CHAR at a time.
void typeText(HWND dialog, HWND control, const std::string& text);
// Presses and releases a key with the control as the keyboard's target.
void pressKey(HWND dialog, HWND control, WORD key);
// Mouse input at a point of a window's client area, sent through the
// system's input queue as a mouse would send it, so that the platform picks
// the window that gets it; then dispatched as the dialog's loop would.
// button: MOUSEEVENTF_LEFTDOWN, MOUSEEVENTF_LEFTUP or 0 for a move.
void mouseAt(HWND dialog, HWND window, POINT point, DWORD button);
void clickAt(HWND dialog, HWND window, POINT point);
void doubleClickAt(HWND dialog, HWND window, POINT point);
std::string windowString(HWND window);
std::string itemString(HWND dialog, int id);
// The key hash as the dialogs print it: eight lower-case hex digits.
std::string hashText(uint32_t hash);

class DialogTest : public ShellTest {
protected:
    // Writes the document, opens it in the shell and selects its first table.
    void openGenerated(const GenDocument& doc, const std::string& name = "doc.gxt");
    // Selects and marks a row of the entry list as a click does; -1 for none.
    void markRow(int row);
    // Runs the action on the next dialog that opens; afterwards the dialog
    // is closed if the action left it open (also when an assertion in the
    // action failed), so that a failing test never hangs.
    void onDialog(std::function<void(HWND dialog)> action);
    // The row of the first table whose key hash is that of name.
    int rowOfName(char variant, const std::string& name);
};
