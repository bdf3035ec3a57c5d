#include "dialogs/find_core.h"

#include <cstring>

#include "gxt/gxt.h"
#include "platform/platform.h"
#include "support/text.h"

namespace {

// One byte mapped to what it is compared as.
struct ByteMap {
    uint8_t to[256];
};

ByteMap identityMap() {
    ByteMap m;
    for (int c = 0; c < 256; ++c) m.to[c] = (uint8_t)c;
    return m;
}

// The ANSI lower-casing of every byte, worked out once: the code page does
// not change while the program runs. A byte that would lower to 0 (none
// does) keeps its value, so that the end of a text never matches a letter.
ByteMap foldingMap() {
    ByteMap m;
    m.to[0] = 0;
    for (int c = 1; c < 256; ++c) {
        uint8_t lower = ansiLower((uint8_t)c);
        m.to[c] = lower ? lower : (uint8_t)c;
    }
    return m;
}

const ByteMap& mapFor(int matchCase) {
    static const ByteMap exact = identityMap();
    static const ByteMap folded = foldingMap();
    return matchCase ? exact : folded;
}

// Up to this many byte values may compare equal to one pattern byte for
// the block filter (a letter and its capital, as a rule).
constexpr int kVariants = 4;
constexpr uint32_t kBlock = 16;

typedef uint8_t Bytes16 __attribute__((vector_size(kBlock)));
typedef uint64_t Words2 __attribute__((vector_size(kBlock)));

// A pattern made ready for many texts: how its bytes compare, and the byte
// values that can stand at an occurrence's first and last position.
struct Pattern {
    const uint8_t* map;
    const uint8_t* text;  // the pattern as given
    uint32_t length;
    bool blockFilter;     // the first and last bytes have few enough variants
    Bytes16 first[kVariants];
    Bytes16 last[kVariants];
};

// The byte values that compare equal to c, repeated to fill kVariants
// vectors; false when there are more than kVariants of them.
bool variantsOf(const uint8_t* map, uint8_t c, Bytes16* out) {
    int n = 0;
    uint8_t found[kVariants] = {};
    for (int v = 1; v < 256; ++v) {
        if (map[v] != map[c]) continue;
        if (n == kVariants) return false;
        found[n++] = (uint8_t)v;
    }
    for (int k = 0; k < kVariants; ++k) {
        const uint8_t value = found[k < n ? k : 0];
        for (uint32_t b = 0; b < kBlock; ++b) out[k][b] = value;
    }
    return true;
}

void preparePattern(Pattern& p, const char* pattern, int matchCase) {
    p.map = mapFor(matchCase).to;
    p.text = reinterpret_cast<const uint8_t*>(pattern);
    p.length = textLength(pattern);
    p.blockFilter = p.length > 0 && variantsOf(p.map, p.text[0], p.first) &&
                    variantsOf(p.map, p.text[p.length - 1], p.last);
}

bool matchesAt(const Pattern& p, const uint8_t* t) {
    const uint8_t* map = p.map;
    for (uint32_t k = 0; k < p.length; ++k)
        if (map[t[k]] != map[p.text[k]]) return false;
    return true;
}

Bytes16 load16(const uint8_t* at) {
    Bytes16 v;
    memcpy(&v, at, sizeof v);
    return v;
}

Bytes16 equalToAny(Bytes16 v, const Bytes16* variants) {
    Bytes16 r = (Bytes16)(v == variants[0]);
    for (int k = 1; k < kVariants; ++k) r |= (Bytes16)(v == variants[k]);
    return r;
}

// Positions i..i+15 whose first and last bytes both fit, compared in full;
// the first that matches, or kNotFound.
int32_t searchBlock(const Pattern& p, const uint8_t* t, uint32_t i) {
    const Bytes16 starts = equalToAny(load16(t + i), p.first);
    const Bytes16 ends = equalToAny(load16(t + i + p.length - 1), p.last);
    const Bytes16 both = starts & ends;
    const Words2 words = (Words2)both;
    if ((words[0] | words[1]) == 0) return kNotFound;
    for (uint32_t j = 0; j < kBlock; ++j)
        if (both[j] && matchesAt(p, t + i + j)) return (int32_t)(i + j);
    return kNotFound;
}

// The leftmost occurrence in the n bytes of t. Sixteen positions at a time
// are ruled out when none of them has both the first byte at its start and
// the last byte at its end; the last block overlaps the one before it
// rather than leaving a remainder, which is harmless since the positions
// it repeats did not match.
int32_t searchPrepared(const Pattern& p, const uint8_t* t, uint32_t n) {
    const uint32_t m = p.length;
    if (m == 0 || n < m) return kNotFound;
    const uint32_t positions = n - m + 1;
    if (!p.blockFilter || positions < kBlock) {
        for (uint32_t i = 0; i < positions; ++i)
            if (matchesAt(p, t + i)) return (int32_t)i;
        return kNotFound;
    }
    for (uint32_t i = 0;; i += kBlock) {
        if (i + kBlock > positions) i = positions - kBlock;
        const int32_t at = searchBlock(p, t, i);
        if (at != kNotFound) return at;
        if (i + kBlock == positions) return kNotFound;
    }
}

int32_t searchText(const Pattern& p, const char* text) {
    if (!text) return kNotFound;
    return searchPrepared(p, reinterpret_cast<const uint8_t*>(text), (uint32_t)strlen(text));
}

// An entry's text, searched over the length the document keeps for it. A
// hit must lie before the text's first zero byte, should the two disagree.
int32_t searchEntry(const Pattern& p, const GxtEntry* entry) {
    const char* text = entryText(entry);
    if (!text) return kNotFound;
    if (entry->storedLength <= 0) return searchText(p, text);
    const uint8_t* t = reinterpret_cast<const uint8_t*>(text);
    const int32_t at = searchPrepared(p, t, (uint32_t)entry->storedLength - 1);
    if (at == kNotFound) return kNotFound;
    if (memchr(t, 0, (size_t)at + p.length)) return searchText(p, text);
    return at;
}

int32_t findHash(const char* pattern, uint32_t start, uint32_t count) {
    if (!gDocument.hashedKeys) return kNotFound;
    const uint32_t target = keyHash(pattern);
    for (uint32_t row = start; row < count; ++row)
        if (rowHash(row) == target) return (int32_t)row;
    return kNotFound;
}

}  // namespace

