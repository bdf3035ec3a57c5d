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

char* allocDialogText(uint32_t size, bool zeroFilled) {
    return static_cast<char*>(heapAlloc(processHeap(), zeroFilled ? kHeapZeroMemory : 0, size));
}

void freeDialogText(char* text) {
    if (text) heapFree(processHeap(), 0, text);
}
