// An index from key hash to the first table that holds it, so that a lookup
// by hash in a document of hundreds of tables searches one table instead of
// all of them. Built from the document's heap on the first lookup and
// forgotten when the document is released (the heap goes with it). Beside
// it, the name index of the named layouts and the index of the rows shown.
#pragma once

#include <cstdint>

struct GxtEntry;

// The first table, in table order, with an entry of this hash.
constexpr int32_t kHashIndexAbsent = -1;       // no table holds the hash
constexpr int32_t kHashIndexUnavailable = -2;  // no index: search every table
int32_t hashIndexTable(uint32_t hash);

// The first entry, in table and record order, whose name equals the given
// one without regard to case, for documents keyed by names. Sets *found to
// null when none does; returns false when there is no index (no memory for
// it), and then the caller searches every table itself.
bool nameIndexLookup(const char* name, GxtEntry** found);

// An open-addressing table from a key (a hash, or a packed name in the
// named layouts) to the first entry entered with it.
struct KeySlot {
    uint64_t key;
    GxtEntry* entry;  // null: an empty slot
};
struct KeyIndex {
    KeySlot* slots;  // null: no index (no rows, or no memory for it)
    uint32_t mask;   // slot count - 1
};

// An index of the keys of the rows the entry list shows (shownRows), for a
// run of lookups that prefer those rows to the first match across all
// tables. Built from the document's heap; the rows must not change while it
// is used.
KeyIndex buildShownRowIndex();
// The first row, in row order, with the key of this name (or, with no name
// in a hashed document, this hash), by the matching rules of findEntry;
// null when no row has it. Without an index the rows are searched in turn.
GxtEntry* findShownEntry(const KeyIndex& index, const char* name, uint32_t hash);
void releaseShownRowIndex(KeyIndex& index);

// Forgets both indexes and frees their memory in the document's heap, so
// that the next lookup builds them again; called when the document is
// released, before its heap goes.
void hashIndexForget();
