#include "gxt_generator.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <map>
#include <random>

#include "gxt/gxt.h"

namespace {

void put32(std::vector<uint8_t>& out, size_t at, uint32_t v) {
    out[at] = (uint8_t)v;
    out[at + 1] = (uint8_t)(v >> 8);
    out[at + 2] = (uint8_t)(v >> 16);
    out[at + 3] = (uint8_t)(v >> 24);
}

void putName(std::vector<uint8_t>& out, size_t at, const std::string& name) {
    for (size_t i = 0; i < 8; ++i) out[at + i] = i < name.size() ? (uint8_t)name[i] : 0;
}

void append(std::vector<uint8_t>& out, size_t n) { out.resize(out.size() + n, 0); }

}  // namespace

uint32_t genTableCount(char variant) {
    switch (variant) {
        case '0': return 1;
        case '1': return 79;
        case '2': return 127;
        default: return 524;
    }
}

uint32_t genKeyHash(char variant, const std::string& name) {
    if (variant == '2') return crcKeyHash(name.c_str());
    if (variant == '@') return oneAtATimeKeyHash(name.c_str());
    return 0;
}

std::string genPaddingTableName(uint32_t index) {
    char buf[16];
    snprintf(buf, sizeof buf, "PAD%05u", index % 100000u);
    return buf;
}

GenPackedStrings genPackStrings(const GenTable& table, uint32_t charWidth, const GenOptions& options) {
    // Lay the strings out in the order asked for.
    GenPackedStrings packed;
    std::vector<size_t> order(table.entries.size());
    for (size_t i = 0; i < order.size(); ++i)
        order[i] = options.order == GenStringOrder::Reverse ? order.size() - 1 - i : i;
    packed.offsets.resize(table.entries.size());
    std::map<std::string, uint32_t> shared;
    for (size_t i : order) {
        const std::string& text = table.entries[i].text;
        if (options.shareEqualTexts) {
            auto it = shared.find(text);
            if (it != shared.end()) {
                packed.offsets[i] = it->second;
                continue;
            }
            shared[text] = (uint32_t)packed.data.size();
        }
        packed.offsets[i] = (uint32_t)packed.data.size();
        for (char c : text) {
            packed.data.push_back((uint8_t)c);
            if (charWidth == 2) packed.data.push_back(options.highByte);
        }
        for (uint32_t z = 0; z < charWidth; ++z) packed.data.push_back(0);
    }
    return packed;
}

std::vector<size_t> genRowOrder(const GenTable& table, const GenOptions& options) {
    GenPackedStrings packed = genPackStrings(table, 1, options);
    std::vector<size_t> rows(table.entries.size());
    for (size_t i = 0; i < rows.size(); ++i) rows[i] = i;
    std::stable_sort(rows.begin(), rows.end(),
                     [&](size_t a, size_t b) { return packed.offsets[a] < packed.offsets[b]; });
    return rows;
}

std::vector<uint8_t> generateGxt(const GenDocument& doc, const GenOptions& options) {
    const char v = doc.variant;
    const bool hashed = v == '2' || v == '@';
    const uint32_t width = (v == '0' || v == '1') ? 2 : 1;
    const uint32_t recordSize = hashed ? 8 : 12;
    const uint32_t headerSize = (v == '2' || v == '@') ? 4 : 0;
    const uint32_t n = genTableCount(v);

    std::vector<GenTable> tables = doc.tables;
    tables.resize(n > tables.size() ? n : tables.size());
    for (uint32_t i = (uint32_t)doc.tables.size(); i < tables.size(); ++i)
        tables[i].name = genPaddingTableName(i);
    if (v == '0') tables.resize(1);

    std::vector<uint8_t> out;
    if (v != '0') {
        append(out, headerSize + 8 + 12 * tables.size());
        if (headerSize) put32(out, 0, kHeaderWord);
        put32(out, headerSize, kTagTabl);
        put32(out, headerSize + 4, (uint32_t)(12 * tables.size()));
    }
    for (size_t t = 0; t < tables.size(); ++t) {
        const GenTable& table = tables[t];
        if (t > 0) {
            while (out.size() % 4) out.push_back(0);
        }
        size_t blockStart = out.size();
        if (v != '0') {
            size_t record = headerSize + 8 + 12 * t;
            putName(out, record, table.name);
            put32(out, record + 8, (uint32_t)blockStart);
            if (t > 0) {
                append(out, 8);
                putName(out, blockStart, table.name);
            }
        }
        size_t tkey = out.size();
        uint32_t k = (uint32_t)(table.entries.size() * recordSize);
        append(out, 8 + k);
        put32(out, tkey, kTagTkey);
        put32(out, tkey + 4, k);

        GenPackedStrings packed = genPackStrings(table, width, options);
        const std::vector<uint32_t>& offsets = packed.offsets;
        const std::vector<uint8_t>& data = packed.data;
        for (size_t i = 0; i < table.entries.size(); ++i) {
            const GenEntry& e = table.entries[i];
            size_t rec = tkey + 8 + i * recordSize;
            put32(out, rec, offsets[i]);
            if (hashed) put32(out, rec + 4, e.hash || e.hashGiven ? e.hash : genKeyHash(v, e.name));
            else putName(out, rec + 4, e.name);
        }
        size_t tdat = out.size();
        append(out, 8);
        put32(out, tdat, kTagTdat);
        put32(out, tdat + 4, (uint32_t)data.size());
        out.insert(out.end(), data.begin(), data.end());
    }
    return out;
}

