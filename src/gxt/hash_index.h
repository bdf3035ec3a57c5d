// An index from key hash to the first table that holds it, so that a lookup
// by hash in a document of hundreds of tables searches one table instead of
// all of them. Built from the document's heap on the first lookup and
// forgotten when the document is released (the heap goes with it).
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

// Forgets both indexes and frees their memory in the document's heap, so
// that the next lookup builds them again; called when the document is
// released, before its heap goes.
void hashIndexForget();
