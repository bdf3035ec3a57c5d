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

// The table as the user edits it: the grid of the Decode table dialog,
// assign, and the .tbl files read and written. Its edits reach the document
// only when it is applied.
extern DecodeTable gDecodeTable;
// The table the open document's texts were last decoded with: edited texts,
// which are kept in display characters, are encoded back through it on
// saving, whatever edits to gDecodeTable are still waiting to be applied.
extern DecodeTable gAppliedTable;

namespace decodeTable {
// Both tables to identity (at start-up).
void reset();
// Gives the code x the character y in the edited table by exchanging the
// two slots concerned.
void assign(uint8_t x, uint8_t y);
// File bytes to display characters; 0..31 pass through unchanged.
void decode(const DecodeTable& table, char* destination, const char* source, uint32_t length);
// Display characters to file bytes, one every `width` bytes, at most
// maxCharacters of them; returns the number encoded. Writes no terminator.
uint32_t encode(const DecodeTable& table, char* destination, const char* text, uint32_t width,
                uint32_t maxCharacters);
// Whether the table shows every code as itself.
bool isIdentity(const DecodeTable& table);
// The character the edited table shows for a code (codes below 32 map to
// themselves).
uint8_t displayOf(uint8_t code);
// The code the edited table writes for a display character.
uint8_t codeOf(uint8_t character);
}  // namespace decodeTable

// Makes the edited table the applied one (UI thread; the indexing worker
// takes it when a document is opened).
void applyDecodeTable();
// Decodes the open document's rawText into displayText through the applied
// table. While that table shows every code as itself, a 1-byte document
// shows its raw text (one block for both).
void decodeDocumentText();
// Applies the edited table and decodes the open document's text through it.
void redecodeDocument();
// Reads a .tbl file into the edited table; the caller applies it.
int importTbl(const char* path);
// Writes the edited table, as the grid shows it, to a .tbl file.
int exportTbl(const char* path);
