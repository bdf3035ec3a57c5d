// The hash-to-table index used by findEntry in hashed documents: an
// open-addressing table of (hash, table index + 1) pairs, twice as many slots
// as entries, probed linearly. Tables are entered in table order and a hash
// already present is not entered again, so each hash leads to the first table
// that holds it, which is the table a search from the first table would stop
// at.
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

// Slots for an open-addressing table of the document's entries: a power of
// two, at least twice the number of entries, so that probes stay short.
uint64_t slotCount() {
    const GxtDocument& d = gDocument;
    uint64_t entries = 0;
    for (uint32_t i = 0; i < d.tableCount; ++i) entries += d.tables[i].entryCount;
    uint64_t count = 16;
    while (count < 2 * entries) count *= 2;
    return count;
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
struct NameSlot {
    uint64_t key;
    GxtEntry* entry;  // null: an empty slot
};

struct NameIndex {
    NameSlot* slots;
    uint32_t mask;
};

NameIndex gNames{};

bool packName(const char* name, uint64_t* key) {
    uint64_t packed = 0;
    for (uint32_t i = 0; name[i] != 0; ++i) {
        if (i == 8) return false;  // longer than any name in the file
        packed |= (uint64_t)ansiLower((uint8_t)name[i]) << (8 * i);
    }
    *key = packed;
    return true;
}

uint32_t nameSlotOf(uint64_t key, uint32_t mask) {
    return (uint32_t)((key * 0x9E3779B97F4A7C15ull) >> 32) & mask;
}

bool buildNames() {
    const GxtDocument& d = gDocument;
    const uint64_t count = slotCount();
    NameSlot* slots = static_cast<NameSlot*>(documentAlloc(sizeof(NameSlot) * (size_t)count));
    if (!slots) return false;
    gNames.slots = slots;
    gNames.mask = (uint32_t)(count - 1);
    // Entered in table order and, within a table, in record order; a name
    // already present keeps its first entry.
    for (uint32_t i = 0; i < d.tableCount; ++i) {
        const GxtTable& t = d.tables[i];
        for (uint32_t k = 0; k < t.entryCount; ++k) {
            GxtEntry* e = t.keyOrder[k];
            uint64_t key = 0;
            if (!packName(e->name, &key)) continue;
            uint32_t s = nameSlotOf(key, gNames.mask);
            while (slots[s].entry && slots[s].key != key) s = (s + 1) & gNames.mask;
            if (!slots[s].entry) slots[s] = {key, e};
        }
    }
    return true;
}

}  // namespace

bool nameIndexLookup(const char* name, GxtEntry** found) {
    *found = nullptr;
    if (!gDocument.loaded) return false;
    if (!gNames.slots && !buildNames()) return false;
    uint64_t key = 0;
    if (!packName(name, &key)) return true;
    for (uint32_t s = nameSlotOf(key, gNames.mask); gNames.slots[s].entry; s = (s + 1) & gNames.mask) {
        if (gNames.slots[s].key == key) {
            *found = gNames.slots[s].entry;
            return true;
        }
    }
    return true;
}

void hashIndexForget() {
    documentFree(gIndex.slots);
    documentFree(gNames.slots);
    gIndex = HashIndex{};
    gNames = NameIndex{};
}
