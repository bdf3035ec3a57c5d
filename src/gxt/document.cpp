// Loading a GXT file and building its index: the UI thread reads and checks
// the file and builds the tables; the worker copies the strings, sorts the
// orders and decodes the text.
#include <cstring>

#include "decode/decode_table.h"
#include "gxt/gxt.h"
#include "gxt/hash_index.h"
#include "support/text.h"

GxtDocument gDocument = [] {
    GxtDocument d{};
    d.currentTable = -1;
    return d;
}();

StringListView gStringList{};

namespace {

uint32_t read32(const uint8_t* p) {
    return (uint32_t)p[0] | ((uint32_t)p[1] << 8) | ((uint32_t)p[2] << 16) | ((uint32_t)p[3] << 24);
}

// Offset of table i's TKEY chunk in the image.
uint64_t tkeyOffset(uint32_t i) {
    const GxtDocument& d = gDocument;
    if (d.formatVariant == '0') return 0;
    uint64_t record = (uint64_t)d.headerSize + 8 + 12ull * i;
    uint64_t offset = read32(d.image + record + 8);
    return i == 0 ? offset : offset + 8;
}

// What a document of this many entries and text characters allocates for
// them at most: each entry's record, key name and places in the two orders,
// and the raw and the decoded text.
uint64_t documentMemory(uint64_t entries, uint64_t characters) {
    return entries * (sizeof(GxtEntry) + kShortNameSize + 2 * sizeof(uint16_t)) + 2 * characters;
}

// Closes the document without waiting for the worker: used by the worker
// itself and once a running worker has been waited for. Every block of the
// document lives in its heap, so destroying the heap frees them all.
void releaseDocument() {
    GxtDocument& d = gDocument;
    d.loaded = false;
    hashIndexForget();
    d.tables = nullptr;
    d.tableCount = 0;
    d.entries = nullptr;
    d.entryTotal = 0;
    d.keyNames = nullptr;
    d.sideChunks = nullptr;
    d.sideChunkRoom = d.sideCount = 0;
    d.displayText = d.rawText = nullptr;
    d.image = nullptr;
    d.imageSize = 0;
    if (d.heap) {
        heapDestroy(d.heap);
        d.heap = nullptr;
    }
    d.formatVariant = 0;
    d.keyScheme = 0;
    d.keyNameLimit = d.charWidth = d.headerSize = d.keyRecordSize = 0;
    d.hashedKeys = false;
    d.textTotal = 0;
    d.currentTable = -1;
    // The string list's rows live in the document's heap.
    gStringList.on = false;
    gStringList.count = 0;
    gStringList.entries = nullptr;
}

// Where a table's strings may start: inside its string data, before a zero
// character on their own grid, so that each ends inside the data.
struct StringBounds {
    uint32_t dataSize;    // whole characters only
    int64_t lastZero[2];  // last zero character for each parity of the grid, or -1
};

StringBounds stringBounds(const uint8_t* data, uint32_t dataSize, uint32_t w) {
    StringBounds b{};
    // Only whole characters count: a trailing half character is ignored, so
    // that every string and its terminator fit the table's text.
    b.dataSize = dataSize - dataSize % w;
    b.lastZero[0] = b.lastZero[1] = -1;
    bool found[2] = {false, false};
    for (int64_t p = (int64_t)b.dataSize - 1; p >= 0; --p) {
        if (data[p] != 0) continue;
        int parity = w == 2 ? (int)(p & 1) : 0;
        if (!found[parity]) {
            found[parity] = true;
            b.lastZero[parity] = p;
        }
        if (found[0] && (w == 1 || found[1])) break;
    }
    return b;
}

// A string at this offset starts inside the data and is terminated there.
bool stringInside(const StringBounds& b, uint32_t offset, uint32_t w) {
    if (offset >= b.dataSize) return false;
    int parity = w == 2 ? (int)(offset & 1) : 0;
    return b.lastZero[parity] >= (int64_t)offset;
}

// Copies one string from the file into rawText, keeping the low byte of
// each character; returns its length.
uint32_t narrowText(char* destination, const uint8_t* source, const uint8_t* end, uint32_t width) {
    uint32_t n = 0;
    while (source < end && *source != 0) {
        destination[n++] = (char)*source;
        source += width;
    }
    destination[n] = 0;
    return n;
}

}  // namespace

void* documentAlloc(size_t size) { return heapAlloc(gDocument.heap, kHeapFlags, size); }

void documentFree(void* block) {
    if (block) heapFree(gDocument.heap, 0, block);
}

