// The hash-to-table index used by findEntry in hashed documents: an
// open-addressing table of (hash, table index + 1) pairs, twice as many slots
// as entries, probed linearly. Tables are entered in table order and a hash
// already present is not entered again, so each hash leads to the first table
// that holds it, which is the table a search from the first table would stop
// at. The name index of the named layouts and the index of the rows shown
// are tables of (key, entry) pairs, probed the same way.
#include "gxt/hash_index.h"

#include "gxt/gxt.h"
#include "platform/platform.h"

namespace {

struct HashIndex {
    uint64_t* slots;   // hash in the low half, table index + 1 in the high half; 0 = empty
    uint32_t mask;     // slot count - 1
    bool zeroPresent;  // the hash 0 cannot live in a slot: its table is kept apart
    int32_t zeroTable;
};

HashIndex gIndex{};

uint32_t slotOf(uint32_t hash, uint32_t mask) {
    // Fibonacci hashing spreads hashes that differ only in their high bits.
    return (uint32_t)(((uint64_t)hash * 0x9E3779B97F4A7C15ull) >> 32) & mask;
}

// Slots for an open-addressing table of so many entries: a power of two,
// at least twice the number of entries, so that probes stay short.
uint64_t slotCountFor(uint64_t entries) {
    uint64_t count = 16;
    while (count < 2 * entries) count *= 2;
    return count;
}

// Slots for a table of all the document's entries.
uint64_t slotCount() {
    const GxtDocument& d = gDocument;
    uint64_t entries = 0;
    for (uint32_t i = 0; i < d.tableCount; ++i) entries += d.tables[i].entryCount;
    return slotCountFor(entries);
}

bool build() {
    const GxtDocument& d = gDocument;
    const uint64_t count = slotCount();
    uint64_t* slots = static_cast<uint64_t*>(documentAlloc(sizeof(uint64_t) * (size_t)count));
    if (!slots) return false;
    gIndex.slots = slots;
    gIndex.mask = (uint32_t)(count - 1);
    gIndex.zeroPresent = false;
    for (uint32_t i = 0; i < d.tableCount; ++i) {
        const GxtTable& t = d.tables[i];
        for (uint32_t k = 0; k < t.entryCount; ++k) {
            uint32_t hash = t.entries[k].hash;
            if (hash == 0) {
                if (!gIndex.zeroPresent) {
                    gIndex.zeroPresent = true;
                    gIndex.zeroTable = (int32_t)i;
                }
                continue;
            }
            uint32_t s = slotOf(hash, gIndex.mask);
            while (slots[s] != 0 && (uint32_t)slots[s] != hash) s = (s + 1) & gIndex.mask;
            if (slots[s] == 0) slots[s] = hash | ((uint64_t)(i + 1) << 32);
        }
    }
    return true;
}

}  // namespace

int32_t hashIndexTable(uint32_t hash) {
    if (!gDocument.loaded) return kHashIndexUnavailable;
    if (!gIndex.slots && !build()) return kHashIndexUnavailable;
    if (hash == 0) return gIndex.zeroPresent ? gIndex.zeroTable : kHashIndexAbsent;
    for (uint32_t s = slotOf(hash, gIndex.mask);; s = (s + 1) & gIndex.mask) {
        uint64_t slot = gIndex.slots[s];
        if (slot == 0) return kHashIndexAbsent;
        if ((uint32_t)slot == hash) return (int32_t)(slot >> 32) - 1;
    }
}

