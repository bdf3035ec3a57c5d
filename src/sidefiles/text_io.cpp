#include "sidefiles/text_io.h"

#include "gxt/gxt.h"
#include "gxt/hash_index.h"
#include "sidefiles/side_file.h"
#include "support/text.h"

namespace {

// The longest key a line may have; a longer one passes the line over.
constexpr uint32_t kKeyLimit = 32;
// "0x" and eight digits: the key of an entry without a name.
constexpr uint32_t kHashKeyLength = 10;

const char* textOrEmpty(const GxtEntry* e) {
    const char* text = entryText(e);
    return text ? text : "";
}

}  // namespace

int exportText(const char* path) {
    if (!path) return 7000;
    waitIndexWorker();
    const ShownRows rows = shownRows();
    if (!rows.list && !rows.table) return 7001;
    uint64_t size = 0;
    for (uint32_t r = 0; r < rows.count; ++r) {
        const GxtEntry* e = shownRow(rows, r);
        size += (entryNameKnown(e) ? textLength(entryName(e)) : kHashKeyLength) + textLength(textOrEmpty(e)) + 3;
    }
    if (size >= 0xFFFFFFFFull) return 7002;
    char* out = static_cast<char*>(documentAlloc((size_t)size + 1));
    if (!out) return 7002;
    uint32_t at = 0;
    for (uint32_t r = 0; r < rows.count; ++r) {
        const GxtEntry* e = shownRow(rows, r);
        if (entryNameKnown(e)) {
            at += copyText(out + at, entryName(e));
        } else {
            out[at++] = '0';
            out[at++] = 'x';
            at += numberToText(out + at, e->hash, 8, 16);
        }
        out[at++] = '=';
        at += copyText(out + at, textOrEmpty(e));
        out[at++] = '\r';
        out[at++] = '\n';
    }
    int result = 0;
    PlatformFile* file = fileCreateReplacing(path);
    if (!file) {
        result = 7003;
    } else if (!fileWrite(file, out, at)) {
        fileClose(file);
        result = 7004;
    } else if (!fileFinish(file)) {
        result = 7004;
    }
    documentFree(out);
    return result;
}