namespace {

uint32_t sortKey(const GxtEntry& e, bool byHash) { return byHash ? e.hash : (uint32_t)e.textPos; }

// Whether the keys already rise (equal keys keep their order) or strictly
// fall; real files hold their strings, and hashed ones their hashes, in
// record order, and some hold the strings in its reverse.
GxtOrderKind runKind(const GxtEntry* entries, uint32_t count, bool byHash) {
    bool rising = true, falling = count > 1;
    for (uint32_t i = 1; i < count && (rising || falling); ++i) {
        uint32_t x = sortKey(entries[i - 1], byHash), y = sortKey(entries[i], byHash);
        if (x > y) rising = false;
        if (x <= y) falling = false;
    }
    return rising ? kOrderIdentity : falling ? kOrderReverse : kOrderArray;
}

}  // namespace

void printHash(char* name, uint32_t hash) {
    static const char kDigits[] = "0123456789abcdef";
    for (int i = 7; i >= 0; --i) {
        name[i] = kDigits[hash & 15];
        hash >>= 4;
    }
    name[8] = 0;
}

namespace {

// A least-significant-digit radix sort of the records by key over three
// digits of the key (bits 0-10, 11-21 and 22-31); equal keys keep their
// record order. The counts of all three digits are taken in the one pass
// that reads the keys. Each pass carries only what the later passes need: a
// record's index and the digits not yet sorted by, so the first pass writes
// (key >> 11, index) in 64 bits, the second (key >> 22, index) in 32 bits,
// and the last writes the 16-bit indices straight into the order.
constexpr uint32_t kLowDigitBits = 11, kLowDigits = 1u << kLowDigitBits, kTopDigits = 1u << (32 - 2 * kLowDigitBits);

// Turns the counts of each digit into where its records start.
void startsFromCounts(uint32_t* counts, uint32_t digits) {
    uint32_t sum = 0;
    for (uint32_t d = 0; d < digits; ++d) {
        uint32_t n = counts[d];
        counts[d] = sum;
        sum += n;
    }
}

void radixOrder(const GxtEntry* entries, uint32_t count, bool byHash, uint16_t* order, void* scratch) {
    uint64_t* wide = static_cast<uint64_t*>(scratch);
    uint32_t* narrow = reinterpret_cast<uint32_t*>(wide + count);
    // The keys are gathered into the narrow area, which the second pass
    // only writes once the first has read them all: the first pass then
    // reads 4 bytes a record instead of the record's 16.
    uint32_t* keys = narrow;
    uint32_t first[kLowDigits] = {}, second[kLowDigits] = {}, third[kTopDigits] = {};
    for (uint32_t i = 0; i < count; ++i) {
        uint32_t key = sortKey(entries[i], byHash);
        keys[i] = key;
        ++first[key & (kLowDigits - 1)];
        ++second[(key >> kLowDigitBits) & (kLowDigits - 1)];
        ++third[key >> (2 * kLowDigitBits)];
    }
    startsFromCounts(first, kLowDigits);
    startsFromCounts(second, kLowDigits);
    startsFromCounts(third, kTopDigits);
    for (uint32_t i = 0; i < count; ++i) wide[first[keys[i] & (kLowDigits - 1)]++] = ((uint64_t)(keys[i] >> kLowDigitBits) << 16) | i;
    for (uint32_t i = 0; i < count; ++i) {
        uint64_t v = wide[i];
        narrow[second[(v >> 16) & (kLowDigits - 1)]++] = (uint32_t)(v >> (16 + kLowDigitBits)) << 16 | (uint32_t)(v & 0xFFFF);
    }
    for (uint32_t i = 0; i < count; ++i) order[third[narrow[i] >> 16]++] = (uint16_t)narrow[i];
}

}  // namespace

size_t sortScratchSize(uint32_t count) { return (sizeof(uint64_t) + sizeof(uint32_t)) * (size_t)count; }

GxtOrderKind sortRecords(const GxtEntry* entries, uint32_t count, bool byHash, uint16_t* order, void* scratch) {
    GxtOrderKind kind = runKind(entries, count, byHash);
    if (kind == kOrderArray) radixOrder(entries, count, byHash, order, scratch);
    return kind;
}

