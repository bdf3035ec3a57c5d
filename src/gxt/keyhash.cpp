// The two key hashes of the hashed layouts: a CRC-32 of the upper-cased name
// ('2') and a one-at-a-time hash of the lower-cased, slash-normalised name ('@').
#include "gxt/gxt.h"

namespace {

struct CrcTable {
    uint32_t entries[256];
    constexpr CrcTable() : entries() {
        for (uint32_t i = 0; i < 256; ++i) {
            uint32_t c = i;
            for (int k = 0; k < 8; ++k) c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
            entries[i] = c;
        }
    }
};

constexpr CrcTable kCrcTable;

}  // namespace

uint32_t crcKeyHash(const char* name) {
    if (!name) return 0;
    uint32_t h = 0xFFFFFFFFu;
    for (const unsigned char* p = reinterpret_cast<const unsigned char*>(name); *p; ++p) {
        uint32_t x = *p;
        if (x >= 'a' && x <= 'z') x -= 32;
        h = (h >> 8) ^ kCrcTable.entries[(h ^ x) & 0xFF];
    }
    return h;
}

uint32_t oneAtATimeKeyHash(const char* name) {
    if (!name) return 0;
    const unsigned char* p = reinterpret_cast<const unsigned char*>(name);
    bool quoted = false;
    if (*p == '"') {
        quoted = true;
        ++p;
    }
    uint32_t h = 0;
    for (; *p; ++p) {
        uint32_t x = *p;
        if (quoted && x == '"') break;
        if (x >= 'A' && x <= 'Z') x += 32;
        else if (x == '\\') x = '/';
        // Bytes 0x80..0xFF are added as negative (signed 8-bit) values.
        h += (uint32_t)(int32_t)(int8_t)(uint8_t)x;
        h += h << 10;
        h ^= h >> 6;
    }
    h += h << 3;
    h ^= h >> 11;
    h += h << 15;
    return h;
}

uint32_t keyHash(const char* name) {
    if (!name) return 0;
    switch (gDocument.formatVariant) {
        case '2': return crcKeyHash(name);
        case '@': return oneAtATimeKeyHash(name);
        default: return 0;
    }
}