namespace {

// The byte-order mark that makes an import read its file as UTF-8.
constexpr uint8_t kUtf8Mark[] = {0xEF, 0xBB, 0xBF};

// An import in progress: the content, where it has got to, and which line
// that is.
struct TextImport {
    const uint8_t* bytes;
    uint32_t size;
    uint32_t at;
    uint32_t line;  // from 1
    bool utf8;
    KeyIndex shown;
    TextImportSummary* summary;
    char text[kMaxReplacementText + 1];  // a text converted from UTF-8
};

bool isLineEnd(uint8_t c) { return c == '\r' || c == '\n'; }

// Skips the bytes below 0x20 before a line, counting the line ends among
// them: CR, LF and CR LF each end one line.
void skipControlBytes(TextImport& in) {
    while (in.at < in.size && in.bytes[in.at] < 0x20) {
        const uint8_t c = in.bytes[in.at++];
        if (c == '\n' || (c == '\r' && (in.at >= in.size || in.bytes[in.at] != '\n'))) ++in.line;
    }
}

void passOver(TextImport& in, TextLineSkip reason) {
    while (in.at < in.size && !isLineEnd(in.bytes[in.at])) ++in.at;
    ++in.summary->passedOver;
    if (in.summary->onPassedOver) in.summary->onPassedOver(in.summary->context, in.line, reason);
}

// The first position at or after from that holds a byte below 0x20 (or the
// end): where a key's line or a text ends.
uint32_t controlByteFrom(const TextImport& in, uint32_t from) {
    while (from < in.size && in.bytes[from] >= 0x20) ++from;
    return from;
}

bool sameText(const char* current, const char* text, uint32_t length) {
    for (uint32_t i = 0; i < length; ++i)
        if (current[i] != text[i]) return false;  // also stops at current's end
    return current[length] == 0;
}

// Characters of a UTF-8 text: every byte that does not continue one.
uint32_t utf8Characters(const uint8_t* text, uint32_t length) {
    uint32_t n = 0;
    for (uint32_t i = 0; i < length; ++i) n += (text[i] & 0xC0) != 0x80;
    return n;
}

// The line's text in display characters: the bytes as they are, or for a
// UTF-8 file converted into in.text. Null, with the reason, when the line
// must be passed over.
const char* displayTextOf(TextImport& in, uint32_t start, uint32_t end, uint32_t* length, TextLineSkip* reason) {
    const char* raw = reinterpret_cast<const char*>(in.bytes + start);
    *length = end - start;
    *reason = TEXT_LINE_TOO_LONG;
    if (!in.utf8) return *length <= kMaxReplacementText ? raw : nullptr;
    // No code page holds a character in less than a byte: more characters
    // than the limit are too many, whatever they convert to.
    if (utf8Characters(in.bytes + start, *length) > kMaxReplacementText) return nullptr;
    switch (utf8ToCodePage(0, raw, *length, in.text, kMaxReplacementText, length)) {
    case CODE_PAGE_OK: return in.text;
    case CODE_PAGE_TOO_LONG: return nullptr;
    case CODE_PAGE_UNREPRESENTABLE: *reason = TEXT_LINE_UNREPRESENTABLE; return nullptr;
    case CODE_PAGE_NO_MEMORY: *reason = TEXT_LINE_NO_MEMORY; return nullptr;
    }
    return nullptr;
}

// Reads one line from in.at, which holds its first byte: "KEY=TEXT". The
// text runs to the first byte below 0x20; anything that makes the line
// change nothing passes over the rest of the line.
void importLine(TextImport& in) {
    const uint8_t* b = in.bytes;
    uint32_t p = in.at;
    const bool hashKey = p + 1 < in.size && b[p] == '0' && b[p + 1] == 'x';
    if (hashKey) p += 2;
    // The "=" must come before the line ends (at the first control byte),
    // and at most kKeyLimit bytes after the key's start.
    const uint32_t lineEnd = controlByteFrom(in, p);
    uint32_t equals = p;
    while (equals < lineEnd && b[equals] != '=') ++equals;
    if (equals == lineEnd) return passOver(in, TEXT_LINE_NO_EQUALS);
    if (equals - p > kKeyLimit) return passOver(in, TEXT_LINE_UNKNOWN_KEY);

    char key[kKeyLimit + 1];
    uint32_t n = 0;
    while (p < equals && isTokenByte(b[p])) key[n++] = (char)b[p++];
    key[n] = 0;
    const uint32_t hash = hashKey ? textToNumber(key, 16) : 0;
    const char* name = hashKey ? nullptr : key;
    GxtEntry* e = nullptr;
    if (!hashKey || hash != 0) {
        e = findShownEntry(in.shown, name, hash);
        if (!e) e = findEntry(name, hash);
    }
    if (!e) return passOver(in, TEXT_LINE_UNKNOWN_KEY);

    // The text starts after the byte that ended the key: the "=" of every
    // line the export writes.
    const uint32_t start = p + 1;
    const uint32_t end = controlByteFrom(in, start);
    uint32_t length = 0;
    TextLineSkip reason;
    const char* text = displayTextOf(in, start, end, &length, &reason);
    if (!text) return passOver(in, reason);
    const char* current = entryText(e);
    if (current && sameText(current, text, length)) {
        ++in.summary->equal;
    } else if (setEntryText(e, text, length)) {
        ++in.summary->changed;
    } else {
        return passOver(in, TEXT_LINE_NO_MEMORY);
    }
    if (name) setEntryName(e, name);
    in.at = end;
}

}  // namespace

int importText(const char* path, TextImportSummary* summary) {
    waitIndexWorker();
    SideFileContent c;
    int code = readSideFile(path, 8000, c);
    if (code) return code;
    TextImportSummary ignored{};
    TextImport in{};
    in.bytes = c.bytes;
    in.size = c.size;
    in.line = 1;
    in.summary = summary ? summary : &ignored;
    in.utf8 = c.size >= sizeof kUtf8Mark && c.bytes[0] == kUtf8Mark[0] && c.bytes[1] == kUtf8Mark[1] &&
              c.bytes[2] == kUtf8Mark[2];
    if (in.utf8) in.at = sizeof kUtf8Mark;
    in.shown = buildShownRowIndex();
    for (;;) {
        skipControlBytes(in);
        if (in.at >= in.size) break;
        importLine(in);
    }
    releaseShownRowIndex(in.shown);
    releaseSideFile(c);
    return 0;
}
