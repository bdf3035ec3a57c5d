#include "dialogs/dialog_common.h"

#include <cstdint>

#include "app/shell_state.h"
#include "platform/platform.h"

INT_PTR runModalDialog(int templateId, DLGPROC procedure) {
    return DialogBoxParamA(gShell.instance, MAKEINTRESOURCEA(templateId), gShell.mainWindow, procedure, 0);
}

bool handleDialogClose(HWND dialog, UINT message, WPARAM wParam) {
    if (message == WM_COMMAND && LOWORD(wParam) == IDCANCEL) {
        SendMessageA(dialog, WM_CLOSE, 0, 0);
        return true;
    }
    if (message == WM_CLOSE) {
        EndDialog(dialog, kDialogClosed);
        return true;
    }
    return false;
}

void endDialogIfDone(HWND dialog, bool done) {
    if (done) {
        EndDialog(dialog, kDialogOk);
    } else {
        MessageBeep(MB_ICONWARNING);
    }
}

char* copyWindowText(HWND window, uint32_t* length) {
    const uint32_t size = (uint32_t)GetWindowTextLengthA(window) + 1;
    char* text = static_cast<char*>(heapAlloc(processHeap(), kHeapZeroMemory, size));
    if (!text) return nullptr;
    *length = (uint32_t)GetWindowTextA(window, text, (int)size);
    return text;
}

void freeDialogText(char* text) {
    if (text) heapFree(processHeap(), 0, text);
}
