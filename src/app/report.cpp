// Telling the user that a file operation failed: which file, and why, in
// words of the user's language.
#include "app/shell_state.h"
#include "gxt/gxt.h"
#include "resources/resource.h"
#include "support/text.h"

namespace {

constexpr uint32_t kResourceTextSize = 256;
constexpr uint32_t kMessageSize = 1200;

// The steps the readers of files share, as offsets from their code block:
// open, size, too large, memory, read.
UINT readingReason(int step) {
    switch (step) {
    case 1: return IDS_REASON_CANNOT_OPEN;
    case 2: return IDS_REASON_NO_SIZE;
    case 3: return IDS_REASON_TOO_LARGE;
    case 4: return IDS_REASON_NO_MEMORY;
    case 5: return IDS_REASON_CANNOT_READ;
    default: return 0;
    }
}

// The reason for a code of an operation; 0 when the program has no words
// for it (the message then gives the code).
UINT reasonFor(FileOperation operation, int code) {
    switch (operation) {
    case OP_OPEN_GXT:
        if (code == 2000 || code == 2208) return IDS_REASON_NO_MEMORY;
        if (code == 2006) return IDS_REASON_NOT_GXT;
        if (code == 2007) return IDS_REASON_BAD_TABLES;
        return readingReason(code - 2000);
    case OP_SAVE_GXT:
        if (code == 3001) return gDocument.loaded ? IDS_REASON_NO_MEMORY : IDS_REASON_NO_DOCUMENT;
        if (code == 3002) return IDS_REASON_CANNOT_CREATE;
        if (code == 3003) return IDS_REASON_CANNOT_WRITE;
        if (code == 3004) return IDS_REASON_SAVED_TOO_LARGE;
        if (code == kNotReplaced) return IDS_REASON_CANNOT_REPLACE;
        return 0;
    case OP_IMPORT_IDS:
        return code == 4000 ? IDS_REASON_NO_DOCUMENT : readingReason(code - 4000);
    case OP_EXPORT_IDS:
        if (code == 5001) return gDocument.loaded ? IDS_REASON_NO_MEMORY : IDS_REASON_NO_DOCUMENT;
        if (code == 5002) return IDS_REASON_NO_MEMORY;
        if (code == 5003) return IDS_REASON_CANNOT_CREATE;
        if (code == 5004) return IDS_REASON_CANNOT_WRITE;
        return 0;
    case OP_OPEN_STRING_LIST:
        if (code == kNoNamesFound) return IDS_REASON_NO_NAMES;
        if (code == 6000) return IDS_REASON_NO_DOCUMENT;
        if (code == 6006) return IDS_REASON_NO_MEMORY;
        return readingReason(code - 6000);
    case OP_IMPORT_TEXT:
        return code == 8000 ? IDS_REASON_NO_DOCUMENT : readingReason(code - 8000);
    case OP_EXPORT_TEXT:
        if (code == 7001) return IDS_REASON_NO_ROWS;
        if (code == 7002) return IDS_REASON_NO_MEMORY;
        if (code == 7003) return IDS_REASON_CANNOT_CREATE;
        if (code == 7004) return IDS_REASON_CANNOT_WRITE;
        return 0;
    case OP_IMPORT_TBL:
        if (code == 7000) return IDS_REASON_NO_MEMORY;
        if (code == 7006 || code == 7007) return IDS_REASON_NOT_TBL;
        return readingReason(code - 7000);
    case OP_EXPORT_TBL:
        if (code == 8001) return IDS_REASON_CANNOT_CREATE;
        if (code == 8002) return IDS_REASON_CANNOT_WRITE;
        return 0;
    }
    return 0;
}

UINT headFor(FileOperation operation) {
    switch (operation) {
    case OP_OPEN_GXT:
    case OP_OPEN_STRING_LIST: return IDS_FAIL_OPEN;
    case OP_SAVE_GXT: return IDS_FAIL_SAVE;
    case OP_IMPORT_IDS:
    case OP_IMPORT_TEXT:
    case OP_IMPORT_TBL: return IDS_FAIL_IMPORT;
    case OP_EXPORT_IDS:
    case OP_EXPORT_TEXT:
    case OP_EXPORT_TBL: return IDS_FAIL_EXPORT;
    }
    return IDS_FAIL_OPEN;
}

// Appends to a bounded text, always leaving it terminated.
struct Writer {
    char* text;
    uint32_t size;
    uint32_t used;

    void append(const char* s) {
        while (*s && used + 1 < size) text[used++] = *s++;
        text[used] = 0;
    }
    // A resource text with its %1 replaced by the argument.
    void appendFormatted(UINT id, const char* argument) {
        char pattern[kResourceTextSize] = {};
        LoadStringA(gShell.instance, id, pattern, sizeof pattern);
        for (const char* p = pattern; *p; ++p) {
            if (p[0] == '%' && p[1] == '1') {
                append(argument);
                ++p;
            } else {
                const char one[2] = {*p, 0};
                append(one);
            }
        }
    }
};

}  // namespace

void describeFailure(char* text, uint32_t size, FileOperation operation, const char* path, int code) {
    if (!text || size == 0) return;
    Writer out = {text, size, 0};
    out.append("");
    out.appendFormatted(headFor(operation), path ? path : "");
    out.append("\r\n\r\n");
    if (UINT reason = reasonFor(operation, code)) {
        out.appendFormatted(reason, "");
    } else {
        char number[12];
        numberToText(number, (uint32_t)code, 0, 10);
        out.appendFormatted(IDS_REASON_UNKNOWN, number);
    }
}

void reportFailure(FileOperation operation, const char* path, int code) {
    char message[kMessageSize];
    describeFailure(message, sizeof message, operation, path, code);
    MessageBoxA(gShell.mainWindow, message, gShell.strings.appName, MB_OK | MB_ICONERROR);
}
