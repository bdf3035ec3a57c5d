// Entry access for the rest of the program: rows of the entry list, lookup
// by name or hash, naming hashed entries and replacing texts.
#include "gxt/gxt.h"
#include "gxt/hash_index.h"
#include "support/text.h"

namespace {

// Binary search of one table's hash order. Within the last few candidates
// the window narrows one position at a time, so that of several entries with
// the same hash the one found is always the same.
GxtEntry* searchHash(const GxtTable& t, uint32_t target) {
    int32_t lo = 0;
    int32_t hi = (int32_t)t.entryCount - 1;
    int32_t mid = hi / 2;
    for (;;) {
        GxtEntry* e = t.keyOrder[mid];
        if (e->hash == target) return e;
        if (e->hash > target) hi = hi - mid <= 3 ? hi - 1 : mid - 1;
        else lo = hi - mid <= 3 ? lo + 1 : mid + 1;
        if (lo > hi) return nullptr;
        mid = lo + (hi - lo) / 2;
    }
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
                if (compareText(name, t.keyOrder[k]->name, n, 0) == 0) return t.keyOrder[k];
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
            const GxtTable& t = d.tables[i];
            if (t.entryCount == 0) continue;
            if (GxtEntry* e = searchHash(t, target)) return e;
        }
    }
    return nullptr;
}

GxtEntry* const* shownRows(uint32_t* count) {
    waitIndexWorker();
    *count = 0;
    if (gStringList.on) {
        *count = gStringList.count;
        return gStringList.entries;
    }
    const GxtDocument& d = gDocument;
    if (!d.loaded || d.currentTable < 0 || (uint32_t)d.currentTable >= d.tableCount) return nullptr;
    *count = d.tables[d.currentTable].entryCount;
    return d.tables[d.currentTable].rowOrder;
}

GxtEntry* entryAtRow(uint32_t row) {
    uint32_t count = 0;
    GxtEntry* const* rows = shownRows(&count);
    return rows && row < count ? rows[row] : nullptr;
}

const char* entryText(const GxtEntry* entry) {
    if (!entry) return nullptr;
    if (entry->replacementText) return entry->replacementText;
    if (!gDocument.displayText) return nullptr;
    return gDocument.displayText + entry->textPos;
}

int setEntryName(GxtEntry* entry, const char* name) {
    if (!entry || !name || entry->nameKnown) return 0;
    copyBounded(entry->name, name, gDocument.keyNameLimit);
    entry->nameKnown = 1;
    return 1;
}

int setEntryText(GxtEntry* entry, const char* text, uint32_t length) {
    waitIndexWorker();
    // The longest text any way into the document may store: the Edit string
    // dialog's field holds no more, and the saved file stays readable.
    if (!entry || !text || length > kMaxReplacementText || !gDocument.heap) return 0;
    char* block = static_cast<char*>(documentAlloc((size_t)length + 1));
    if (!block) return 0;
    char* previous = entry->replacementText;
    entry->replacementText = block;
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

uint32_t rowCount() {
    uint32_t count = 0;
    shownRows(&count);
    return count;
}

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

const char* rowHashName(uint32_t row) {
    const GxtEntry* e = entryAtRow(row);
    return e && !e->nameKnown ? e->name : nullptr;
}

const char* rowKeyName(uint32_t row) {
    const GxtEntry* e = entryAtRow(row);
    return e && e->nameKnown ? e->name : nullptr;
}

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
