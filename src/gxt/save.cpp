// Writing the document back in the layout it was read in, as a stream: the
// key records of a table are put together in a reused buffer, and strings
// that the document still holds as they were read go out straight from its
// text, in runs as long as they lie side by side.
#include "decode/decode_table.h"
#include "gxt/gxt.h"
#include "support/text.h"

namespace {

constexpr uint32_t kMaxTables = 524;
// The staging buffer holds at least this much, and always a whole table's
// key records and chunk headers.
constexpr uint32_t kMinStaging = 64 * 1024;

void write32(uint8_t* p, uint32_t v) {
    p[0] = (uint8_t)v;
    p[1] = (uint8_t)(v >> 8);
    p[2] = (uint8_t)(v >> 16);
    p[3] = (uint8_t)(v >> 24);
}

uint32_t stringDataSize(const GxtTable& t, uint32_t width) {
    uint64_t total = 0;
    for (uint32_t k = 0; k < t.entryCount; ++k) total += (uint64_t)(uint32_t)t.entries[k].storedLength * width;
    return total > 0xFFFFFFFFull ? 0xFFFFFFFFu : (uint32_t)total;
}

// Where the file goes: into a file through the staging buffer, or into one
// block of memory that holds the whole file.
struct Output {
    PlatformFile* file;
    uint8_t* buffer;    // file: the staging buffer; memory: the whole image
    uint32_t used;      // bytes in the staging buffer, or written to the image
    uint32_t room;      // size of the staging buffer, or of the image
    bool failed;
};

void flush(Output& o) {
    if (o.file && o.used > 0) {
        if (!o.failed && !fileWrite(o.file, o.buffer, o.used)) o.failed = true;
        o.used = 0;
    }
}

// n zero bytes to fill in place; n never exceeds the staging buffer.
uint8_t* reserve(Output& o, uint32_t n) {
    if (o.file && o.used + n > o.room) flush(o);
    uint8_t* at = o.buffer + o.used;
    for (uint32_t i = 0; i < n; ++i) at[i] = 0;
    o.used += n;
    return at;
}

// Bytes to copy as they are; long runs go to the file without a copy.
void putBytes(Output& o, const char* bytes, uint32_t n) {
    if (n == 0) return;
    if (o.file && n >= o.room / 2) {
        flush(o);
        if (!o.failed && !fileWrite(o.file, bytes, n)) o.failed = true;
        return;
    }
    uint8_t* at = reserve(o, n);
    for (uint32_t i = 0; i < n; ++i) at[i] = (uint8_t)bytes[i];
}

// A string of `characters` characters and its terminator at width w: from
// the raw text as read (raw) or encoded from display characters. The text
// is cut at `characters` and stops early at its own terminator.
void putString(Output& o, const char* text, uint32_t characters, uint32_t w, bool raw) {
    const uint32_t piece = o.file ? o.room / w : characters;
    bool ended = false;
    for (uint32_t done = 0; done < characters && !ended;) {
        uint32_t n = characters - done < piece ? characters - done : piece;
        uint8_t* at = reserve(o, n * w);
        uint32_t got = 0;
        if (raw) {
            for (; got < n && text[done + got] != 0; ++got) at[got * w] = (uint8_t)text[done + got];
        } else {
            got = decodeTable::encode(gAppliedTable, reinterpret_cast<char*>(at), text + done, w, n);
        }
        if (got < n) {
            // The rest of the slot stays zero.
            ended = true;
            uint32_t left = characters - done - n;
            while (left > 0) {
                uint32_t m = left < piece ? left : piece;
                reserve(o, m * w);
                left -= m;
            }
        }
        done += n;
    }
    reserve(o, w);
}

struct Layout {
    uint32_t dataSizes[kMaxTables];
    uint32_t largestKeys;  // the most key-record bytes of any table
    uint64_t total;
};

bool documentSavable() {
    const GxtDocument& d = gDocument;
    return (d.keyScheme == '0' || d.keyScheme == '@') && d.loaded && d.displayText && d.tableCount <= kMaxTables;
}

// The size of the saved file (in 64 bits), each table's string data size
// and the largest table's key records; false when there is nothing to save.
bool layoutOf(Layout& l) {
    const GxtDocument& d = gDocument;
    if (!documentSavable()) return false;
    const uint32_t n = d.tableCount;
    l.largestKeys = 0;
    l.total = d.formatVariant != '0' ? (uint64_t)d.headerSize + 8 + 12ull * n : 0;
    for (uint32_t i = 0; i < n; ++i) {
        const GxtTable& t = d.tables[i];
        l.dataSizes[i] = stringDataSize(t, d.charWidth);
        uint32_t keys = t.entryCount * d.keyRecordSize;
        if (keys > l.largestKeys) l.largestKeys = keys;
        l.total += (uint64_t)keys + (i == 0 ? 16 : 24) + l.dataSizes[i];
        if (i + 1 < n) l.total = (l.total + 3) & ~3ull;
    }
    return true;
}

// Whether the last saveDocument that failed with 3003 had written the new
// file in full and could not put it in the target's place.
bool gSaveNotReplaced = false;

// The strings of a table, in row order.
void writeStrings(Output& o, const GxtTable& t) {
    const GxtDocument& d = gDocument;
    const uint32_t w = d.charWidth;
    // An unedited string is written back as the bytes it was read from. An
    // edited one is in display characters: it is encoded through the table
    // the texts on screen were decoded with, not through edits to the decode
    // table that have not been applied. In 1-byte layouts the raw strings
    // that lie one after another go out as one run.
    const char* run = nullptr;
    uint32_t runLength = 0;
    for (uint32_t row = 0; row < t.entryCount; ++row) {
        const GxtEntry* e = tableRow(t, row);
        const uint32_t length = e->storedLength > 0 ? (uint32_t)e->storedLength : 0;
        const char* replacement = entryReplacementText(e);
        const char* raw = d.rawText + e->textPos;
        if (!replacement && w == 1 && length > 0) {
            if (run && run + runLength == raw) {
                runLength += length;
                continue;
            }
            putBytes(o, run, runLength);
            run = raw;
            runLength = length;
            continue;
        }
        putBytes(o, run, runLength);
        run = nullptr;
        runLength = 0;
        // A text never spills out of its slot, whatever the file held.
        if (length > 0) putString(o, replacement ? replacement : raw, length - 1, w, !replacement);
    }
    putBytes(o, run, runLength);
}

// Writes the whole file to o, in order.
void writeDocument(Output& o, const Layout& l) {
    const GxtDocument& d = gDocument;
    const uint32_t n = d.tableCount;
    const uint32_t h = d.headerSize;
    const uint32_t w = d.charWidth;
    const uint32_t r = d.keyRecordSize;
    const bool tableOfTables = d.formatVariant != '0';
    uint64_t s = 0;
    if (tableOfTables) {
        s = (uint64_t)h + 8 + 12ull * n;
        uint8_t* head = reserve(o, h + 8);
        if (d.keyScheme == '@') write32(head, kHeaderWord);
        write32(head + h, kTagTabl);
        write32(head + h + 4, 12 * n);
        uint64_t block = s;
        for (uint32_t i = 0; i < n; ++i) {
            uint8_t* record = reserve(o, 12);
            copyBounded(reinterpret_cast<char*>(record), d.tables[i].name, 8);
            write32(record + 8, (uint32_t)block);
            block += (uint64_t)d.tables[i].entryCount * r + (i == 0 ? 16 : 24) + l.dataSizes[i];
            if (i + 1 < n) block = (block + 3) & ~3ull;
        }
    }
    for (uint32_t i = 0; i < n; ++i) {
        const GxtTable& t = d.tables[i];
        const uint32_t keyBytes = t.entryCount * r;
        const uint32_t dataSize = l.dataSizes[i];
        uint64_t start = s;
        if (tableOfTables && i > 0) {
            copyBounded(reinterpret_cast<char*>(reserve(o, 8)), t.name, 8);
            start += 8;
        }
        s = start + 16 + keyBytes + dataSize;
        uint8_t* tkey = reserve(o, 16 + keyBytes);
        write32(tkey, kTagTkey);
        write32(tkey + 4, keyBytes);
        write32(tkey + 8 + keyBytes, kTagTdat);
        write32(tkey + 12 + keyBytes, dataSize);
        // Each record, at its index in the file, gets the offset its string
        // will have: the strings follow one another in row order.
        // Meanwhile: whether all the strings are unedited 1-byte strings
        // lying one after another in the text, to be written as one run.
        uint64_t p = 0;
        bool oneRun = w == 1;
        const char* runEnd = nullptr;
        for (uint32_t row = 0; row < t.entryCount; ++row) {
            uint32_t k = orderedIndex(t.rowKind, t.rowOrder, t.entryCount, row);
            const GxtEntry& e = t.entries[k];
            uint8_t* slot = tkey + 8 + (uint64_t)k * r;
            write32(slot, (uint32_t)p);
            if (d.keyScheme == '0') copyBounded(reinterpret_cast<char*>(slot + 4), entryName(&e), 8);
            else write32(slot + 4, e.hash);
            p += (uint64_t)(uint32_t)e.storedLength * w;
            if (oneRun) {
                const char* raw = d.rawText + e.textPos;
                oneRun = e.storedLength > 0 && (row == 0 || raw == runEnd) && !entryReplacementText(&e);
                runEnd = raw + e.storedLength;
            }
        }
        if (oneRun && t.entryCount > 0) putBytes(o, d.rawText + tableRow(t, 0)->textPos, dataSize);
        else writeStrings(o, t);
        if (i + 1 < n) {
            uint64_t padded = (s + 3) & ~3ull;
            reserve(o, (uint32_t)(padded - s));
            s = padded;
        }
    }
    flush(o);
}

}  // namespace

