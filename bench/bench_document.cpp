// Loading, indexing, saving and finding in the worst-case document
// (bench_worst_case.h).
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <unistd.h>

#include "gxt/gxt.h"
#include "gxt_generator.h"
#include "bench_worst_case.h"
#include "platform/platform.h"

namespace {

using benchworst::worstCase;
using benchworst::WorstCase;

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