int32_t findChar(const char* text, char c, int matchCase) {
    if (!text) return kNotFound;
    const uint8_t* map = mapFor(matchCase).to;
    const uint8_t wanted = map[(uint8_t)c];
    if (wanted == 0) return kNotFound;
    const uint8_t* t = reinterpret_cast<const uint8_t*>(text);
    for (uint32_t i = 0; t[i]; ++i)
        if (map[t[i]] == wanted) return (int32_t)i;
    return kNotFound;
}

int32_t findSubstring(const char* text, const char* pattern, int matchCase) {
    if (!pattern) return kNotFound;
    Pattern p;
    preparePattern(p, pattern, matchCase);
    return searchText(p, text);
}

int32_t findRow(const char* pattern, int mode, int matchCase, uint32_t start) {
    if (!pattern) return kNotFound;
    const uint32_t count = rowCount();
    if (mode == FIND_HASHES) return findHash(pattern, start, count);
    Pattern p;
    preparePattern(p, pattern, matchCase);
    if (p.length == 0) return kNotFound;
    for (uint32_t row = start; row < count; ++row) {
        const int32_t at = mode == FIND_IDS ? searchText(p, rowKeyName(row)) : searchEntry(p, entryAtRow(row));
        if (at != kNotFound) return (int32_t)row;
    }
    return kNotFound;
}
