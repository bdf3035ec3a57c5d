// The Guess ID dialog: the user types candidate names for the hashed key
// of the entry at the selection mark; the hash of the name follows every
// keystroke, and OK is available exactly while it equals the key's hash.
// OK then gives the entry that name.
#include <windows.h>

#include "app/shell_state.h"
#include "dialogs/dialog_common.h"
#include "dialogs/dialogs.h"
#include "gxt/gxt.h"
#include "resources/resource.h"
#include "support/text.h"

namespace {

constexpr uint32_t kHashTextSize = 9;  // eight hexadecimal digits

struct GuessIdState {
    int32_t row;           // the selection mark when the dialog opened
    uint32_t target;       // the entry's key hash
    uint32_t currentHash;  // the hash of `name`
    int32_t nameLimit;     // the name field's size, terminator included
    char name[kNameFieldSize];
    HWND nameField;
    HWND hashField;
    HWND targetField;
    HWND ok;
};

GuessIdState gGuessId;

void showHash(HWND field, uint32_t hash) {
    char text[kHashTextSize];
    numberToText(text, hash, 8, 16);
    SetWindowTextA(field, text);
}

// The name field changed: read it, hash it, show the hash, and offer OK
// only when the hash is the key's.
void nameChanged() {
    GuessIdState& s = gGuessId;
    GetWindowTextA(s.nameField, s.name, s.nameLimit);
    s.currentHash = keyHash(s.name);
    showHash(s.hashField, s.currentHash);
    EnableWindow(s.ok, s.currentHash == s.target);
}

void initGuessId(HWND dialog) {
    GuessIdState& s = gGuessId;
    s.row = selectionMark();
    s.nameField = GetDlgItem(dialog, IDC_GUESS_NAME);
    s.hashField = GetDlgItem(dialog, IDC_GUESS_HASH);
    s.targetField = GetDlgItem(dialog, IDC_GUESS_TARGET);
    s.ok = GetDlgItem(dialog, IDOK);
    EnableWindow(s.ok, FALSE);

    if (gDocument.hashedKeys) {
        s.nameLimit = (int32_t)gDocument.keyNameLimit;
        if (s.nameLimit > (int32_t)kNameFieldSize) s.nameLimit = (int32_t)kNameFieldSize;
        // 7 characters for layout '2', 31 for '@'.
        SendMessageA(s.nameField, EM_LIMITTEXT, (WPARAM)(s.nameLimit - 1), 0);
    } else {
        // Named keys have nothing to guess.
        s.nameLimit = 1;
        EnableWindow(s.nameField, FALSE);
        EnableWindow(s.hashField, FALSE);
        EnableWindow(s.targetField, FALSE);
    }

    const uint32_t row = (uint32_t)s.row;
    s.target = rowHash(row);
    if (const char* hashName = rowHashName(row)) {
        SetWindowTextA(s.targetField, hashName);
    } else {
        showHash(s.targetField, s.target);
    }
    // A named entry opens with its name, hashed once the dialog runs.
    if (const char* name = rowKeyName(row)) {
        SetWindowTextA(s.nameField, name);
        PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDC_GUESS_NAME, EN_UPDATE), (LPARAM)s.nameField);
    }
}

void acceptName() {
    GuessIdState& s = gGuessId;
    if (gDocument.hashedKeys && setRowName((uint32_t)s.row, s.name)) {
        invalidateEntryList(FALSE);
        gShell.idListModified = 1;
    }
}

INT_PTR CALLBACK guessIdProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
    if (handleDialogClose(dialog, message, wParam)) return TRUE;
    switch (message) {
    case WM_INITDIALOG:
        initGuessId(dialog);
        return TRUE;  // the focus goes to the name field
    case WM_COMMAND:
        switch (LOWORD(wParam)) {
        case IDC_GUESS_NAME:
            if (HIWORD(wParam) == EN_UPDATE) nameChanged();
            return FALSE;
        case IDOK:
            // Enter reaches here even while the button is greyed.
            if (!IsWindowEnabled(gGuessId.ok) || gGuessId.currentHash != gGuessId.target) return TRUE;
            acceptName();
            EndDialog(dialog, kDialogOk);
            return TRUE;
        default:
            return FALSE;
        }
    default:
        return FALSE;
    }
}

}  // namespace

void runGuessIdDialog() {
    waitIndexWorker();
    gGuessId = {};
    runModalDialog(IDD_GUESS_ID, guessIdProc);
    gGuessId = {};
}
