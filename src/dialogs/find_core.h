// The search behind Find and Find next: plain text matching with optional
// case folding, and the walk over the rows of the entry list. No window
// code here, so that the tests and the benchmark run it natively.
#pragma once

#include <cstdint>

// What a search looks at.
enum FindMode : int {
    FIND_STRINGS = 0,  // the rows' texts
    FIND_IDS = 1,      // the rows' known key names
    FIND_HASHES = 2,   // the rows' key hashes, against the hash of the text
};

constexpr int32_t kNotFound = -1;

// The search settings, kept for the whole run (not in the configuration).
struct FindSettings {
    char* findText;      // as typed, from the process heap; null before the first search
    int32_t findMode;    // a FindMode
    int32_t findMatchCase;
};

// The position of the first c in text, or kNotFound. Unless matchCase is
// set, both sides are compared lower-cased (the ANSI code page's letters).
int32_t findChar(const char* text, char c, int matchCase);
// The position of the first occurrence of pattern in text, or kNotFound.
// An empty pattern occurs nowhere.
int32_t findSubstring(const char* text, const char* pattern, int matchCase);
// The first row from `start` up to rowCount() - 1 that matches, or
// kNotFound: mode FIND_STRINGS, its text holds the pattern; FIND_IDS, its
// key name is known and holds the pattern; FIND_HASHES, its key hash equals
// keyHash(pattern) (only in a document whose keys are hashes).
int32_t findRow(const char* pattern, int mode, int matchCase, uint32_t start);
