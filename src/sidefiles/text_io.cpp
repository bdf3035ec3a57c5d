#include "sidefiles/text_io.h"

#include "gxt/gxt.h"
#include "sidefiles/side_file.h"
#include "support/text.h"

namespace {

// The longest key a line may have; a longer one passes the line over.
constexpr uint32_t kKeyLimit = 32;
// "0x" and eight digits: the key of an entry without a name.
constexpr uint32_t kHashKeyLength = 10;

// The rows that an export writes: the string list while it is shown, else
// the current table's rows; null when there are none to choose.
GxtEntry* const* exportedRows(uint32_t* count) {
    if (gStringList.on) {
        *count = gStringList.count;
        return gStringList.entries;
    }
    const GxtDocument& d = gDocument;
    if (!d.loaded || d.currentTable < 0 || (uint32_t)d.currentTable >= d.tableCount) return nullptr;
    *count = d.tables[d.currentTable].entryCount;
    return d.tables[d.currentTable].rowOrder;
}

const char* textOrEmpty(const GxtEntry* e) {
    const char* text = entryText(e);
    return text ? text : "";
}

}  // namespace

int exportText(const char* path) {
    if (!path) return 7000;
    waitIndexWorker();
    uint32_t count = 0;
    GxtEntry* const* rows = exportedRows(&count);
    if (!rows) return 7001;
    uint64_t size = 0;
    for (uint32_t r = 0; r < count; ++r) {
        const GxtEntry* e = rows[r];
        size += (e->nameKnown ? textLength(e->name) : kHashKeyLength) + textLength(textOrEmpty(e)) + 3;
    }
    if (size >= 0xFFFFFFFFull) return 7002;
    char* out = static_cast<char*>(documentAlloc((size_t)size + 1));
    if (!out) return 7002;
    uint32_t at = 0;
    for (uint32_t r = 0; r < count; ++r) {
        const GxtEntry* e = rows[r];
        if (e->nameKnown) {
            at += copyText(out + at, e->name);
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

bool isLineEnd(uint8_t c) { return c == '\r' || c == '\n'; }

// Whether more than kKeyLimit bytes, of any kind, stand between from and the
// next "=" (or the end of the content).
bool keyTooLong(const SideFileContent& c, uint32_t from) {
    uint32_t end = c.size - from > kKeyLimit ? from + kKeyLimit + 1 : c.size;
    for (uint32_t p = from; p < end; ++p)
        if (c.bytes[p] == '=') return false;
    return end - from > kKeyLimit;
}

uint32_t skipLine(const SideFileContent& c, uint32_t p) {
    while (p < c.size && !isLineEnd(c.bytes[p])) ++p;
    return p;
}

bool sameText(const char* current, const uint8_t* text, uint32_t length) {
    for (uint32_t i = 0; i < length; ++i)
        if ((uint8_t)current[i] != text[i]) return false;  // also stops at current's end
    return current[length] == 0;
}

}  // namespace

int importText(const char* path) {
    waitIndexWorker();
    SideFileContent c;
    int code = readSideFile(path, 8000, c);
    if (code) return code;
    const uint8_t* b = c.bytes;
    uint32_t p = 0;
    for (;;) {
        while (p < c.size && b[p] < 0x20) ++p;
        if (p >= c.size) break;
        bool hashKey = p + 1 < c.size && b[p] == '0' && b[p + 1] == 'x';
        if (hashKey) p += 2;
        if (keyTooLong(c, p)) {
            p = skipLine(c, p);
            continue;
        }
        char key[kKeyLimit + 1];
        uint32_t n = 0;
        while (n < kKeyLimit && p < c.size && isTokenByte(b[p]) && b[p] != '=') key[n++] = (char)b[p++];
        key[n] = 0;
        GxtEntry* e = nullptr;
        if (!hashKey) e = findEntry(key, 0);
        else if (uint32_t hash = textToNumber(key, 16)) e = findEntry(nullptr, hash);
        if (!e) {
            p = skipLine(c, p);
            continue;
        }
        if (!hashKey) setEntryName(e, key);
        if (p >= c.size) break;
        // The text starts after the byte that ended the key: the "=" of
        // every line the export writes.
        uint32_t start = ++p;
        while (p < c.size && b[p] >= 0x20) ++p;
        const char* current = entryText(e);
        if (!current || !sameText(current, b + start, p - start))
            setEntryText(e, reinterpret_cast<const char*>(b + start), p - start);
    }
    releaseSideFile(c);
    return 0;
}