namespace {

// Names of the named layouts have at most eight characters, so a name
// lower-cased through the code page and zero-padded packs into 64 bits;
// names that compare equal without regard to case pack alike.
bool packName(const char* name, uint64_t* key) {
    uint64_t packed = 0;
    for (uint32_t i = 0; name[i] != 0; ++i) {
        if (i == 8) return false;  // longer than any name in the file
        packed |= (uint64_t)ansiLower((uint8_t)name[i]) << (8 * i);
    }
    *key = packed;
    return true;
}

uint32_t keySlotOf(uint64_t key, uint32_t mask) {
    return (uint32_t)((key * 0x9E3779B97F4A7C15ull) >> 32) & mask;
}

// Enters an entry under its key unless the key is there already: the first
// entry entered keeps it.
void enterKey(KeySlot* slots, uint32_t mask, uint64_t key, GxtEntry* e) {
    uint32_t s = keySlotOf(key, mask);
    while (slots[s].entry && slots[s].key != key) s = (s + 1) & mask;
    if (!slots[s].entry) slots[s] = {key, e};
}

GxtEntry* lookUpKey(const KeySlot* slots, uint32_t mask, uint64_t key) {
    for (uint32_t s = keySlotOf(key, mask); slots[s].entry; s = (s + 1) & mask)
        if (slots[s].key == key) return slots[s].entry;
    return nullptr;
}

KeyIndex gNames{};

bool buildNames() {
    const GxtDocument& d = gDocument;
    const uint64_t count = slotCount();
    KeySlot* slots = static_cast<KeySlot*>(documentAlloc(sizeof(KeySlot) * (size_t)count));
    if (!slots) return false;
    gNames.slots = slots;
    gNames.mask = (uint32_t)(count - 1);
    // Entered in table order and, within a table, in record order; a name
    // already present keeps its first entry.
    for (uint32_t i = 0; i < d.tableCount; ++i) {
        const GxtTable& t = d.tables[i];
        for (uint32_t k = 0; k < t.entryCount; ++k) {
            GxtEntry* e = tableKey(t, k);
            uint64_t key = 0;
            if (packName(entryName(e), &key)) enterKey(slots, gNames.mask, key, e);
        }
    }
    return true;
}

// The key an entry is looked up by: its hash in a hashed document, its
// packed name in a named one. False when it has none.
bool entryKey(const GxtEntry* e, uint64_t* key) {
    if (gDocument.keyScheme != '0') {
        *key = e->hash;
        return true;
    }
    const char* name = entryName(e);
    return name && packName(name, key);
}

// The key a lookup by name (or, without a name in a hashed document, by
// hash) searches for, with the rules of findEntry; false when it finds none.
bool lookupKey(const char* name, uint32_t hash, uint64_t* key) {
    if (gDocument.keyScheme == '0') return name && packName(name, key);
    if (gDocument.keyScheme != '@') return false;
    *key = name ? keyHash(name) : hash;
    return name || hash != 0;
}

}  // namespace

bool nameIndexLookup(const char* name, GxtEntry** found) {
    *found = nullptr;
    if (!gDocument.loaded) return false;
    if (!gNames.slots && !buildNames()) return false;
    uint64_t key = 0;
    if (packName(name, &key)) *found = lookUpKey(gNames.slots, gNames.mask, key);
    return true;
}

KeyIndex buildShownRowIndex() {
    KeyIndex index{};
    const ShownRows rows = shownRows();
    if (rows.count == 0) return index;
    const uint64_t slots = slotCountFor(rows.count);
    index.slots = static_cast<KeySlot*>(documentAlloc(sizeof(KeySlot) * (size_t)slots));
    if (!index.slots) return index;
    index.mask = (uint32_t)(slots - 1);
    for (uint32_t r = 0; r < rows.count; ++r) {
        GxtEntry* e = shownRow(rows, r);
        uint64_t key = 0;
        if (entryKey(e, &key)) enterKey(index.slots, index.mask, key, e);
    }
    return index;
}

GxtEntry* findShownEntry(const KeyIndex& index, const char* name, uint32_t hash) {
    uint64_t key = 0;
    if (!lookupKey(name, hash, &key)) return nullptr;
    if (index.slots) return lookUpKey(index.slots, index.mask, key);
    // No memory for the index: search the rows in turn.
    const ShownRows rows = shownRows();
    for (uint32_t r = 0; r < rows.count; ++r) {
        GxtEntry* e = shownRow(rows, r);
        uint64_t rowKey = 0;
        if (entryKey(e, &rowKey) && rowKey == key) return e;
    }
    return nullptr;
}

void releaseShownRowIndex(KeyIndex& index) {
    documentFree(index.slots);
    index = KeyIndex{};
}

void hashIndexForget() {
    documentFree(gIndex.slots);
    documentFree(gNames.slots);
    gIndex = HashIndex{};
    gNames = KeyIndex{};
}
