// Loading, indexing, saving and finding in the worst-case document
// (bench_worst_case.h). CPU times are of the whole process, the indexing
// worker included.
#include <benchmark/benchmark.h>

#include <malloc.h>
#include <string>
#include <sys/mman.h>
#include <unistd.h>

#include "gxt/gxt.h"
#include "gxt_generator.h"
#include "bench_worst_case.h"
#include "platform/platform.h"

namespace {

using benchworst::worstCase;
using benchworst::WorstCase;

std::string scratchPath(const char* what) { return "/tmp/vorn-bench-" + std::string(what) + "-" + std::to_string(getpid()) + ".gxt"; }

// Reads the worst-case file into memory never touched before (a new
// anonymous mapping each time), or into the same block again.
uint8_t* readWorstCase(uint8_t* reused) {
    const WorstCase& w = worstCase();
    uint8_t* buffer = reused;
    if (!buffer) {
        void* m = mmap(nullptr, w.size + 1, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
        buffer = m == MAP_FAILED ? nullptr : static_cast<uint8_t*>(m);
    }
    PlatformFile* f = fileOpenRead(w.path.c_str());
    uint32_t size = 0, got = 0;
    fileSize(f, &size);
    fileRead(f, buffer, size, &got);
    fileClose(f);
    return buffer;
}

// The baseline of loading: reading the file into memory. With fresh=1 the
// memory is new each time, so every page faults once, as the loader's do;
// with fresh=0 the same block is read into again (a warm read).
void BM_ReadWorstCaseFile(benchmark::State& state) {
    const WorstCase& w = worstCase();
    const bool fresh = state.range(0) != 0;
    std::vector<uint8_t> reused(fresh ? 0 : w.size + 1);
    for (auto _ : state) {
        uint8_t* buffer = readWorstCase(fresh ? nullptr : reused.data());
        benchmark::DoNotOptimize(buffer);
        if (fresh) munmap(buffer, w.size + 1);
    }
    state.counters["bytes"] = w.size;
}
BENCHMARK(BM_ReadWorstCaseFile)->Arg(0)->Arg(1)->ArgNames({"fresh"})->MeasureProcessCPUTime()->Unit(benchmark::kMillisecond);

// The baseline of a resave: what cp does, a fresh read and a write of the
// same bytes, through the same atomic replacement as a save.
void BM_CopyWorstCaseFile(benchmark::State& state) {
    const WorstCase& w = worstCase();
    const std::string out = scratchPath("copy");
    for (auto _ : state) {
        uint8_t* buffer = readWorstCase(nullptr);
        PlatformFile* f = fileCreateReplacing(out.c_str());
        if (!f || !fileWrite(f, buffer, w.size) || !fileFinish(f)) state.SkipWithError("copy failed");
        munmap(buffer, w.size + 1);
    }
    fileRemove(out.c_str());
}
BENCHMARK(BM_CopyWorstCaseFile)->MeasureProcessCPUTime()->Unit(benchmark::kMillisecond);

// What `vorn-cli resave` does: open, index and save the worst case.
void BM_ResaveWorstCase(benchmark::State& state) {
    const WorstCase& w = worstCase();
    const std::string out = scratchPath("resave");
    for (auto _ : state) {
        if (openDocument(w.path.c_str()) != 0 || saveDocument(out.c_str()) != 0) state.SkipWithError("resave failed");
        closeDocument();
    }
    fileRemove(out.c_str());
}
BENCHMARK(BM_ResaveWorstCase)->MeasureProcessCPUTime()->Unit(benchmark::kMillisecond);

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
    // Targets: at most 3 times the file, and at most 40 bytes an entry on
    // top of the file.
    state.counters["peakOverFile"] = (double)peak / w.size;
    state.counters["peakBytesPerEntryOverFile"] = ((double)peak - w.size) / (double)w.entries;
}
BENCHMARK(BM_LoadAndIndexWorstCase)->MeasureProcessCPUTime()->Unit(benchmark::kMillisecond);

// Saving alone: every block the save takes is fresh memory, as in a real
// save, and the file is written and replaced.
void BM_SaveWorstCase(benchmark::State& state) {
    const WorstCase& w = worstCase();
    const std::string out = scratchPath("save");
    openDocument(w.path.c_str());
    for (auto _ : state)
        if (saveDocument(out.c_str()) != 0) state.SkipWithError("save failed");
    closeDocument();
    fileRemove(out.c_str());
}
BENCHMARK(BM_SaveWorstCase)->MeasureProcessCPUTime()->Unit(benchmark::kMillisecond);

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
