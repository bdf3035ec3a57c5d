// Loading a GXT file and building its index: the UI thread reads and checks
// the file and builds the tables; the worker copies the strings, sorts the
// orders and decodes the text.
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
// them: each entry's record and its places in the two orders, and the raw
// and the decoded text.
uint64_t documentMemory(uint64_t entries, uint64_t characters) {
    return entries * (sizeof(GxtEntry) + 2 * sizeof(GxtEntry*)) + 2 * characters;
}

// Closes the document without waiting for the worker: used by the worker
// itself and once a running worker has been waited for.
void releaseDocument() {
    GxtDocument& d = gDocument;
    d.loaded = false;
    hashIndexForget();
    if (d.tables) {
        for (uint32_t i = 0; i < d.tableCount; ++i) {
            GxtTable& t = d.tables[i];
            if (t.entries) heapFree(d.heap, 0, t.entries);
            if (t.keyOrder) heapFree(d.heap, 0, t.keyOrder);
            if (t.rowOrder) heapFree(d.heap, 0, t.rowOrder);
        }
        heapFree(d.heap, 0, d.tables);
        d.tables = nullptr;
    }
    d.tableCount = 0;
    if (d.displayText) heapFree(d.heap, 0, d.displayText);
    if (d.rawText) heapFree(d.heap, 0, d.rawText);
    if (d.image) heapFree(d.heap, 0, d.image);
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

// Checks that every record of a table points at a string that starts inside
// the table's string data and ends there with a zero character.
bool stringsInside(uint64_t tkey, uint32_t n, uint32_t keyBytes, uint32_t dataSize) {
    const GxtDocument& d = gDocument;
    const uint8_t* data = d.image + tkey + 16 + keyBytes;
    const uint32_t w = d.charWidth;
    // Only whole characters count: a trailing half character is ignored, so
    // that every string and its terminator fit the table's text.
    dataSize -= dataSize % w;
    // Last offset, for each parity of the character grid, whose character
    // is zero; a string is terminated inside the data exactly when such a
    // zero lies at or after its start on its own grid.
    int64_t lastZero[2] = {-1, -1};
    bool found[2] = {false, false};
    for (int64_t p = (int64_t)dataSize - 1; p >= 0; --p) {
        if (data[p] != 0) continue;
        int parity = w == 2 ? (int)(p & 1) : 0;
        if (!found[parity]) {
            found[parity] = true;
            lastZero[parity] = p;
        }
        if (found[0] && (w == 1 || found[1])) break;
    }
    for (uint32_t k = 0; k < n; ++k) {
        uint32_t offset = read32(d.image + tkey + 8 + (uint64_t)k * d.keyRecordSize);
        if (offset >= dataSize) return false;
        int parity = w == 2 ? (int)(offset & 1) : 0;
        if (lastZero[parity] < (int64_t)offset) return false;
    }
    return true;
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

void mergeRuns(GxtEntry** a, GxtEntry** out, uint32_t lo, uint32_t mid, uint32_t hi, EntryComparison compare) {
    uint32_t i = lo, j = mid, k = lo;
    while (i < mid && j < hi) out[k++] = compare(a[i], a[j]) <= 0 ? a[i++] : a[j++];
    while (i < mid) out[k++] = a[i++];
    while (j < hi) out[k++] = a[j++];
}

}  // namespace

void* documentAlloc(size_t size) { return heapAlloc(gDocument.heap, kHeapFlags, size); }

void documentFree(void* block) {
    if (block) heapFree(gDocument.heap, 0, block);
}

int compareTextPosition(const GxtEntry* x, const GxtEntry* y) { return x->textPos - y->textPos; }

int compareHash(const GxtEntry* x, const GxtEntry* y) {
    if (x->hash > y->hash) return 1;
    if (x->hash < y->hash) return -1;
    return 0;
}

namespace {

void mergeSort(GxtEntry** entries, uint32_t count, EntryComparison compare, GxtEntry** scratch) {
    // Bottom-up merge sort over insertion-sorted runs: stable, so entries
    // that compare equal keep the order they had.
    const uint32_t kRun = 16;
    for (uint32_t lo = 0; lo < count; lo += kRun) {
        uint32_t hi = lo + kRun < count ? lo + kRun : count;
        for (uint32_t i = lo + 1; i < hi; ++i) {
            GxtEntry* r = entries[i];
            uint32_t j = i;
            while (j > lo && compare(entries[j - 1], r) > 0) {
                entries[j] = entries[j - 1];
                --j;
            }
            entries[j] = r;
        }
    }
    GxtEntry** from = entries;
    GxtEntry** to = scratch;
    for (uint32_t width = kRun; width < count; width *= 2) {
        for (uint32_t lo = 0; lo < count; lo += 2 * width) {
            uint32_t mid = lo + width < count ? lo + width : count;
            uint32_t hi = lo + 2 * width < count ? lo + 2 * width : count;
            mergeRuns(from, to, lo, mid, hi, compare);
        }
        GxtEntry** t = from;
        from = to;
        to = t;
    }
    if (from != entries)
        for (uint32_t i = 0; i < count; ++i) entries[i] = from[i];
}

// Sorts by an unsigned 32-bit key: each value holds the key above the
// entry's place in the input, and a least-significant-digit radix sort over
// the key's bytes keeps equal keys in their input order.
void radixSort(GxtEntry** entries, uint32_t count, bool byHash, uint64_t* scratch) {
    auto keyOf = [byHash](const GxtEntry* e) { return byHash ? e->hash : (uint32_t)e->textPos; };
    // Files usually hold their strings in record order or in its reverse:
    // an ordered run needs nothing, a strictly falling one only turning round.
    bool rising = true, falling = true;
    for (uint32_t i = 1; i < count && (rising || falling); ++i) {
        uint32_t x = keyOf(entries[i - 1]), y = keyOf(entries[i]);
        if (x > y) rising = false;
        if (x <= y) falling = false;
    }
    if (rising) return;
    if (falling) {
        for (uint32_t i = 0, j = count - 1; i < j; ++i, --j) {
            GxtEntry* t = entries[i];
            entries[i] = entries[j];
            entries[j] = t;
        }
        return;
    }
    uint64_t* a = scratch;
    uint64_t* b = scratch + count;
    for (uint32_t i = 0; i < count; ++i) a[i] = ((uint64_t)keyOf(entries[i]) << 32) | i;
    for (int shift = 32; shift < 64; shift += 8) {
        uint32_t counts[256] = {};
        for (uint32_t i = 0; i < count; ++i) ++counts[(a[i] >> shift) & 0xFF];
        if (counts[(a[0] >> shift) & 0xFF] == count) continue;  // one digit: nothing moves
        uint32_t sum = 0;
        for (uint32_t& c : counts) {
            uint32_t n = c;
            c = sum;
            sum += n;
        }
        for (uint32_t i = 0; i < count; ++i) b[counts[(a[i] >> shift) & 0xFF]++] = a[i];
        uint64_t* t = a;
        a = b;
        b = t;
    }
    GxtEntry** sorted = reinterpret_cast<GxtEntry**>(b);
    for (uint32_t i = 0; i < count; ++i) sorted[i] = entries[(uint32_t)a[i]];
    for (uint32_t i = 0; i < count; ++i) entries[i] = sorted[i];
}

// The placeholder name of a hashed entry: eight lower-case hexadecimal
// digits, as numberToText gives them, written for a million entries at once.
void printHash(char* name, uint32_t hash) {
    static const char kDigits[] = "0123456789abcdef";
    for (int i = 7; i >= 0; --i) {
        name[i] = kDigits[hash & 15];
        hash >>= 4;
    }
    name[8] = 0;
}

}  // namespace

void sortEntries(GxtEntry** entries, uint32_t count, EntryComparison compare, uint64_t* scratch) {
    if (count < 2) return;
    // Text positions are never negative, so both known orders are orders of
    // unsigned 32-bit keys.
    if (compare == compareHash || compare == compareTextPosition)
        radixSort(entries, count, compare == compareHash, scratch);
    else
        mergeSort(entries, count, compare, reinterpret_cast<GxtEntry**>(scratch));
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
    d.image = static_cast<uint8_t*>(heapAlloc(d.heap, kHeapFlags, size));
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
    uint32_t n = 1;
    if (d.formatVariant != '0') {
        n = read32(d.image + d.headerSize + 4) / 12;
        if ((uint64_t)d.headerSize + 8 + 12ull * n > d.imageSize) return 0;
    }
    // Every table is checked before anything is allocated. Tables may share
    // their blocks, so what they claim together can exceed the file many
    // times over: the sums, kept in 64 bits, are bounded by the memory the
    // document may take instead.
    uint64_t tkey = 0;
    uint32_t keyBytes = 0, dataSize = 0;
    uint64_t totalRecords = 0;
    uint64_t totalText = 0;
    for (uint32_t i = 0; i < n; ++i) {
        if (!tableChunks(i, &tkey, &keyBytes, &dataSize)) return 0;
        totalRecords += keyBytes / d.keyRecordSize;
        totalText += dataSize / d.charWidth;
        if (documentMemory(totalRecords, totalText) > kMaxDocumentMemory) return 0;
        if (!stringsInside(tkey, keyBytes / d.keyRecordSize, keyBytes, dataSize)) return 0;
    }

    d.tables = static_cast<GxtTable*>(documentAlloc(sizeof(GxtTable) * (size_t)n));
    if (!d.tables) return 0;
    d.tableCount = n;
    for (uint32_t i = 0; i < n; ++i) {
        GxtTable& t = d.tables[i];
        if (d.formatVariant == '0') copyBounded(t.name, "MAIN", 8);
        else for (int c = 0; c < 8; ++c) t.name[c] = (char)d.image[d.headerSize + 8 + 12ull * i + c];
        tableChunks(i, &tkey, &keyBytes, &dataSize);
        const uint32_t entries = keyBytes / d.keyRecordSize;
        t.entries = static_cast<GxtEntry*>(documentAlloc(sizeof(GxtEntry) * (size_t)entries));
        if (!t.entries) return 0;
        t.keyOrder = static_cast<GxtEntry**>(documentAlloc(sizeof(GxtEntry*) * (size_t)entries));
        if (!t.keyOrder) return 0;
        t.rowOrder = static_cast<GxtEntry**>(documentAlloc(sizeof(GxtEntry*) * (size_t)entries));
        if (!t.rowOrder) return 0;
        t.entryCount = entries;
        uint32_t base = d.textTotal;
        d.textTotal += dataSize / d.charWidth;
        for (uint32_t k = 0; k < entries; ++k) {
            const uint8_t* record = d.image + tkey + 8 + (uint64_t)k * d.keyRecordSize;
            uint32_t offset = read32(record);
            GxtEntry& e = t.entries[k];
            if (d.keyScheme == '0') {
                e.textPos = (int32_t)(base + (offset >> 1));
                for (int c = 0; c < 8; ++c) e.name[c] = (char)record[4 + c];
            } else {
                e.textPos = (int32_t)(base + offset);
                e.hash = read32(record + 4);
            }
        }
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
        const GxtEntry* a = t.rowOrder[k - 1];
        const GxtEntry* b = t.rowOrder[k];
        if (a->textPos == b->textPos) overlap = a->storedLength != b->storedLength;
        else overlap = a->textPos + a->storedLength > b->textPos;
    }
    if (!overlap) return;
    for (uint32_t k = 0; k < t.entryCount; ++k) {
        GxtEntry& e = t.entries[k];
        e.storedLength = (int32_t)textLength(gDocument.rawText + e.textPos) + 1;
    }
}

int indexStrings() {
    GxtDocument& d = gDocument;
    // One spare zero byte after the text keeps every string terminated.
    d.rawText = static_cast<char*>(documentAlloc((size_t)d.textTotal + 1));
    if (!d.rawText) return 0;
    d.displayText = static_cast<char*>(documentAlloc((size_t)d.textTotal + 1));
    if (!d.displayText) return 0;
    uint32_t largest = 0;
    for (uint32_t i = 0; i < d.tableCount; ++i)
        if (d.tables[i].entryCount > largest) largest = d.tables[i].entryCount;
    uint64_t* scratch = nullptr;
    if (largest > 1) {
        scratch = static_cast<uint64_t*>(documentAlloc(2 * sizeof(uint64_t) * (size_t)largest));
        if (!scratch) return 0;
    }
    for (uint32_t i = 0; i < d.tableCount; ++i) {
        GxtTable& t = d.tables[i];
        uint64_t tkey = tkeyOffset(i);
        uint32_t keyBytes = read32(d.image + tkey + 4);
        const uint8_t* data = d.image + tkey + 16 + keyBytes;
        uint32_t dataSize = read32(d.image + tkey + 12 + keyBytes);
        const uint8_t* end = data + (dataSize - dataSize % d.charWidth);
        for (uint32_t k = 0; k < t.entryCount; ++k) {
            GxtEntry& e = t.entries[k];
            uint32_t offset = read32(d.image + tkey + 8 + (uint64_t)k * d.keyRecordSize);
            uint32_t length = narrowText(d.rawText + e.textPos, data + offset, end, d.charWidth);
            e.storedLength = (int32_t)length + 1;
            e.keyIndex = (int32_t)k;
            if (d.keyScheme == '@') {
                printHash(e.name, e.hash);
                e.nameKnown = 0;
            } else {
                e.nameKnown = 1;
            }
            t.keyOrder[k] = &e;
            t.rowOrder[k] = &e;
        }
        sortEntries(t.rowOrder, t.entryCount, compareTextPosition, scratch);
        if (d.keyScheme == '@') sortEntries(t.keyOrder, t.entryCount, compareHash, scratch);
        settleOverlaps(t);
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
    heapFree(d.heap, 0, d.image);
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
