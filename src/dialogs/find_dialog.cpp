// Find and Find next: the Find dialog stores what to look for and searches
// from the first row; Find next repeats the search from the row after the
// selection mark. A hit selects the row and shows it; the search never
// wraps around, and a miss changes nothing.
#include <windows.h>
#include <commctrl.h>

#include "app/shell_state.h"
#include "dialogs/dialog_common.h"
#include "dialogs/dialogs.h"
#include "dialogs/find_core.h"
#include "gxt/gxt.h"
#include "resources/resource.h"

namespace {

FindSettings gFind = {nullptr, FIND_STRINGS, 0};

bool hashesOffered() { return gDocument.loaded && gDocument.hashedKeys; }

void initFind(HWND dialog) {
    EnableWindow(GetDlgItem(dialog, IDC_FIND_HASHES), hashesOffered());
    int mode = IDC_FIND_STRINGS;
    if (gFind.findMode == FIND_IDS) mode = IDC_FIND_IDS;
    // A stored hash search falls back to strings where hashes are not offered.
    if (gFind.findMode == FIND_HASHES && hashesOffered()) mode = IDC_FIND_HASHES;
    CheckRadioButton(dialog, IDC_FIND_IDS, IDC_FIND_STRINGS, mode);
    if (gFind.findText) SetDlgItemTextA(dialog, IDC_FIND_TEXT, gFind.findText);
    CheckDlgButton(dialog, IDC_FIND_MATCH_CASE, gFind.findMatchCase ? BST_CHECKED : BST_UNCHECKED);
    SetFocus(GetDlgItem(dialog, IDC_FIND_TEXT));
}

// Replaces the settings, all three at once, with the dialog's. False when
// there is no memory for the text: the previous settings then stay.
bool storeSettings(HWND dialog) {
    uint32_t length = 0;
    char* text = copyWindowText(GetDlgItem(dialog, IDC_FIND_TEXT), &length);
    if (!text) return false;
    freeDialogText(gFind.findText);
    gFind.findText = text;
    if (IsDlgButtonChecked(dialog, IDC_FIND_STRINGS) == BST_CHECKED) gFind.findMode = FIND_STRINGS;
    else if (IsDlgButtonChecked(dialog, IDC_FIND_IDS) == BST_CHECKED) gFind.findMode = FIND_IDS;
    else gFind.findMode = FIND_HASHES;
    gFind.findMatchCase = IsDlgButtonChecked(dialog, IDC_FIND_MATCH_CASE) == BST_CHECKED;
    return true;
}

INT_PTR CALLBACK findProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
    if (handleDialogClose(dialog, message, wParam)) return TRUE;
    switch (message) {
    case WM_INITDIALOG:
        initFind(dialog);
        return FALSE;  // the focus is set
    case WM_COMMAND:
        if (LOWORD(wParam) != IDOK) return FALSE;
        endDialogIfDone(dialog, storeSettings(dialog));
        return TRUE;
    default:
        return FALSE;
    }
}

// Selects the row as a click would, scrolls it into view and previews it.
void showHit(int32_t row) {
    HWND list = gShell.entryList;
    SetFocus(list);
    LVITEMA item = {};
    item.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
    item.state = LVIS_SELECTED | LVIS_FOCUSED;
    SendMessageA(list, LVM_SETITEMSTATE, (WPARAM)row, (LPARAM)&item);
    SendMessageA(list, LVM_SETSELECTIONMARK, 0, (LPARAM)row);
    SendMessageA(list, LVM_ENSUREVISIBLE, (WPARAM)row, FALSE);
    PostMessageA(gShell.mainWindow, MSG_SHOW_SELECTED, 0, 0);
}

}  // namespace

void runFindDialog() {
    // The search runs once the dialog has gone and the list can take the focus.
    if (runModalDialog(IDD_FIND, findProc) == kDialogOk) findNext(1);
}

int findNext(int fromTop) {
    if (!gFind.findText || gShell.stringListView || tableCount() == 0 || gShell.selectedTableRow < 0) return 0;
    // The row after the selection mark; row 0 when nothing is marked.
    const uint32_t start = fromTop ? 0 : (uint32_t)(selectionMark() + 1);
    const int32_t row = findRow(gFind.findText, gFind.findMode, gFind.findMatchCase, start);
    if (row != kNotFound) showHit(row);
    return 1;
}
