// Small builders for the document tests.
#pragma once

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "gxt/gxt.h"
#include "gxt_generator.h"

inline void put32le(std::vector<uint8_t>& out, size_t at, uint32_t v) {
    for (int i = 0; i < 4; ++i) out[at + i] = (uint8_t)(v >> (8 * i));
}

// Each row of the selected table as key=text, the key being its name or
// its printed hash.
inline std::vector<std::string> rows() {
    std::vector<std::string> out;
    for (uint32_t r = 0; r < rowCount(); ++r)
        out.push_back(std::string(rowKeyName(r) ? rowKeyName(r) : rowHashName(r)) + "=" + rowText(r));
    return out;
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

// A variant '0' file (one table, 2-byte characters) with the given records
// (string offset, name of up to 8 letters) and string data, byte by byte.
inline std::vector<uint8_t> namedFile(std::vector<std::pair<uint32_t, const char*>> records,
                                      std::vector<uint8_t> data) {
    const uint32_t k = 12 * (uint32_t)records.size();
    std::vector<uint8_t> f(16 + k, 0);
    put32le(f, 0, kTagTkey);
    put32le(f, 4, k);
    for (size_t i = 0; i < records.size(); ++i) {
        put32le(f, 8 + 12 * i, records[i].first);
        memcpy(&f[12 + 12 * i], records[i].second, strnlen(records[i].second, 8));
    }
    put32le(f, 8 + k, kTagTdat);
    put32le(f, 12 + k, (uint32_t)data.size());
    f.insert(f.end(), data.begin(), data.end());
    return f;
}
