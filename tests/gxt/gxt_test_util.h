// Small builders for the document tests.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "gxt_generator.h"

inline void put32le(std::vector<uint8_t>& out, size_t at, uint32_t v) {
    for (int i = 0; i < 4; ++i) out[at + i] = (uint8_t)(v >> (8 * i));
}

inline uint32_t get32le(const std::vector<uint8_t>& in, size_t at) {
    return (uint32_t)in[at] | ((uint32_t)in[at + 1] << 8) | ((uint32_t)in[at + 2] << 16) |
           ((uint32_t)in[at + 3] << 24);
}

// A one-table document of the given layout with entries (name, text).
inline GenDocument oneTable(char variant, std::vector<std::pair<std::string, std::string>> entries,
                            std::string tableName = "MAIN") {
    GenDocument doc;
    doc.variant = variant;
    GenTable t;
    t.name = tableName;
    for (auto& [name, text] : entries) t.entries.push_back({name, 0, text});
    doc.tables.push_back(t);
    return doc;
}

// Offset of the first table's TKEY chunk in a generated image.
inline size_t firstTkey(char variant) {
    if (variant == '0') return 0;
    uint32_t h = (variant == '1') ? 0 : 4;
    return h + 8 + 12 * genTableCount(variant);
}