int loadDocument(const char* path) {
    GxtDocument& d = gDocument;
    // Never build over a document that is still open or being indexed.
    waitIndexWorker();
    if (d.loaded || d.tables) releaseDocument();
    if (!d.heap) {
        d.heap = heapCreate(kHeapFlags, 0, 0);
        if (!d.heap) return 2000;
    }
    PlatformFile* file = fileOpenRead(path);
    if (!file) return 2001;
    uint32_t size = 0;
    if (!fileSize(file, &size)) {
        fileClose(file);
        return 2002;
    }
    if (size >= 0x1000000u) {
        fileClose(file);
        return 2003;
    }
    // One byte more than the file, so that a zero always follows its text.
    d.image = static_cast<uint8_t*>(heapAlloc(d.heap, kHeapFlags, (size_t)size + 1));
    if (!d.image) {
        fileClose(file);
        return 2004;
    }
    d.imageSize = size;
    uint32_t got = 0;
    if (!fileRead(file, d.image, size, &got) || got != size) {
        releaseDocument();
        fileClose(file);
        return 2005;
    }
    fileClose(file);
    if (!detectVariant()) {
        releaseDocument();
        return 2006;
    }
    if (!buildIndex()) {
        releaseDocument();
        return 2007;
    }
    return 0;
}

namespace {

// Finds table i's chunks and checks that they lie inside the image: false
// when they do not, or when the table has more entries than a table may.
bool tableChunks(uint32_t i, uint64_t* tkey, uint32_t* keyBytes, uint32_t* dataSize) {
    const GxtDocument& d = gDocument;
    const uint64_t size = d.imageSize;
    *tkey = tkeyOffset(i);
    if (*tkey + 8 > size) return false;
    *keyBytes = read32(d.image + *tkey + 4);
    if (*keyBytes / d.keyRecordSize > kMaxTableEntries) return false;
    if (*tkey + 16 + *keyBytes > size) return false;
    *dataSize = read32(d.image + *tkey + 12 + *keyBytes);
    return *tkey + 16 + *keyBytes + *dataSize <= size;
}

}  // namespace

int buildIndex() {
    GxtDocument& d = gDocument;
    if (d.keyScheme != '0' && d.keyScheme != '@') return 0;
    const uint64_t size = d.imageSize;
    uint32_t n = 1;
    if (d.formatVariant != '0') {
        n = read32(d.image + d.headerSize + 4) / 12;
        if ((uint64_t)d.headerSize + 8 + 12ull * n > size) return 0;
    }
    // Every table is checked before anything is allocated, and its entries
    // counted, so that the entries of all tables take one block. Tables may
    // share their blocks, so what they claim together can exceed the file
    // many times over: the sums, kept in 64 bits, are bounded by the memory
    // the document may take instead.
    uint64_t tkey = 0;
    uint32_t keyBytes = 0, dataSize = 0;
    uint64_t totalRecords = 0;
    uint64_t totalText = 0;
    for (uint32_t i = 0; i < n; ++i) {
        if (!tableChunks(i, &tkey, &keyBytes, &dataSize)) return 0;
        totalRecords += keyBytes / d.keyRecordSize;
        totalText += dataSize / d.charWidth;
        if (documentMemory(totalRecords, totalText) > kMaxDocumentMemory) return 0;
    }
    d.tables = static_cast<GxtTable*>(documentAlloc(sizeof(GxtTable) * (size_t)n));
    if (!d.tables) return 0;
    d.tableCount = n;
    d.entries = static_cast<GxtEntry*>(documentAlloc(sizeof(GxtEntry) * (size_t)totalRecords));
    if (!d.entries) return 0;
    d.entryTotal = (uint32_t)totalRecords;
    if (d.keyScheme == '0') {
        d.keyNames = static_cast<char*>(documentAlloc(kShortNameSize * (size_t)totalRecords));
        if (!d.keyNames) return 0;
    }
    // In 1-byte layouts the file image is the text: a string's position is
    // its offset in the file. In 2-byte layouts the tables' texts follow one
    // another in a text buffer of their own.
    const bool textInImage = d.charWidth == 1;
    if (textInImage) d.textTotal = d.imageSize;
    uint32_t first = 0;
    for (uint32_t i = 0; i < n; ++i) {
        GxtTable& t = d.tables[i];
        if (d.formatVariant == '0') copyBounded(t.name, "MAIN", 8);
        else for (int c = 0; c < 8; ++c) t.name[c] = (char)d.image[d.headerSize + 8 + 12ull * i + c];
        tableChunks(i, &tkey, &keyBytes, &dataSize);
        const uint32_t entries = keyBytes / d.keyRecordSize;
        t.entries = d.entries + first;
        t.entryCount = entries;
        uint32_t base = textInImage ? (uint32_t)(tkey + 16 + keyBytes) : d.textTotal;
        if (!textInImage) d.textTotal += dataSize / d.charWidth;
        // Every record must point at a string that starts and ends inside
        // the table's string data.
        const StringBounds bounds = stringBounds(d.image + tkey + 16 + keyBytes, dataSize, d.charWidth);
        const uint8_t* record = d.image + tkey + 8;
        if (d.keyScheme == '0') {
            for (uint32_t k = 0; k < entries; ++k, record += d.keyRecordSize) {
                uint32_t offset = read32(record);
                if (!stringInside(bounds, offset, d.charWidth)) return 0;
                GxtEntry& e = t.entries[k];
                e.textPos = (int32_t)(base + (offset >> 1));
                e.side = kEntryNameKnown;
                char* name = d.keyNames + kShortNameSize * (size_t)(first + k);
                for (int c = 0; c < 8; ++c) name[c] = (char)record[4 + c];
            }
        } else {
            for (uint32_t k = 0; k < entries; ++k, record += d.keyRecordSize) {
                uint32_t offset = read32(record);
                if (!stringInside(bounds, offset, d.charWidth)) return 0;
                t.entries[k].textPos = (int32_t)(base + offset);
                t.entries[k].hash = read32(record + 4);
            }
        }
        first += entries;
    }
    d.loaded = true;
    return 1;
}