uint8_t* buildImage(uint32_t* size) {
    waitIndexWorker();
    Layout l;
    if (!layoutOf(l) || l.total > 0xFFFFFFFFull) return nullptr;
    uint8_t* image = static_cast<uint8_t*>(documentAlloc((size_t)l.total));
    if (!image) return nullptr;
    Output o{nullptr, image, 0, (uint32_t)l.total, false};
    writeDocument(o, l);
    if (size) *size = (uint32_t)l.total;
    return image;
}

int saveDocument(const char* path) {
    gSaveNotReplaced = false;
    if (!path) return 3000;
    waitIndexWorker();
    Layout l;
    if (!layoutOf(l)) return 3001;
    // Strings shared in the file are saved once per key, so a file can grow
    // past what the loader accepts: such a file is never written.
    if (l.total > kMaxFileSize) return 3004;
    uint32_t room = l.largestKeys + 24 > kMinStaging ? l.largestKeys + 24 : kMinStaging;
    uint8_t* staging = static_cast<uint8_t*>(documentAlloc(room));
    if (!staging) return 3001;
    PlatformFile* file = fileCreateReplacing(path);
    if (!file) {
        documentFree(staging);
        return 3002;
    }
    Output o{file, staging, 0, room, false};
    writeDocument(o, l);
    documentFree(staging);
    if (o.failed) {
        fileClose(file);
        return 3003;
    }
    return fileFinish(file, &gSaveNotReplaced) ? 0 : 3003;
}

bool lastSaveNotReplaced() { return gSaveNotReplaced; }