GenDocument randomDocument(char variant, uint32_t seed, uint32_t maxEntriesPerTable, bool printable) {
    std::mt19937 rng(seed);
    const bool hashed = variant == '2' || variant == '@';
    GenDocument doc;
    doc.variant = variant;
    uint32_t tables = variant == '0' ? 1 : 1 + rng() % 6;
    for (uint32_t t = 0; t < tables; ++t) {
        GenTable table;
        if (variant == '0') {
            table.name = "MAIN";
        } else {
            uint32_t len = 1 + rng() % 8;
            for (uint32_t i = 0; i < len; ++i) table.name += (char)('A' + rng() % 26);
        }
        uint32_t count = maxEntriesPerTable ? rng() % (maxEntriesPerTable + 1) : 0;
        std::map<std::string, bool> used;
        std::map<uint32_t, bool> usedHashes;
        for (uint32_t i = 0; i < count; ++i) {
            GenEntry e;
            // Names unique within the table, and in the hashed layouts their
            // hashes too (the named layouts have none: genKeyHash gives 0).
            do {
                e.name.clear();
                uint32_t len = 1 + rng() % 8;
                for (uint32_t c = 0; c < len; ++c) e.name += (char)("ABCDEFGHIJKLMNOPQRSTUVWXYZ_0123456789"[rng() % 37]);
            } while (used[e.name] || (hashed && usedHashes[genKeyHash(variant, e.name)]));
            used[e.name] = true;
            if (hashed) usedHashes[genKeyHash(variant, e.name)] = true;
            uint32_t len = rng() % 40;
            for (uint32_t c = 0; c < len; ++c)
                e.text += printable ? (char)(32 + rng() % 95) : (char)(1 + rng() % 255);
            table.entries.push_back(e);
        }
        doc.tables.push_back(table);
    }
    return doc;
}

bool writeFileBytes(const std::string& path, const std::vector<uint8_t>& bytes) {
    FILE* f = fopen(path.c_str(), "wb");
    if (!f) return false;
    bool ok = bytes.empty() || fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    return fclose(f) == 0 && ok;
}

std::vector<uint8_t> readFileBytes(const std::string& path) {
    std::vector<uint8_t> bytes;
    FILE* f = fopen(path.c_str(), "rb");
    if (!f) return bytes;
    uint8_t buf[65536];
    size_t n;
    while ((n = fread(buf, 1, sizeof buf, f)) > 0) bytes.insert(bytes.end(), buf, buf + n);
    fclose(f);
    return bytes;
}

uint32_t worstCaseHash(uint32_t serial) {
    uint32_t x = serial;
    x ^= x >> 16;
    x *= 0x7feb352d;
    x ^= x >> 15;
    x *= 0x846ca68b;
    x ^= x >> 16;
    return x;
}

GenDocument worstCaseDocument(std::vector<uint32_t>* hashes) {
    GenDocument doc;
    doc.variant = '@';
    const uint32_t limit = 0xFFFFFF;
    const uint32_t fixed = 4 + 8 + 12 * 524 + 24 * 524;
    const uint32_t perEntry = 8 + 8;  // key record and a 7-character string
    uint32_t room = limit - fixed;
    uint32_t serial = 0;
    for (uint32_t t = 0; room >= perEntry && t < 524; ++t) {
        GenTable table;
        table.name = "T" + std::to_string(t);
        uint32_t n = room / perEntry < 65535 ? room / perEntry : 65535;
        table.entries.reserve(n);
        for (uint32_t i = 0; i < n; ++i) {
            char text[8];
            snprintf(text, sizeof text, "s%06u", (serial * 7919) % 1000000);
            uint32_t h = worstCaseHash(++serial);
            table.entries.push_back({"", h, text});
            if (hashes) hashes->push_back(h);
        }
        room -= n * perEntry;
        doc.tables.push_back(std::move(table));
    }
    return doc;
}

GenOptions worstCaseOptions() {
    GenOptions options;
    options.order = GenStringOrder::Reverse;
    return options;
}
