// The Edit string dialog: the text of the entry at the entry list's
// selection mark, editable, beside the text read from the file and the
// entry's key. OK stores a changed text and marks the document modified.
#include <windows.h>

#include "app/shell_state.h"
#include "dialogs/dialog_common.h"
#include "dialogs/dialogs.h"
#include "gxt/gxt.h"
#include "platform/platform.h"
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

// Why a text typed into the dialog cannot be taken as it stands.
enum NewTextCheck : int {
    TEXT_READY,
    TEXT_NO_MEMORY,
    TEXT_UNHELD_CHARACTER,  // a character the code page has no byte for
    TEXT_TOO_LONG,          // more than an entry may hold
};

// The new text in the system's code page. The field holds what was typed
// in Unicode; converting it without best-fit look-alikes finds the first
// character the code page cannot hold, which would otherwise be saved as a
// different character or a question mark without a word.
struct NewText {
    char* block;       // one process-heap block: the Unicode text, then the bytes
    char* bytes;       // the text in the code page, zero-terminated
    uint32_t length;   // its bytes
    wchar_t unheld[2];  // the character that could not be converted
    uint32_t unheldUnits;
};

constexpr UINT kUtf8CodePage = 65001;

bool isHighSurrogate(wchar_t c) { return c >= 0xD800 && c <= 0xDBFF; }
bool isLowSurrogate(wchar_t c) { return c >= 0xDC00 && c <= 0xDFFF; }

// Converts units of Unicode text into the code page; true when every
// character had a byte (or bytes) of its own. bytes may be null to measure.
bool toCodePage(const wchar_t* text, int units, char* bytes, int size, int* written) {
    // The code page UTF-8 holds everything and takes neither the flag nor
    // the question whether a default was used.
    const bool utf8 = GetACP() == kUtf8CodePage;
    BOOL usedDefault = FALSE;
    *written = WideCharToMultiByte(CP_ACP, utf8 ? 0 : WC_NO_BEST_FIT_CHARS, text, units, bytes, size, nullptr,
                                   utf8 ? nullptr : &usedDefault);
    return !usedDefault && (*written > 0 || units == 0);
}

// The first character of the text that the code page cannot hold.
void findUnheld(const wchar_t* text, int units, NewText* out) {
    for (int i = 0; i < units;) {
        const int n = (isHighSurrogate(text[i]) && i + 1 < units && isLowSurrogate(text[i + 1])) ? 2 : 1;
        int written = 0;
        if (!toCodePage(text + i, n, nullptr, 0, &written)) {
            out->unheld[0] = text[i];
            out->unheld[1] = n == 2 ? text[i + 1] : 0;
            out->unheldUnits = (uint32_t)n;
            return;
        }
        i += n;
    }
}

NewTextCheck readNewText(HWND field, NewText* out) {
    *out = {};
    const int units = GetWindowTextLengthW(field);
    // No code page takes more than four bytes for one unit.
    const size_t wideSize = ((size_t)units + 1) * sizeof(wchar_t);
    out->block = static_cast<char*>(heapAlloc(processHeap(), kHeapZeroMemory, wideSize + 4 * (size_t)units + 1));
    if (!out->block) return TEXT_NO_MEMORY;
    wchar_t* wide = reinterpret_cast<wchar_t*>(out->block);
    GetWindowTextW(field, wide, units + 1);
    out->bytes = out->block + wideSize;
    int written = 0;
    if (!toCodePage(wide, units, out->bytes, 4 * units + 1, &written)) {
        findUnheld(wide, units, out);
        return TEXT_UNHELD_CHARACTER;
    }
    out->length = (uint32_t)written;
    return out->length > kMaxReplacementText ? TEXT_TOO_LONG : TEXT_READY;
}

// Shows a resource text as a warning over the dialog: %1 stands for the
// character, %2 for its code point in hexadecimal (at least four digits).
void warn(HWND dialog, UINT textId, const wchar_t* character = nullptr, uint32_t units = 0) {
    wchar_t pattern[256] = {};
    wchar_t caption[64] = {};
    LoadStringW(gShell.instance, textId, pattern, 256);
    LoadStringW(gShell.instance, IDS_APP_NAME, caption, 64);
    uint32_t code = units == 2 ? 0x10000 + (((uint32_t)character[0] - 0xD800) << 10) + (character[1] - 0xDC00)
                               : (units == 1 ? character[0] : 0);
    wchar_t hex[8] = {};
    uint32_t digits = 0;
    for (uint32_t rest = code; rest || digits < 4; rest >>= 4) hex[digits++] = L"0123456789ABCDEF"[rest & 15];

    wchar_t message[320] = {};
    uint32_t n = 0;
    auto put = [&](wchar_t c) {
        if (n + 1 < 320) message[n++] = c;
    };
    for (const wchar_t* p = pattern; *p; ++p) {
        if (p[0] == L'%' && p[1] == L'1') {
            for (uint32_t i = 0; i < units; ++i) put(character[i]);
            ++p;
        } else if (p[0] == L'%' && p[1] == L'2') {
            while (digits) put(hex[--digits]);
            ++p;
        } else {
            put(*p);
        }
    }
    MessageBoxW(dialog, message, caption, MB_OK | MB_ICONWARNING);
}

// Stores the new text if it differs from the current one. False when it
// differs but could not be stored: the dialog then stays open with the
// text, and the document is neither changed nor marked modified.
bool storeNewText(const char* text, uint32_t length) {
    const EditStringState& s = gEditString;
    const char* current = rowText((uint32_t)s.row);
    // Whole texts, case and terminator included: a shortened text differs.
    if (!current || compareText(text, current, length + 1, 1) == 0) return true;
    if (!setRowText((uint32_t)s.row, text, length)) return false;
    PostMessageA(gShell.mainWindow, MSG_SHOW_SELECTED, 0, 0);
    gShell.gxtModified = 1;
    return true;
}

// OK: a text that cannot be taken as typed keeps the dialog open with it,
// and the user is told why.
void commitNewText(HWND dialog) {
    NewText text;
    switch (readNewText(gEditString.newText, &text)) {
    case TEXT_READY:
        endDialogIfDone(dialog, storeNewText(text.bytes, text.length));
        break;
    case TEXT_NO_MEMORY:
        endDialogIfDone(dialog, false);
        break;
    case TEXT_UNHELD_CHARACTER:
        warn(dialog, IDS_EDIT_UNHELD_CHAR, text.unheld, text.unheldUnits);
        break;
    case TEXT_TOO_LONG:
        warn(dialog, IDS_EDIT_TOO_LONG);
        break;
    }
    freeDialogText(text.block);
}

INT_PTR CALLBACK editStringProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
    if (handleDialogClose(dialog, message, wParam)) return TRUE;
    switch (message) {
    case WM_INITDIALOG:
        initEditString(dialog);
        return TRUE;  // the focus goes to the first tab stop, the new text
    case WM_COMMAND:
        // Typing or pasting beyond the field's limit: say so, not just beep.
        // A text already longer (from the file) is told on OK, not on every
        // key that shortens it.
        if (LOWORD(wParam) == IDC_EDIT_NEW_TEXT && HIWORD(wParam) == EN_MAXTEXT) {
            if ((uint32_t)GetWindowTextLengthW(gEditString.newText) <= kMaxReplacementText)
                warn(dialog, IDS_EDIT_TOO_LONG);
            return TRUE;
        }
        if (LOWORD(wParam) != IDOK) return FALSE;
        commitNewText(dialog);
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