// In a damaged file strings can overlap in the text (records pointing into
// the middle of other strings, or at odd offsets of two-byte characters), so
// that a later copy overwrites part of an earlier one, its terminator
// included. Each entry's length is then measured again from the text as it
// finally stands, so that what is shown is exactly what is saved. Sound
// files, whose strings never overlap, are left as they are.
static void settleOverlaps(GxtTable& t) {
    bool overlap = false;
    for (uint32_t k = 1; k < t.entryCount && !overlap; ++k) {
        const GxtEntry* a = tableRow(t, k - 1);
        const GxtEntry* b = tableRow(t, k);
        if (a->textPos == b->textPos) overlap = a->storedLength != b->storedLength;
        else overlap = a->textPos + a->storedLength > b->textPos;
    }
    if (!overlap) return;
    for (uint32_t k = 0; k < t.entryCount; ++k) {
        GxtEntry& e = t.entries[k];
        e.storedLength = (int32_t)textLength(gDocument.rawText + e.textPos) + 1;
    }
}

// The worker reads the entries that the UI thread wrote, so they are no
// longer in this core's caches: asking for them a kilobyte ahead of the
// measuring loop keeps it from waiting on every cache line.
static inline void prefetchEntry(const GxtTable& t, uint32_t k) {
    constexpr uint32_t kAhead = 1024 / sizeof(GxtEntry);
    __builtin_prefetch(t.entries + (k + kAhead < t.entryCount ? k + kAhead : k));
}

// Puts a table's rows (its entries by text position) in order, keeping no
// array where the order is the record order or its reverse.
static bool orderRows(GxtTable& t, GxtOrderKind kind, void* scratch) {
    t.rowKind = kind;
    t.rowOrder = nullptr;
    if (kind != kOrderArray) return true;
    t.rowOrder = static_cast<uint16_t*>(documentAlloc(sizeof(uint16_t) * (size_t)t.entryCount));
    if (!t.rowOrder) return false;
    radixOrder(t.entries, t.entryCount, false, t.rowOrder, scratch);
    return true;
}

bool sortKeyOrder(GxtTable& t) {
    if (t.keyKind != kOrderArray || t.keyOrder) return true;
    uint16_t* order = static_cast<uint16_t*>(documentAlloc(sizeof(uint16_t) * (size_t)t.entryCount));
    void* scratch = order ? documentAlloc(sortScratchSize(t.entryCount)) : nullptr;
    if (scratch) {
        radixOrder(t.entries, t.entryCount, true, order, scratch);
        t.keyOrder = order;
    } else {
        documentFree(order);
    }
    documentFree(scratch);
    return t.keyOrder != nullptr;
}

