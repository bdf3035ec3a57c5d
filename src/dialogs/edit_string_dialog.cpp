// The Edit string dialog: the text of the entry at the entry list's
// selection mark, editable, beside the text read from the file and the
// entry's key. OK stores a changed text and marks the document modified.
#include <windows.h>

#include "app/shell_state.h"
#include "dialogs/dialog_common.h"
#include "dialogs/dialogs.h"
#include "gxt/gxt.h"
#include "resources/resource.h"
#include "support/text.h"

namespace {

struct EditStringState {
    int32_t row;        // the selection mark when the dialog opened
    HWND newText;
    HWND fileText;
    HWND key;
};

EditStringState gEditString;

void initEditString(HWND dialog) {
    EditStringState& s = gEditString;
    s.row = selectionMark();
    s.newText = GetDlgItem(dialog, IDC_EDIT_NEW_TEXT);
    s.fileText = GetDlgItem(dialog, IDC_EDIT_FILE_TEXT);
    s.key = GetDlgItem(dialog, IDC_EDIT_KEY);
    // The document keeps no longer text, so the field takes none.
    SendMessageA(s.newText, EM_LIMITTEXT, kMaxReplacementText, 0);

    // Row -1 is out of every range: each accessor then gives none.
    const uint32_t row = (uint32_t)s.row;
    const char* name = rowKeyName(row);
    if (name) {
        SetWindowTextA(s.key, name);
    } else {
        // An unnamed hashed key shows its hash, greyed.
        const char* hashName = rowHashName(row);
        if (hashName) SetWindowTextA(s.key, hashName);
        EnableWindow(s.key, FALSE);
    }
    if (const char* text = rowText(row)) SetWindowTextA(s.newText, text);
    if (const char* loaded = rowLoadedText(row)) SetWindowTextA(s.fileText, loaded);
    // Once the focus has come to the field and selected all of it, the
    // caret goes to the start with nothing selected.
    PostMessageA(s.newText, EM_SETSEL, 0, 0);
}

// Stores the new text if it differs from the current one. False when it
// differs but could not be stored: the dialog then stays open with the
// text, and the document is neither changed nor marked modified.
bool storeNewText() {
    EditStringState& s = gEditString;
    uint32_t got = 0;
    char* text = copyWindowText(s.newText, &got);
    if (!text) return false;
    bool stored = true;
    const char* current = rowText((uint32_t)s.row);
    // Whole texts, case and terminator included: a shortened text differs.
    if (current && compareText(text, current, got + 1, 1) != 0) {
        stored = setRowText((uint32_t)s.row, text, got) != 0;
        if (stored) {
            PostMessageA(gShell.mainWindow, MSG_SHOW_SELECTED, 0, 0);
            gShell.gxtModified = 1;
        }
    }
    freeDialogText(text);
    return stored;
}

INT_PTR CALLBACK editStringProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
    if (handleDialogClose(dialog, message, wParam)) return TRUE;
    switch (message) {
    case WM_INITDIALOG:
        initEditString(dialog);
        return TRUE;  // the focus goes to the first tab stop, the new text
    case WM_COMMAND:
        if (LOWORD(wParam) != IDOK) return FALSE;
        endDialogIfDone(dialog, storeNewText());
        return TRUE;
    default:
        return FALSE;
    }
}

}  // namespace

void runEditStringDialog() {
    waitIndexWorker();
    gEditString = {};
    runModalDialog(IDD_EDIT_STRING, editStringProc);
    gEditString = {};
}
