// The translators' commands at scale, each measured against reading the
// files it works on the way the program reads them: a GXT file loaded and
// indexed (openDocument), a text file read whole. The counter timesReading
// is the command's time over that reading time; the target is below 10.
// Both are process CPU times: on a shared machine the wall clock measures
// the neighbours.
//  - export-text --all of the worst-case document, and the import of that
//    export into it (load, import, save);
//  - build of a 1,000,000-entry source;
//  - diff of two worst-case documents that differ in a few texts.
#include <benchmark/benchmark.h>

#include <ctime>
#include <cstdio>
#include <string>
#include <vector>

#include "bench_worst_case.h"
#include "cli_common.h"
#include "gxt/gxt.h"
#include "gxt_generator.h"
#include "platform/platform.h"
#include "sidefiles/text_io.h"

namespace {

using benchworst::worstCase;

std::string scratch(const char* name) { return "/tmp/vorn-bench-translate-" + std::to_string(getpid()) + "-" + name; }

double cpuSeconds() {
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return (double)t.tv_sec + (double)t.tv_nsec * 1e-9;
}

bool isGxt(const std::string& path) { return path.size() > 4 && path.compare(path.size() - 4, 4, ".gxt") == 0; }

// The fastest of a few readings of the files, in CPU seconds.
double readingSeconds(const std::vector<std::string>& paths) {
    double best = 1e9;
    for (int run = 0; run < 3; ++run) {
        double start = cpuSeconds();
        for (const std::string& path : paths) {
            if (isGxt(path)) {
                openDocument(path.c_str());
                closeDocument();
                continue;
            }
            std::vector<uint8_t> bytes = readFileBytes(path);
            benchmark::DoNotOptimize(bytes.data());
        }
        double s = cpuSeconds() - start;
        if (s < best) best = s;
    }
    return best;
}

// Runs the step each iteration and reports its time over the reading time
// of the files (read after the first step, so that an output is there).
template <typename Step>
void measure(benchmark::State& state, const std::vector<std::string>& files, Step step) {
    double total = 0;
    for (auto _ : state) {
        double start = cpuSeconds();
        if (!step()) state.SkipWithError("the command failed");
        total += cpuSeconds() - start;
    }
    state.counters["timesReading"] = total / (double)state.iterations() / readingSeconds(files);
}

const std::string& worstExport() {
    static const std::string path = [] {
        std::string p = scratch("worst.txt");
        openDocument(worstCase().path.c_str());
        exportAllText(p.c_str());
        closeDocument();
        return p;
    }();
    return path;
}

void BM_ExportAllWorstCase(benchmark::State& state) {
    const std::string& gxt = worstCase().path;
    const std::string out = scratch("export.txt");
    measure(state, {gxt}, [&] {
        bool ok = openDocument(gxt.c_str()) == 0 && exportAllText(out.c_str()) == 0;
        closeDocument();
        return ok;
    });
    remove(out.c_str());
}
BENCHMARK(BM_ExportAllWorstCase)->Unit(benchmark::kMillisecond);

void BM_ImportAllWorstCase(benchmark::State& state) {
    const std::string& gxt = worstCase().path;
    const std::string& text = worstExport();
    const std::string out = scratch("imported.gxt");
    measure(state, {gxt, text}, [&] {
        bool ok = openDocument(gxt.c_str()) == 0 &&
                  importText(text.c_str(), nullptr, nullptr, kWholeTextImportLimit) == 0 &&
                  saveDocument(out.c_str()) == 0;
        closeDocument();
        return ok;
    });
    remove(out.c_str());
}
BENCHMARK(BM_ImportAllWorstCase)->Unit(benchmark::kMillisecond);

void BM_BuildMillionEntries(benchmark::State& state) {
    // 1,000,000 hashed keys with short texts, 65535 to a table: an image
    // just under 16 MiB.
    static const std::string source = [] {
        std::string text;
        for (uint32_t i = 0; i < 1000000; ++i) {
            if (i % 65535 == 0) text += "[T" + std::to_string(i / 65535) + "]\r\n";
            char line[32];
            snprintf(line, sizeof line, "0x%08x=t%05u\r\n", worstCaseHash(i + 1), i % 100000);
            text += line;
        }
        std::string path = scratch("million.txt");
        writeFileBytes(path, std::vector<uint8_t>(text.begin(), text.end()));
        return path;
    }();
    const std::string out = scratch("million.gxt");
    const char* layout = "@";
    measure(state, {source, out}, [&] {
        CliArgs args;
        args.positional = {source.c_str(), out.c_str()};
        args.layout = {layout};
        return cliBuild(args, TextEncoding{false, 1252}) == 0;
    });
    remove(out.c_str());
}
BENCHMARK(BM_BuildMillionEntries)->Unit(benchmark::kMillisecond);

void BM_DiffWorstCases(benchmark::State& state) {
    const std::string& a = worstCase().path;
    // The same document with every 1000th text changed.
    static const std::string b = [&] {
        std::string changed = scratch("changed.txt"), path = scratch("worst-b.gxt");
        std::string text;
        for (uint32_t i = 0; i < worstCase().entries; i += 1000) {
            char line[32];
            snprintf(line, sizeof line, "0x%08x=changed\r\n", worstCase().hashes[i]);
            text += line;
        }
        writeFileBytes(changed, std::vector<uint8_t>(text.begin(), text.end()));
        openDocument(a.c_str());
        importText(changed.c_str());
        saveDocument(path.c_str());
        closeDocument();
        remove(changed.c_str());
        return path;
    }();
    FILE* sink = fopen("/dev/null", "w");
    measure(state, {a, b}, [&] {
        CliArgs args;
        args.positional = {a.c_str(), b.c_str()};
        return cliDiff(args, sink) == 1;
    });
    fclose(sink);
}
BENCHMARK(BM_DiffWorstCases)->Unit(benchmark::kMillisecond);

}  // namespace
