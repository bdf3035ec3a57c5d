// The document at its worst: an '@' file just under 16 MiB whose tables hold
// 65535 entries each, their strings lying in the reverse order of the key
// records, so that every table's rows must be sorted from scratch.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <unistd.h>

#include "gxt/gxt.h"
#include "gxt_generator.h"
#include "platform/platform.h"

namespace {

constexpr uint32_t kLimit = 0xFFFFFF;

uint32_t mix(uint32_t x) {
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

const WorstCase& worstCase() {
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

// The baseline: reading the file into a block of memory, as the loader
// does. With fresh=1 the block is new each time (its pages are touched for
// the first time, as the loader's are); with fresh=0 it is reused.
void BM_ReadWorstCaseFile(benchmark::State& state) {
    const WorstCase& w = worstCase();
    const bool fresh = state.range(0) != 0;
    std::vector<uint8_t> reused(fresh ? 0 : w.size + 1);
    for (auto _ : state) {
        PlatformHeap* heap = fresh ? heapCreate(kHeapFlags, 0, 0) : nullptr;
        uint8_t* buffer = fresh ? static_cast<uint8_t*>(heapAlloc(heap, kHeapFlags, w.size + 1)) : reused.data();
        PlatformFile* f = fileOpenRead(w.path.c_str());
        uint32_t size = 0, got = 0;
        fileSize(f, &size);
        fileRead(f, buffer, size, &got);
        fileClose(f);
        benchmark::DoNotOptimize(buffer);
        if (heap) heapDestroy(heap);
    }
    state.counters["bytes"] = w.size;
}
BENCHMARK(BM_ReadWorstCaseFile)->Arg(0)->Arg(1)->ArgNames({"fresh"})->Unit(benchmark::kMillisecond);

void BM_LoadAndIndexWorstCase(benchmark::State& state) {
    const WorstCase& w = worstCase();
    size_t peak = 0;
    for (auto _ : state) {
        if (openDocument(w.path.c_str()) != 0) state.SkipWithError("load failed");
        state.PauseTiming();
        peak = heapPeakBytes(gDocument.heap);
        closeDocument();
        state.ResumeTiming();
    }
    state.counters["entries"] = w.entries;
    state.counters["peakBytes"] = (double)peak;
    state.counters["peakPerEntryOverFile3x"] =
        ((double)peak - 3.0 * w.size) / (double)w.entries;
}
BENCHMARK(BM_LoadAndIndexWorstCase)->Unit(benchmark::kMillisecond);

void BM_MemcpyOfSavedImage(benchmark::State& state) {
    const WorstCase& w = worstCase();
    std::vector<uint8_t> from(w.size, 1), to(w.size);
    for (auto _ : state) {
        memcpy(to.data(), from.data(), w.size);
        benchmark::DoNotOptimize(to.data());
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_MemcpyOfSavedImage)->Unit(benchmark::kMillisecond);

void BM_BuildImageWorstCase(benchmark::State& state) {
    const WorstCase& w = worstCase();
    openDocument(w.path.c_str());
    for (auto _ : state) {
        uint32_t size = 0;
        uint8_t* image = buildImage(&size);
        if (!image || size != w.size) state.SkipWithError("image differs in size");
        benchmark::DoNotOptimize(image);
        documentFree(image);
    }
    closeDocument();
}
BENCHMARK(BM_BuildImageWorstCase)->Unit(benchmark::kMillisecond);

void BM_FindEntryByHash(benchmark::State& state) {
    const WorstCase& w = worstCase();
    openDocument(w.path.c_str());
    size_t i = 0;
    const bool miss = state.range(0) != 0;
    for (auto _ : state) {
        uint32_t h = w.hashes[i++ % w.hashes.size()];
        GxtEntry* e = findEntry(nullptr, miss ? h ^ 0x5bd1e995u : h);
        benchmark::DoNotOptimize(e);
    }
    state.SetItemsProcessed(state.iterations());
    closeDocument();
}
BENCHMARK(BM_FindEntryByHash)->Arg(0)->Arg(1)->ArgNames({"miss"});

}  // namespace
