// The decode table and the .tbl files that store it.
#include "decode/decode_table.h"

#include "gxt/gxt.h"
#include "platform/platform.h"

namespace {
DecodeTable identityTable() {
    DecodeTable t{};
    for (int i = 0; i < kDecodeSlots; ++i) t.slots[i].character = (uint8_t)(i + 32);
    for (int c = 0; c < 256; ++c) t.inverse[c] = (uint8_t)c;
    return t;
}
}  // namespace

DecodeTable gDecodeTable = identityTable();
DecodeTable gAppliedTable = identityTable();

namespace {
PlatformHeap* gImportHeap = nullptr;
}

namespace decodeTable {

void reset() {
    gDecodeTable = identityTable();
    gAppliedTable = gDecodeTable;
}

bool isIdentity(const DecodeTable& table) {
    for (int i = 0; i < kDecodeSlots; ++i)
        if (table.slots[i].character != (uint8_t)(i + 32)) return false;
    return true;
}

void assign(uint8_t x, uint8_t y) {
    if (x < 32 || y < 32) return;
    DecodeSlot& own = gDecodeTable.slots[x - 32];
    if (own.character == y) return;
    // The slot that shows y now gets x's old character: the two exchange.
    uint8_t d = gDecodeTable.inverse[y];
    uint8_t old = own.character;
    gDecodeTable.slots[d - 32].character = old;
    own.character = y;
    gDecodeTable.inverse[old] = d;
    gDecodeTable.inverse[y] = x;
}

uint8_t displayOf(uint8_t code) { return code < 32 ? code : gDecodeTable.slots[code - 32].character; }

uint8_t codeOf(uint8_t character) { return gDecodeTable.inverse[character]; }

void decode(const DecodeTable& table, char* destination, const char* source, uint32_t length) {
    if (!destination || !source || length == 0) return;
    for (uint32_t k = 0; k < length; ++k) {
        const uint8_t code = (uint8_t)source[k];
        destination[k] = (char)(code < 32 ? code : table.slots[code - 32].character);
    }
}

uint32_t encode(const DecodeTable& table, char* destination, const char* text, uint32_t width,
                uint32_t maxCharacters) {
    if (!destination || !text) return 0;
    if (width == 0) width = 1;
    const uint8_t* map = table.inverse;
    uint32_t k = 0;
    if (width == 1) {
        for (; k < maxCharacters && text[k] != 0; ++k) destination[k] = (char)map[(uint8_t)text[k]];
    } else {
        for (; k < maxCharacters && text[k] != 0; ++k) destination[k * width] = (char)map[(uint8_t)text[k]];
    }
    return k;
}

}  // namespace decodeTable

void applyDecodeTable() { gAppliedTable = gDecodeTable; }

void decodeDocumentText() {
    GxtDocument& d = gDocument;
    if (!d.displayText) return;
    if (d.displayText == d.rawText) {
        if (decodeTable::isIdentity(gAppliedTable)) return;
        // The text shown now differs from the file's: it gets a block of its
        // own (without memory for one the raw text stays on show).
        char* own = static_cast<char*>(documentAlloc((size_t)d.textTotal + 1));
        if (!own) return;
        d.displayText = own;
    }
    decodeTable::decode(gAppliedTable, d.displayText, d.rawText, d.textTotal);
}

void redecodeDocument() {
    waitIndexWorker();
    applyDecodeTable();
    decodeDocumentText();
}

int importTbl(const char* path) {
    if (!gImportHeap) {
        gImportHeap = heapCreate(kHeapFlags, 0, 0);
        if (!gImportHeap) return 7000;
    }
    PlatformFile* file = fileOpenRead(path);
    if (!file) return 7001;
    uint32_t size = 0;
    if (!fileSize(file, &size)) {
        fileClose(file);
        return 7002;
    }
    uint8_t* buffer = static_cast<uint8_t*>(heapAlloc(gImportHeap, kHeapFlags, (size_t)size + 1));
    if (!buffer) {
        fileClose(file);
        return 7004;
    }
    uint32_t got = 0;
    if (!fileRead(file, buffer, size, &got)) {
        heapFree(gImportHeap, 0, buffer);
        fileClose(file);
        return 7005;
    }
    fileClose(file);
    // The buffer is zero-filled, so a file shorter than 224 bytes meets a 0
    // at its end; never look past the buffer itself.
    bool seen[256] = {};
    int result = 0;
    for (uint32_t j = 0; j < (uint32_t)kDecodeSlots; ++j) {
        uint8_t b = j < got ? buffer[j] : 0;
        if (b < 32) {
            result = 7006;
            break;
        }
        if (seen[b]) {
            result = 7007;
            break;
        }
        seen[b] = true;
    }
    if (result == 0)
        for (uint32_t j = 0; j < (uint32_t)kDecodeSlots; ++j) decodeTable::assign((uint8_t)(j + 32), buffer[j]);
    heapFree(gImportHeap, 0, buffer);
    return result;
}

int exportTbl(const char* path) {
    uint8_t bytes[kDecodeSlots];
    for (int i = 0; i < kDecodeSlots; ++i) bytes[i] = gDecodeTable.slots[i].character;
    PlatformFile* file = fileCreateReplacing(path);
    if (!file) return 8001;
    if (!fileWrite(file, bytes, kDecodeSlots)) {
        fileClose(file);
        return 8002;
    }
    return fileFinish(file) ? 0 : 8002;
}
