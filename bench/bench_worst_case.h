// The document at its worst, shared by the benchmarks: an '@' file just
// under 16 MiB whose tables hold 65535 entries each, their strings lying in
// the reverse order of the key records, so that every table's rows must be
// sorted from scratch. Made once per run.
#pragma once

#include <cstdio>
#include <string>
#include <unistd.h>
#include <vector>

#include "gxt_generator.h"

namespace benchworst {

constexpr uint32_t kLimit = 0xFFFFFF;

inline uint32_t mix(uint32_t x) {
    x ^= x >> 16;
    x *= 0x7feb352d;
    x ^= x >> 15;
    x *= 0x846ca68b;
    x ^= x >> 16;
    return x;
}

struct WorstCase {
    std::string path;
    uint32_t size = 0;
    uint32_t entries = 0;
    std::vector<uint32_t> hashes;
};

inline const WorstCase& worstCase() {
    static WorstCase w = [] {
        WorstCase c;
        GenDocument doc;
        doc.variant = '@';
        const uint32_t fixed = 4 + 8 + 12 * 524 + 24 * 524;
        const uint32_t perEntry = 8 + 8;  // key record and a 7-character string
        uint32_t room = kLimit - fixed;
        uint32_t serial = 0;
        for (uint32_t t = 0; room >= perEntry && t < 524; ++t) {
            GenTable table;
            table.name = "T" + std::to_string(t);
            uint32_t n = room / perEntry < 65535 ? room / perEntry : 65535;
            for (uint32_t i = 0; i < n; ++i) {
                char text[8];
                snprintf(text, sizeof text, "s%06u", (serial * 7919) % 1000000);
                uint32_t h = mix(++serial);
                table.entries.push_back({"", h, text});
                c.hashes.push_back(h);
            }
            room -= n * perEntry;
            c.entries += n;
            doc.tables.push_back(table);
        }
        GenOptions reverse;
        reverse.order = GenStringOrder::Reverse;
        std::vector<uint8_t> bytes = generateGxt(doc, reverse);
        c.size = (uint32_t)bytes.size();
        c.path = "/tmp/vorn-bench-worst-" + std::to_string(getpid()) + ".gxt";
        writeFileBytes(c.path, bytes);
        return c;
    }();
    return w;
}

}  // namespace benchworst
