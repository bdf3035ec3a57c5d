// What the program's modal dialogs share: how they are opened and how they
// close.
#pragma once

#include <windows.h>

#include <cstdint>

// Dialog results.
constexpr INT_PTR kDialogOk = 1;
constexpr INT_PTR kDialogClosed = 2;

// Runs a dialog template modally, owned by the main window, with parameter
// 0; returns the dialog's result (or -1 when it could not be created).
INT_PTR runModalDialog(int templateId, DLGPROC procedure);

// Cancel (id 2, Escape) sends WM_CLOSE; WM_CLOSE ends the dialog with 2.
// True when the message was one of these two and has been handled.
bool handleDialogClose(HWND dialog, UINT message, WPARAM wParam);

// OK that went through ends the dialog with 1; one that could not keep
// the dialog open, with a warning sound, so that nothing typed is lost.
void endDialogIfDone(HWND dialog, bool done);

// A copy of a window's text in a zero-filled block from the process heap,
// and its length; null when there is no memory. Free it with freeDialogText.
char* copyWindowText(HWND window, uint32_t* length);
void freeDialogText(char* text);
