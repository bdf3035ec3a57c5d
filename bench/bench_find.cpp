// Find over the largest table a document can hold: 65535 rows of game-like
// text, searched from the first row to the last without a hit, in each mode.
#include <benchmark/benchmark.h>

#include <string>
#include <unistd.h>

#include "dialogs/find_core.h"
#include "gxt/gxt.h"
#include "gxt_generator.h"

namespace {

constexpr uint32_t kRows = 65535;

// Texts of 4 to 31 words with colour and line tokens, about 100 characters
// on average, made the same way on every run.
std::string gameText(uint32_t seed) {
    static const char* const words[] = {"the",  "mission", "Car",    "you",   "~r~",  "~n~",  "Go",
                                        "to",   "meet",    "Sweet",  "at",    "~y~",  "house", "and",
                                        "get",  "a",       "weapon", "Find",  "~w~",  "DRIVE", "back",
                                        "with", "money",   "before", "police", "lose", "them", "wanted"};
    constexpr uint32_t wordCount = sizeof words / sizeof words[0];
    uint32_t x = seed * 2654435761u + 12345u;
    auto next = [&x] {
        x ^= x << 13;
        x ^= x >> 17;
        x ^= x << 5;
        return x;
    };
    std::string text;
    const uint32_t n = 4 + next() % 28;
    for (uint32_t i = 0; i < n; ++i) {
        if (i) text += ' ';
        text += words[next() % wordCount];
    }
    return text;
}

// Opens the document once per benchmark and selects its big table.
struct BigTable {
    BigTable() {
        static const std::string path = [] {
            GenDocument doc;
            doc.variant = '@';
            GenTable table;
            table.name = "BIG";
            for (uint32_t i = 0; i < kRows; ++i)
                table.entries.push_back({"NAME_" + std::to_string(i), 0, gameText(i)});
            doc.tables.push_back(table);
            std::string p = "/tmp/vorn-bench-find-" + std::to_string(getpid()) + ".gxt";
            writeFileBytes(p, generateGxt(doc));
            return p;
        }();
        ok = openDocument(path.c_str()) == 0 && selectTable(0) && rowCount() == kRows;
        // Every key gets its name, so that the names can be searched too.
        for (uint32_t row = 0; ok && row < kRows; ++row) {
            std::string name = "NAME_" + std::to_string(row);
            setRowName(row, name.c_str());
        }
    }
    ~BigTable() { closeDocument(); }
    bool ok = false;
};

void findWithoutHit(benchmark::State& state, const char* pattern, int mode, int matchCase) {
    BigTable table;
    if (!table.ok) {
        state.SkipWithError("the document did not open");
        return;
    }
    for (auto _ : state) {
        int32_t row = findRow(pattern, mode, matchCase, 0);
        if (row != kNotFound) state.SkipWithError("the pattern was found");
        benchmark::DoNotOptimize(row);
    }
    state.counters["rows"] = kRows;
}

// A pattern whose first letter is everywhere ('e'), so that every start is
// checked further; with and without case folding.
void BM_FindStringsFrequentStart(benchmark::State& state) {
    findWithoutHit(state, "every wanted", FIND_STRINGS, (int)state.range(0));
}
BENCHMARK(BM_FindStringsFrequentStart)->Arg(0)->Arg(1)->ArgNames({"matchCase"})->Unit(benchmark::kMillisecond);

void BM_FindStringsRareStart(benchmark::State& state) {
    findWithoutHit(state, "xyzzy", FIND_STRINGS, (int)state.range(0));
}
BENCHMARK(BM_FindStringsRareStart)->Arg(0)->Arg(1)->ArgNames({"matchCase"})->Unit(benchmark::kMillisecond);

void BM_FindIds(benchmark::State& state) { findWithoutHit(state, "name_x", FIND_IDS, 0); }
BENCHMARK(BM_FindIds)->Unit(benchmark::kMillisecond);

void BM_FindHashes(benchmark::State& state) { findWithoutHit(state, "NO_SUCH_KEY", FIND_HASHES, 0); }
BENCHMARK(BM_FindHashes)->Unit(benchmark::kMillisecond);

}  // namespace
