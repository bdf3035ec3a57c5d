// Entry access for the rest of the program: rows of the entry list, lookup
// by name or hash, naming hashed entries and replacing texts.
#include "gxt/gxt.h"
#include "gxt/hash_index.h"
#include "support/text.h"

namespace {

// Binary search of one table's hash order, given how the hash at a
// position compares with the one sought (below, equal or above 0). Within
// the last few candidates the window narrows one position at a time, so
// that of several entries with the same hash the one found is always the
// same. The position found, or -1.
template <typename Compare>
int32_t probeHashOrder(uint32_t count, Compare compareAt) {
    int32_t lo = 0;
    int32_t hi = (int32_t)count - 1;
    int32_t mid = hi / 2;
    for (;;) {
        const int c = compareAt((uint32_t)mid);
        if (c == 0) return mid;
        if (c > 0) hi = hi - mid <= 3 ? hi - 1 : mid - 1;
        else lo = hi - mid <= 3 ? lo + 1 : mid + 1;
        if (lo > hi) return -1;
        mid = lo + (hi - lo) / 2;
    }
}

GxtEntry* searchHash(GxtTable& t, uint32_t target) {
    if (sortKeyOrder(t)) {
        const int32_t at = probeHashOrder(t.entryCount, [&](uint32_t i) {
            const uint32_t h = tableKey(t, i)->hash;
            return h < target ? -1 : h > target ? 1 : 0;
        });
        return at < 0 ? nullptr : tableKey(t, (uint32_t)at);
    }
    // No memory to sort the table: the hash order is known without it. Its
    // positions below `below` hold smaller hashes, the next `equal` ones the
    // hash sought in record order, so the same probes find the same entry.
    uint32_t below = 0, equal = 0;
    for (uint32_t k = 0; k < t.entryCount; ++k) {
        below += t.entries[k].hash < target;
        equal += t.entries[k].hash == target;
    }
    const int32_t at = probeHashOrder(t.entryCount, [&](uint32_t i) { return i < below ? -1 : i - below < equal ? 0 : 1; });
    if (at < 0) return nullptr;
    for (uint32_t k = 0, seen = 0; k < t.entryCount; ++k)
        if (t.entries[k].hash == target && seen++ == (uint32_t)at - below) return &t.entries[k];
    return nullptr;
}

}  // namespace

GxtEntry* findEntry(const char* name, uint32_t hash) {
    waitIndexWorker();
    const GxtDocument& d = gDocument;
    if (!d.loaded) return nullptr;
    if (d.keyScheme == '0') {
        if (!name) return nullptr;
        GxtEntry* found = nullptr;
        if (nameIndexLookup(name, &found)) return found;
        // No memory for the index: compare with every name in turn.
        uint32_t n = textLength(name) + 1;
        for (uint32_t i = 0; i < d.tableCount; ++i) {
            const GxtTable& t = d.tables[i];
            for (uint32_t k = 0; k < t.entryCount; ++k)
                if (compareText(name, entryName(tableKey(t, k)), n, 0) == 0) return tableKey(t, k);
        }
        return nullptr;
    }
    if (d.keyScheme == '@') {
        uint32_t target = hash;
        if (name) target = keyHash(name);
        else if (hash == 0) return nullptr;
        // The index names the first table that holds the hash; without it
        // (no memory for it) every table is searched in turn.
        int32_t table = hashIndexTable(target);
        if (table == kHashIndexAbsent) return nullptr;
        if (table >= 0) return searchHash(d.tables[table], target);
        for (uint32_t i = 0; i < d.tableCount; ++i) {
            GxtTable& t = d.tables[i];
            if (t.entryCount == 0) continue;
            if (GxtEntry* e = searchHash(t, target)) return e;
        }
    }
    return nullptr;
}

ShownRows shownRows() {
    waitIndexWorker();
    if (gStringList.on) return {gStringList.entries, nullptr, gStringList.count};
    const GxtDocument& d = gDocument;
    if (!d.loaded || d.currentTable < 0 || (uint32_t)d.currentTable >= d.tableCount) return {};
    const GxtTable& t = d.tables[d.currentTable];
    return {nullptr, &t, t.entryCount};
}

GxtEntry* entryAtRow(uint32_t row) {
    const ShownRows rows = shownRows();
    return row < rows.count ? shownRow(rows, row) : nullptr;
}

