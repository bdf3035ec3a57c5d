// The About box: the product's name, version and credit beside its icon.
// Clicking the icon steps it through the program's icons; clicking the
// box's own surface reveals a hidden line.
#include <windows.h>

#include "app/shell_state.h"
#include "dialogs/dialog_common.h"
#include "dialogs/dialogs.h"
#include "resources/resource.h"

namespace {

struct AboutState {
    HWND icon;
    uint16_t iconNumber;
};

AboutState gAbout;

HICON loadAboutIcon(uint16_t number) {
    return (HICON)LoadImageA(gShell.instance, MAKEINTRESOURCEA(number), IMAGE_ICON, 32, 32, LR_SHARED);
}

// The next icon, and after the last one the first again.
void nextIcon() {
    ++gAbout.iconNumber;
    HICON icon = loadAboutIcon(gAbout.iconNumber);
    if (!icon) {
        gAbout.iconNumber = IDI_FIRST;
        icon = loadAboutIcon(gAbout.iconNumber);
    }
    SendMessageA(gAbout.icon, STM_SETICON, (WPARAM)icon, 0);
}

INT_PTR CALLBACK aboutProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
    if (handleDialogClose(dialog, message, wParam)) return TRUE;
    switch (message) {
    case WM_INITDIALOG:
        gAbout.icon = GetDlgItem(dialog, IDC_ABOUT_ICON);
        gAbout.iconNumber = IDI_FIRST;
        return TRUE;
    case WM_COMMAND:
        switch (LOWORD(wParam)) {
        case IDOK:
            EndDialog(dialog, kDialogOk);
            return TRUE;
        case IDC_ABOUT_ICON:
            if (HIWORD(wParam) == STN_CLICKED) nextIcon();
            return TRUE;
        default:
            return FALSE;
        }
    case WM_LBUTTONDOWN:
        // Only clicks on the surface and the plain labels arrive here; the
        // line stays disabled, so it shows greyed.
        ShowWindow(GetDlgItem(dialog, IDC_ABOUT_HIDDEN), SW_SHOW);
        return TRUE;
    default:
        return FALSE;
    }
}

}  // namespace

void runAboutDialog() {
    gAbout = {};
    runModalDialog(IDD_ABOUT, aboutProc);
    gAbout = {};
}
