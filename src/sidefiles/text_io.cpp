#include "sidefiles/text_io.h"

#include "gxt/gxt.h"
#include "gxt/hash_index.h"
#include "sidefiles/side_file.h"
#include "support/text.h"

#include <cstring>

namespace {

// The longest key a line may have; a longer one passes the line over.
constexpr uint32_t kKeyLimit = 32;
// "0x" and eight digits: the key of an entry without a name.
constexpr uint32_t kHashKeyLength = 10;

// Whether the line's key is the entry's name. A found name that an import
// would not read back whole (a byte outside the key bytes, or an "=") goes
// out as the entry's hash instead, so that the line comes back to its entry.
bool writesName(const GxtEntry* e) {
    if (!entryNameKnown(e)) return false;
    if (!gDocument.hashedKeys) return true;
    for (const char* c = entryName(e); *c; ++c)
        if (!isTokenByte((uint8_t)*c) || *c == '=') return false;
    return true;
}

const char* textOrEmpty(const GxtEntry* e) {
    const char* text = entryText(e);
    return text ? text : "";
}

}  // namespace

namespace {

// The bytes of the lines of the given rows: "KEY=TEXT" and CR LF each.
uint64_t rowLinesSize(const ShownRows& rows) {
    uint64_t size = 0;
    for (uint32_t r = 0; r < rows.count; ++r) {
        const GxtEntry* e = shownRow(rows, r);
        size += (writesName(e) ? textLength(entryName(e)) : kHashKeyLength) + textLength(textOrEmpty(e)) + 3;
    }
    return size;
}

uint32_t putRowLines(char* out, const ShownRows& rows) {
    uint32_t at = 0;
    for (uint32_t r = 0; r < rows.count; ++r) {
        const GxtEntry* e = shownRow(rows, r);
        if (writesName(e)) {
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
    return at;
}

// Writes the first `size` bytes of out to path, converted as the encoding
// asks, and releases out: 0, 7002 (no memory for the conversion), 7003,
// 7004 or 7005 (a byte the code page gives no character; failure says
// where).
int writeAndRelease(const char* path, char* out, uint32_t size, const TextEncoding* encoding,
                    TextConversionFailure* failure) {
    char* converted = nullptr;
    if (encoding && encoding->utf8) {
        // A character of a code page takes at most 3 bytes of UTF-8.
        const uint64_t capacity = 3ull * size;
        converted = capacity + 3 < 0xFFFFFFFFull ? static_cast<char*>(documentAlloc((size_t)capacity + 3)) : nullptr;
        TextConversionFailure ignored{};
        uint32_t written = 0;
        CodePageResult r = CODE_PAGE_NO_MEMORY;
        if (converted) {
            for (uint32_t i = 0; i < sizeof kUtf8ByteOrderMark; ++i) converted[i] = (char)kUtf8ByteOrderMark[i];
            r = convertTextLines(true, encoding->codePage, out, size, converted + 3, (uint32_t)capacity, &written,
                                 failure ? failure : &ignored);
        }
        documentFree(out);
        if (r != CODE_PAGE_OK) {
            documentFree(converted);
            return r == CODE_PAGE_UNREPRESENTABLE ? 7005 : 7002;
        }
        out = converted;
        size = written + 3;
    }
    int result = 0;
    PlatformFile* file = fileCreateReplacing(path);
    if (!file) {
        result = 7003;
    } else if (!fileWrite(file, out, size)) {
        fileClose(file);
        result = 7004;
    } else if (!fileFinish(file)) {
        result = 7004;
    }
    documentFree(out);
    return result;
}

// A block of size + 1 bytes from the document's heap, or null when the
// size is beyond what a file write can take.
char* allocOutput(uint64_t size) {
    if (size >= 0xFFFFFFFFull) return nullptr;
    return static_cast<char*>(documentAlloc((size_t)size + 1));
}

}  // namespace

int exportText(const char* path, const TextEncoding* encoding, TextConversionFailure* failure) {
    if (!path) return 7000;
    waitIndexWorker();
    const ShownRows rows = shownRows();
    if (!rows.list && !rows.table) return 7001;
    char* out = allocOutput(rowLinesSize(rows));
    if (!out) return 7002;
    return writeAndRelease(path, out, putRowLines(out, rows), encoding, failure);
}

int exportAllText(const char* path, const TextEncoding* encoding, TextConversionFailure* failure) {
    if (!path) return 7000;
    waitIndexWorker();
    const uint32_t tables = tableCount();
    if (tables == 0) return 7001;
    // Each table's lines follow "[" NAME "]" and CR LF. The first pass
    // (out null) only counts the bytes.
    char* out = nullptr;
    uint64_t size = 0;
    for (int pass = 0; pass < 2; ++pass) {
        for (uint32_t i = 0; i < tables; ++i) {
            char name[16] = {};  // "[", 8 characters, "]", CR LF and a terminator
            name[0] = '[';
            tableName(i, name + 1);
            uint32_t n = textLength(name);
            name[n] = ']';
            name[n + 1] = '\r';
            name[n + 2] = '\n';
            selectTable(i);
            const ShownRows rows = shownRows();
            if (!out) {
                size += n + 3 + rowLinesSize(rows);
                continue;
            }
            size += copyText(out + size, name);
            size += putRowLines(out + size, rows);
        }
        if (out) break;
        out = allocOutput(size);
        if (!out) return 7002;
        size = 0;
    }
    return writeAndRelease(path, out, (uint32_t)size, encoding, failure);
}

namespace {

// An import in progress: the content, where it has got to, and which line
// that is.
struct TextImport {
    const uint8_t* bytes;
    uint32_t size;
    uint32_t at;
    uint32_t line;  // from 1
    bool utf8;
    uint32_t codePage;      // of the display texts, for a UTF-8 file (0: the display code page)
    bool inUnknownTable;    // after a "[NAME]" that names no table
    int32_t sectionTable;   // the table of the last "[NAME]" that named one, or -1
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

void passOver(TextImport& in, TextLineSkip reason, uint32_t character = 0) {
    while (in.at < in.size && !isLineEnd(in.bytes[in.at])) ++in.at;
    ++in.summary->passedOver;
    if (in.summary->onPassedOver) in.summary->onPassedOver(in.summary->context, in.line, reason, character);
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
    switch (utf8ToCodePage(in.codePage, raw, *length, in.text, kMaxReplacementText, length)) {
    case CODE_PAGE_OK: return in.text;
    case CODE_PAGE_TOO_LONG: return nullptr;
    case CODE_PAGE_UNREPRESENTABLE: *reason = TEXT_LINE_UNREPRESENTABLE; return nullptr;
    case CODE_PAGE_NO_MEMORY: *reason = TEXT_LINE_NO_MEMORY; return nullptr;
    }
    return nullptr;
}

// The table whose name, regardless of case, the line "[NAME]" at in.at
// gives; -1 when the line is not such a line, -2 when no table has it.
// Tables may share a name: the search starts after the table of the last
// "[NAME]" line and wraps round, so that the sections of a whole-document
// export come back to their own tables, each found at the first look.
// A table's name may hold an "=": such a line names a section only when a
// table has that name, and is a key line otherwise.
int32_t sectionTable(const TextImport& in) {
    const uint8_t* b = in.bytes;
    if (b[in.at] != '[') return -1;
    const uint32_t end = controlByteFrom(in, in.at);
    if (end - in.at < 2 || b[end - 1] != ']') return -1;
    const int32_t none = memchr(b + in.at, '=', end - in.at) ? -1 : -2;
    const uint32_t n = end - in.at - 2;
    if (n > 8) return none;
    char name[9] = {};
    for (uint32_t i = 0; i < n; ++i) name[i] = (char)b[in.at + 1 + i];
    const uint32_t tables = tableCount();
    for (uint32_t i = 0; i < tables; ++i) {
        const uint32_t t = (uint32_t)(in.sectionTable + 1 + i) % tables;
        char candidate[9] = {};
        tableName(t, candidate);
        if (compareText(name, candidate, 9, 0) == 0) return (int32_t)t;
    }
    return none;
}

// A "[NAME]" line: the named table's rows become the first place to look.
void startSection(TextImport& in, int32_t table) {
    in.inUnknownTable = table < 0;
    if (in.inUnknownTable) return passOver(in, TEXT_LINE_UNKNOWN_TABLE);
    in.sectionTable = table;
    releaseShownRowIndex(in.shown);
    selectTable((uint32_t)table);
    in.shown = buildShownRowIndex();
    in.at = controlByteFrom(in, in.at);
}

// The entry whose known name is "0x" followed by digits: the export writes
// such a name as it is, so the line is that entry's, not the one whose hash
// the digits give. Null when no entry has that name.
GxtEntry* entryNamedLikeHashKey(const TextImport& in, const char* digits) {
    char full[kKeyLimit + 3] = {'0', 'x'};
    copyBounded(full + 2, digits, kKeyLimit + 1);
    GxtEntry* e = findShownEntry(in.shown, full, 0);
    if (!e) e = findEntry(full, 0);
    const char* known = entryName(e);
    return known && compareText(known, full, textLength(known) + 1, 0) == 0 ? e : nullptr;
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
    if (hashKey) e = entryNamedLikeHashKey(in, key);
    if (!e && (!hashKey || hash != 0)) {
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
    if (!text) {
        uint32_t character = 0;
        if (reason == TEXT_LINE_UNREPRESENTABLE)
            firstUnconvertibleCharacter(in.codePage, reinterpret_cast<const char*>(b + start), end - start, &character);
        return passOver(in, reason, character);
    }
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

int importText(const char* path, TextImportSummary* summary, const TextEncoding* encoding, uint32_t limit) {
    waitIndexWorker();
    SideFileContent c;
    int code = readSideFile(path, 8000, c, limit);
    if (code) return code;
    TextImportSummary ignored{};
    TextImport in{};
    in.bytes = c.bytes;
    in.size = c.size;
    in.line = 1;
    in.sectionTable = -1;
    in.summary = summary ? summary : &ignored;
    const bool marked = startsWithUtf8Mark(c.bytes, c.size);
    in.utf8 = marked || (encoding && encoding->utf8);
    in.codePage = encoding && encoding->utf8 ? encoding->codePage : 0;
    if (marked) in.at = sizeof kUtf8ByteOrderMark;
    // "[NAME]" lines choose other tables; the one shown is shown again after.
    const int32_t shownTable = gDocument.currentTable;
    in.shown = buildShownRowIndex();
    for (;;) {
        skipControlBytes(in);
        if (in.at >= in.size) break;
        int32_t table = sectionTable(in);
        if (table != -1) startSection(in, table);
        else if (in.inUnknownTable) passOver(in, TEXT_LINE_IN_UNKNOWN_TABLE);
        else importLine(in);
    }
    releaseShownRowIndex(in.shown);
    gDocument.currentTable = shownTable;
    releaseSideFile(c);
    return 0;
}