namespace {

GxtEntrySide* sideOf(const GxtEntry* entry) {
    uint32_t n = entry->side & kEntrySideMask;
    if (n == 0) return nullptr;
    --n;
    return gDocument.sideChunks[n >> kSideChunkShift] + (n & ((1u << kSideChunkShift) - 1));
}

// The entry's side record, made when it has none yet (null when there is
// no memory for it). A hashed entry's record starts with its printed hash.
GxtEntrySide* makeSide(GxtEntry* entry) {
    if (GxtEntrySide* side = sideOf(entry)) return side;
    GxtDocument& d = gDocument;
    const uint32_t n = d.sideCount;
    const uint32_t chunk = n >> kSideChunkShift;
    if (chunk >= d.sideChunkRoom) {
        uint32_t room = d.sideChunkRoom ? 2 * d.sideChunkRoom : 16;
        size_t bytes = sizeof(GxtEntrySide*) * (size_t)room;
        void* grown = d.sideChunks ? heapReAlloc(d.heap, kHeapFlags, d.sideChunks, bytes) : documentAlloc(bytes);
        if (!grown) return nullptr;
        d.sideChunks = static_cast<GxtEntrySide**>(grown);
        d.sideChunkRoom = room;
    }
    if (!d.sideChunks[chunk]) {
        d.sideChunks[chunk] = static_cast<GxtEntrySide*>(documentAlloc(sizeof(GxtEntrySide) << kSideChunkShift));
        if (!d.sideChunks[chunk]) return nullptr;
    }
    ++d.sideCount;
    entry->side = (entry->side & kEntryNameKnown) | (n + 1);
    GxtEntrySide* side = sideOf(entry);
    if (d.keyScheme == '@' && !entryNameKnown(entry)) printHash(side->name, entry->hash);
    return side;
}

}  // namespace

const char* entryText(const GxtEntry* entry) {
    if (!entry) return nullptr;
    if (const char* replacement = entryReplacementText(entry)) return replacement;
    if (!gDocument.displayText) return nullptr;
    return gDocument.displayText + entry->textPos;
}

const char* entryReplacementText(const GxtEntry* entry) {
    const GxtEntrySide* side = entry ? sideOf(entry) : nullptr;
    return side ? side->replacementText : nullptr;
}

const char* entryName(const GxtEntry* entry) {
    if (!entryNameKnown(entry)) return nullptr;
    const GxtDocument& d = gDocument;
    if (d.keyScheme == '0') return d.keyNames + kShortNameSize * (size_t)(entry - d.entries);
    const GxtEntrySide* side = sideOf(entry);
    return side ? side->name : nullptr;
}

const char* entryHashName(GxtEntry* entry) {
    if (!entry || entryNameKnown(entry) || gDocument.keyScheme != '@') return nullptr;
    waitIndexWorker();
    GxtEntrySide* side = makeSide(entry);
    return side ? side->name : nullptr;
}

int setEntryName(GxtEntry* entry, const char* name) {
    if (!entry || !name || entryNameKnown(entry)) return 0;
    waitIndexWorker();
    GxtEntrySide* side = makeSide(entry);
    if (!side) return 0;
    copyBounded(side->name, name, gDocument.keyNameLimit);
    entry->side |= kEntryNameKnown;
    return 1;
}

int setEntryText(GxtEntry* entry, const char* text, uint32_t length) {
    waitIndexWorker();
    // The longest text any way into the document may store: the Edit string
    // dialog's field holds no more, and the saved file stays readable.
    if (!entry || !text || length > kMaxReplacementText || !gDocument.heap) return 0;
    char* block = static_cast<char*>(documentAlloc((size_t)length + 1));
    if (!block) return 0;
    GxtEntrySide* side = makeSide(entry);
    if (!side) {
        documentFree(block);
        return 0;
    }
    char* previous = side->replacementText;
    side->replacementText = block;
    entry->storedLength = (int32_t)length + 1;
    documentFree(previous);
    copyBounded(block, text, length);
    return 1;
}

uint32_t tableCount() {
    waitIndexWorker();
    if (gStringList.on || !gDocument.loaded) return 0;
    return gDocument.tableCount;
}

void tableName(uint32_t index, char* destination) {
    if (!destination || index >= tableCount()) return;
    copyBounded(destination, gDocument.tables[index].name, 8);
}

uint32_t rowCount() { return shownRows().count; }

const char* rowText(uint32_t row) { return entryText(entryAtRow(row)); }

const char* rowLoadedText(uint32_t row) {
    const GxtEntry* e = entryAtRow(row);
    if (!e || !gDocument.displayText) return nullptr;
    return gDocument.displayText + e->textPos;
}

uint32_t rowHash(uint32_t row) {
    const GxtEntry* e = entryAtRow(row);
    return e ? e->hash : 0;
}

const char* rowHashName(uint32_t row) { return entryHashName(entryAtRow(row)); }

const char* rowKeyName(uint32_t row) { return entryName(entryAtRow(row)); }

int setRowName(uint32_t row, const char* name) {
    if (!name) return 0;
    GxtEntry* e = entryAtRow(row);
    return e ? setEntryName(e, name) : 0;
}

int setRowText(uint32_t row, const char* text, uint32_t length) {
    if (!text) return 0;
    GxtEntry* e = entryAtRow(row);
    return e ? setEntryText(e, text, length) : 0;
}

int selectTable(uint32_t index) {
    if (index >= tableCount()) return 0;
    gDocument.currentTable = (int32_t)index;
    return 1;
}
