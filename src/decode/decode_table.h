// The decode table: for each byte value 32..255 of the file's text, the
// character shown for it. Always a permutation of 32..255.
#pragma once

#include <cstdint>

constexpr int kDecodeSlots = 224;

struct DecodeSlot {
    uint8_t character;   // shown for the code slot + 32
    uint8_t terminator;  // always 0: the slot is a one-character text
};

struct DecodeTable {
    DecodeSlot slots[kDecodeSlots];
    // inverse[c] is the code whose slot shows the character c (c itself
    // below 32); encoding goes through it so that any permutation saves back
    // what it read.
    uint8_t inverse[256];
};

extern DecodeTable gDecodeTable;

namespace decodeTable {
void reset();
// Gives the code x the character y by exchanging the two slots concerned.
void assign(uint8_t x, uint8_t y);
// File bytes to display characters; 0..31 pass through unchanged.
void decode(char* destination, const char* source, uint32_t length);
// Display characters to file bytes, one every `width` bytes, at most
// maxCharacters of them; returns the number encoded. Writes no terminator.
uint32_t encode(char* destination, const char* text, uint32_t width, uint32_t maxCharacters);
// The character shown for a code (codes below 32 map to themselves).
uint8_t displayOf(uint8_t code);
// The code written for a display character.
uint8_t codeOf(uint8_t character);
}  // namespace decodeTable

// Decodes the open document's rawText into displayText again.
void redecodeDocument();
int importTbl(const char* path);
int exportTbl(const char* path);
