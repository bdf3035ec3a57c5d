// Writing the document back in the layout it was read in.
#include "decode/decode_table.h"
#include "gxt/gxt.h"
#include "support/text.h"

namespace {

constexpr uint32_t kMaxTables = 524;

void write32(uint8_t* p, uint32_t v) {
    p[0] = (uint8_t)v;
    p[1] = (uint8_t)(v >> 8);
    p[2] = (uint8_t)(v >> 16);
    p[3] = (uint8_t)(v >> 24);
}

uint32_t stringDataSize(const GxtTable& t, uint32_t width) {
    uint64_t total = 0;
    for (uint32_t k = 0; k < t.entryCount; ++k) total += (uint64_t)(uint32_t)t.entries[k].storedLength * width;
    return total > 0xFFFFFFFFull ? 0xFFFFFFFFu : (uint32_t)total;
}

bool documentSavable() {
    const GxtDocument& d = gDocument;
    return (d.keyScheme == '0' || d.keyScheme == '@') && d.loaded && d.displayText && d.tableCount <= kMaxTables;
}

// The size of the saved file, in 64 bits; each table's string data size goes
// into dataSizes (kMaxTables places) when given.
uint64_t savedSize(uint32_t* dataSizes) {
    const GxtDocument& d = gDocument;
    const uint32_t n = d.tableCount;
    uint64_t total = d.formatVariant != '0' ? (uint64_t)d.headerSize + 8 + 12ull * n : 0;
    for (uint32_t i = 0; i < n; ++i) {
        const GxtTable& t = d.tables[i];
        const uint32_t dataSize = stringDataSize(t, d.charWidth);
        if (dataSizes) dataSizes[i] = dataSize;
        total += (uint64_t)t.entryCount * d.keyRecordSize + (i == 0 ? 16 : 24) + dataSize;
        if (i + 1 < n) total = (total + 3) & ~3ull;
    }
    return total;
}

// Whether the last saveDocument that failed with 3003 had written the new
// file in full and could not put it in the target's place.
bool gSaveNotReplaced = false;

// Writes a text's loaded bytes, one every `width` bytes, at most
// maxCharacters of them; the bytes between stay zero.
void putLoadedText(char* destination, const char* loaded, uint32_t width, uint32_t maxCharacters) {
    for (uint32_t k = 0; k < maxCharacters && loaded[k] != 0; ++k) destination[(uint64_t)k * width] = loaded[k];
}

}  // namespace

uint8_t* buildImage(uint32_t* size) {
    waitIndexWorker();
    const GxtDocument& d = gDocument;
    if (!documentSavable()) return nullptr;
    const uint32_t n = d.tableCount;
    const uint32_t h = d.headerSize;
    const uint32_t w = d.charWidth;
    const uint32_t r = d.keyRecordSize;
    const bool tableOfTables = d.formatVariant != '0';

    // The whole size first, so that the image is allocated once. The string
    // data sizes are kept for the second pass (a layout has at most 524
    // tables).
    uint32_t dataSizes[kMaxTables];
    const uint64_t total = savedSize(dataSizes);
    if (total > 0xFFFFFFFFull) return nullptr;
    uint8_t* image = static_cast<uint8_t*>(documentAlloc((size_t)total));
    if (!image) return nullptr;

    uint64_t s = 0;
    if (tableOfTables) {
        s = (uint64_t)h + 8 + 12ull * n;
        if (d.keyScheme == '@') write32(image, kHeaderWord);
        write32(image + h, kTagTabl);
        write32(image + h + 4, 12 * n);
    }
    for (uint32_t i = 0; i < n; ++i) {
        const GxtTable& t = d.tables[i];
        const uint32_t keyBytes = t.entryCount * r;
        const uint32_t dataSize = dataSizes[i];
        const uint64_t block = s;
        uint64_t tkey = block;
        if (tableOfTables) {
            uint8_t* record = image + h + 8 + 12ull * i;
            copyBounded(reinterpret_cast<char*>(record), t.name, 8);
            write32(record + 8, (uint32_t)block);
            if (i > 0) {
                for (int c = 0; c < 8; ++c) image[block + c] = record[c];
                tkey = block + 8;
            }
        }
        s = tkey + 16 + keyBytes + dataSize;
        if (i + 1 < n) s = (s + 3) & ~3ull;

        write32(image + tkey, kTagTkey);
        write32(image + tkey + 4, keyBytes);
        write32(image + tkey + 8 + keyBytes, kTagTdat);
        write32(image + tkey + 12 + keyBytes, dataSize);
        uint8_t* data = image + tkey + 16 + keyBytes;
        uint64_t p = 0;
        for (uint32_t k = 0; k < t.entryCount; ++k) {
            const GxtEntry* e = t.rowOrder[k];
            uint8_t* slot = image + tkey + 8 + (uint64_t)(uint32_t)e->keyIndex * r;
            write32(slot, (uint32_t)p);
            if (d.keyScheme == '0') copyBounded(reinterpret_cast<char*>(slot + 4), e->name, 8);
            else write32(slot + 4, e->hash);
            // A text never spills out of its slot, whatever the file held.
            uint32_t room = e->storedLength > 0 ? (uint32_t)e->storedLength - 1 : 0;
            char* at = reinterpret_cast<char*>(data + p);
            // An unedited text goes back as the bytes it was read from. An
            // edited one is in display characters: it is encoded through the
            // table the texts on screen were decoded with, not through edits
            // to the decode table that have not been applied.
            if (e->replacementText) decodeTable::encode(gAppliedTable, at, e->replacementText, w, room);
            else putLoadedText(at, d.rawText + e->textPos, w, room);
            p += (uint64_t)(uint32_t)e->storedLength * w;
        }
    }
    if (size) *size = (uint32_t)total;
    return image;
}

int saveDocument(const char* path) {
    gSaveNotReplaced = false;
    if (!path) return 3000;
    waitIndexWorker();
    // Strings shared in the file are saved once per key, so a file can grow
    // past what the loader accepts: such a file is never written.
    if (documentSavable() && savedSize(nullptr) > kMaxFileSize) return 3004;
    uint32_t size = 0;
    uint8_t* image = buildImage(&size);
    if (!image) return 3001;
    PlatformFile* file = fileCreateReplacing(path);
    if (!file) {
        documentFree(image);
        return 3002;
    }
    if (!fileWrite(file, image, size)) {
        fileClose(file);
        documentFree(image);
        return 3003;
    }
    documentFree(image);
    return fileFinish(file, &gSaveNotReplaced) ? 0 : 3003;
}

bool lastSaveNotReplaced() { return gSaveNotReplaced; }
