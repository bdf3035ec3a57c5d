// The document at its worst, shared by the benchmarks: the file that
// `vorn-gxtgen worst` writes (worstCaseDocument), an '@' file just under
// 16 MiB whose tables hold 65535 entries each, their strings lying in the
// reverse order of the key records, so that every table's rows must be
// sorted from scratch. Made once per run.
#pragma once

#include <malloc.h>
#include <string>
#include <unistd.h>
#include <vector>

#include "gxt_generator.h"

namespace benchworst {

struct WorstCase {
    std::string path;
    uint32_t size = 0;
    uint32_t entries = 0;
    std::vector<uint32_t> hashes;
};

inline const WorstCase& worstCase() {
    static WorstCase w = [] {
        // A fixed threshold keeps glibc from raising it after the first large
        // free: every large block is then a fresh mapping whose pages are
        // touched for the first time, as in a program that opens one file.
        mallopt(M_MMAP_THRESHOLD, 128 * 1024);
        WorstCase c;
        GenDocument doc = worstCaseDocument(&c.hashes);
        c.entries = (uint32_t)c.hashes.size();
        std::vector<uint8_t> bytes = generateGxt(doc, worstCaseOptions());
        c.size = (uint32_t)bytes.size();
        c.path = "/tmp/vorn-bench-worst-" + std::to_string(getpid()) + ".gxt";
        writeFileBytes(c.path, bytes);
        return c;
    }();
    return w;
}

}  // namespace benchworst