int indexStrings() {
    GxtDocument& d = gDocument;
    const bool textInImage = d.charWidth == 1;
    if (textInImage) {
        // The file's strings are already where the text positions say, each
        // with its terminator (the loader has checked that).
        d.rawText = reinterpret_cast<char*>(d.image);
        d.displayText = decodeTable::isIdentity(gAppliedTable) ? d.rawText : static_cast<char*>(documentAlloc((size_t)d.textTotal + 1));
        if (!d.displayText) return 0;
    } else {
        // One spare zero byte after the text keeps every string terminated.
        d.rawText = static_cast<char*>(documentAlloc((size_t)d.textTotal + 1));
        if (!d.rawText) return 0;
        d.displayText = static_cast<char*>(documentAlloc((size_t)d.textTotal + 1));
        if (!d.displayText) return 0;
    }
    uint32_t largest = 0;
    for (uint32_t i = 0; i < d.tableCount; ++i)
        if (d.tables[i].entryCount > largest) largest = d.tables[i].entryCount;
    void* scratch = nullptr;
    if (largest > 1) {
        scratch = documentAlloc(sortScratchSize(largest));
        if (!scratch) return 0;
    }
    for (uint32_t i = 0; i < d.tableCount; ++i) {
        GxtTable& t = d.tables[i];
        GxtOrderKind rowKind;
        if (textInImage) {
            // Measuring the strings also tells whether their positions rise
            // or fall.
            bool rising = true, falling = t.entryCount > 1;
            for (uint32_t k = 0; k < t.entryCount; ++k) {
                GxtEntry& e = t.entries[k];
                prefetchEntry(t, k);
                e.storedLength = (int32_t)strlen(d.rawText + e.textPos) + 1;
                if (k > 0) {
                    if (t.entries[k - 1].textPos > e.textPos) rising = false;
                    if (t.entries[k - 1].textPos <= e.textPos) falling = false;
                }
            }
            rowKind = rising ? kOrderIdentity : falling ? kOrderReverse : kOrderArray;
        } else {
            uint64_t tkey = tkeyOffset(i);
            uint32_t keyBytes = read32(d.image + tkey + 4);
            const uint8_t* data = d.image + tkey + 16 + keyBytes;
            uint32_t dataSize = read32(d.image + tkey + 12 + keyBytes);
            const uint8_t* end = data + (dataSize - dataSize % d.charWidth);
            for (uint32_t k = 0; k < t.entryCount; ++k) {
                GxtEntry& e = t.entries[k];
                prefetchEntry(t, k);
                uint32_t offset = read32(d.image + tkey + 8 + (uint64_t)k * d.keyRecordSize);
                uint32_t length = narrowText(d.rawText + e.textPos, data + offset, end, d.charWidth);
                e.storedLength = (int32_t)length + 1;
            }
            rowKind = runKind(t.entries, t.entryCount, false);
        }
        if (!orderRows(t, rowKind, scratch)) return 0;
        // Whether the hashes already rise is seen at once for most tables;
        // a table out of order is sorted by its first lookup.
        if (d.keyScheme == '@') t.keyKind = runKind(t.entries, t.entryCount, true);
        // Strings that overlap in the file image read alike from every start.
        if (!textInImage) settleOverlaps(t);
    }
    documentFree(scratch);
    return 1;
}

int indexDocument() {
    GxtDocument& d = gDocument;
    if (!d.loaded) return 0;
    if (!indexStrings()) {
        releaseDocument();
        return 2208;
    }
    // In 1-byte layouts the image lives on as the text.
    if (reinterpret_cast<char*>(d.image) != d.rawText) heapFree(d.heap, 0, d.image);
    d.image = nullptr;
    d.imageSize = 0;
    return 0;
}

uint32_t indexWorker(void*) {
    indexDocument();
    decodeDocumentText();
    return 0;
}

int startIndexWorker() {
    waitIndexWorker();
    // The new document is decoded with the table as it stands now, taken
    // here on the UI thread: the worker only reads the applied copy, which
    // nothing changes until it has finished.
    applyDecodeTable();
    gDocument.worker = threadStart(indexWorker, nullptr);
    if (gDocument.worker) return 1;
    indexWorker(nullptr);
    return 0;
}

void waitIndexWorker() {
    if (!gDocument.worker) return;
    threadJoin(gDocument.worker);
    gDocument.worker = nullptr;
}

int openDocument(const char* path) {
    int result = loadDocument(path);
    if (result != 0) return result;
    startIndexWorker();
    waitIndexWorker();
    return gDocument.loaded ? 0 : 2208;
}

int closeDocument() {
    waitIndexWorker();
    if (gDocument.loaded || gDocument.tables || gDocument.heap || gDocument.formatVariant) releaseDocument();
    return 0;
}

void destroyDocumentHeap() {
    waitIndexWorker();
    // Destroying the heap takes everything of a document left open with it.
    if (gDocument.heap) releaseDocument();
}
