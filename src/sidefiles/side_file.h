// What the side-file importers share: reading a file whole into the
// document's heap, and cutting it into name tokens.
#pragma once

#include <cstdint>

// A side file read whole, followed by one zero byte.
struct SideFileContent {
    uint8_t* bytes;
    uint32_t size;  // bytes read, without the zero byte
};

// Reads the file at path into a block of the document's heap. Returns 0, or
// the code base (no document: there is no heap), base + 1 (cannot open),
// + 2 (no size), + 3 (16 MiB or larger), + 4 (no memory) or + 5 (cannot
// read); nothing stays allocated on failure.
// A file of `limit` bytes or more counts as too large (base + 3).
int readSideFile(const char* path, int base, SideFileContent& content, uint32_t limit = 0x1000000u);
void releaseSideFile(SideFileContent& content);

// Name tokens: runs of the bytes 0x21..0x7F; every other byte separates them.
inline bool isTokenByte(uint8_t c) { return c >= 0x21 && c <= 0x7F; }

// Collects the next token at or after *pos, at most limit bytes of it (the
// rest of a longer run starts the next token), into out, which receives a
// terminator and must hold limit + 1 bytes. Returns its length, 0 at the end.
uint32_t nextNameToken(const SideFileContent& content, uint32_t* pos, char* out, uint32_t limit);
