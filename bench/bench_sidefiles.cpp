// The side-file importers at scale:
//  - an ID list of 1,000,000 names offered to a 524-table '@' document
//    (a name that matches nothing used to cost one binary search per table);
//  - the text export of a 65535-entry table imported again, into a fresh
//    load (texts equal, names found) and with every text changed.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <map>
#include <random>
#include <set>
#include <string>
#include <unistd.h>

#include "gxt/gxt.h"
#include "gxt_generator.h"
#include "sidefiles/id_list.h"
#include "sidefiles/text_io.h"

namespace {

std::string scratch(const char* name) {
    return "/tmp/vorn-bench-sidefiles-" + std::to_string(getpid()) + "-" + name;
}

// Files that live as long as the benchmark run.
struct ScratchFiles {
    std::vector<std::string> paths;
    ~ScratchFiles() {
        for (const std::string& p : paths) remove(p.c_str());
    }
    const std::string& add(const std::string& path) { return paths.emplace_back(path); }
};
ScratchFiles gFiles;

// ---- ID list ---------------------------------------------------------------

constexpr uint32_t kIdTables = 524;
constexpr uint32_t kIdEntriesPerTable = 150;
constexpr uint32_t kIdNames = 1000000;

struct IdListCase {
    std::string gxt;
    std::string ids;
};

const IdListCase& idListCase() {
    static IdListCase c = [] {
        IdListCase k;
        GenDocument doc;
        doc.variant = '@';
        std::vector<std::string> names;
        std::set<uint32_t> hashes;
        uint32_t serial = 0;
        for (uint32_t t = 0; t < kIdTables; ++t) {
            GenTable table;
            table.name = "T" + std::to_string(t);
            while (table.entries.size() < kIdEntriesPerTable) {
                std::string name = "KEY" + std::to_string(serial++);
                if (!hashes.insert(genKeyHash('@', name)).second) continue;  // one key per hash
                table.entries.push_back({name, 0, "text of " + name});
                names.push_back(name);
            }
            doc.tables.push_back(table);
        }
        k.gxt = gFiles.add(scratch("ids.gxt"));
        writeFileBytes(k.gxt, generateGxt(doc));
        // Every key once, the rest names that match nothing, shuffled.
        for (uint32_t i = (uint32_t)names.size(); i < kIdNames; ++i) names.push_back("N" + std::to_string(i));
        std::shuffle(names.begin(), names.end(), std::mt19937(1));
        std::string text;
        for (const std::string& n : names) text += n + "\r\n";
        k.ids = gFiles.add(scratch("names.ids"));
        writeFileBytes(k.ids, std::vector<uint8_t>(text.begin(), text.end()));
        return k;
    }();
    return c;
}

void BM_ImportIdList1MNames524Tables(benchmark::State& state) {
    const IdListCase& c = idListCase();
    for (auto _ : state) {
        state.PauseTiming();
        int opened = openDocument(c.gxt.c_str());
        state.ResumeTiming();
        if (opened != 0 || importIds(c.ids.c_str()) != 0) {
            state.SkipWithError("cannot open the document or import the list");
            break;
        }
    }
    uint32_t named = 0;
    for (uint32_t t = 0; t < gDocument.tableCount; ++t)
        for (uint32_t e = 0; e < gDocument.tables[t].entryCount; ++e) named += entryNameKnown(&gDocument.tables[t].entries[e]);
    if (named != kIdTables * kIdEntriesPerTable) state.SkipWithError("not every key was named");
    closeDocument();
    state.SetItemsProcessed(state.iterations() * kIdNames);
}
BENCHMARK(BM_ImportIdList1MNames524Tables)->Unit(benchmark::kMillisecond)->Iterations(5);

// ---- Text ------------------------------------------------------------------

struct TextCase {
    std::string gxt;
    std::string unchanged;  // the table's export
    std::string edited;     // the same lines, every text changed
};

// One table of 65535 entries in a document of the given layout; every
// second entry has a known name, so the export mixes name and hash keys.
const TextCase& textCase(char variant) {
    static std::map<char, TextCase> cases;
    auto found = cases.find(variant);
    if (found != cases.end()) return found->second;
    TextCase k;
    GenDocument doc;
    doc.variant = variant;
    GenTable table;
    table.name = "BIG";
    std::set<uint32_t> hashes;
    for (uint32_t serial = 0; table.entries.size() < 65535; ++serial) {
        std::string name = "K" + std::to_string(serial);
        // One key per hash in the hashed layouts.
        if (variant == '2' || variant == '@') {
            if (!hashes.insert(genKeyHash(variant, name)).second) continue;
        }
        table.entries.push_back({name, 0, "The text of entry " + std::to_string(serial) + ", ~r~in red~w~."});
    }
    doc.tables.push_back(table);
    const std::string tag(1, variant == '@' ? 'x' : variant);
    k.gxt = gFiles.add(scratch(("text-" + tag + ".gxt").c_str()));
    writeFileBytes(k.gxt, generateGxt(doc));
    openDocument(k.gxt.c_str());
    selectTable(0);
    for (uint32_t e = 0; e < 65535; e += 2) setEntryName(&gDocument.tables[0].entries[e], table.entries[e].name.c_str());
    k.unchanged = gFiles.add(scratch(("text-" + tag + ".txt").c_str()));
    exportText(k.unchanged.c_str());
    closeDocument();
    std::vector<uint8_t> lines = readFileBytes(k.unchanged);
    std::string edited;
    for (size_t i = 0; i < lines.size(); ++i) {
        if (lines[i] == '\r') edited += " (edited)";
        edited += (char)lines[i];
    }
    k.edited = gFiles.add(scratch(("text-" + tag + "-edited.txt").c_str()));
    writeFileBytes(k.edited, std::vector<uint8_t>(edited.begin(), edited.end()));
    return cases.emplace(variant, k).first->second;
}

void importTextBench(benchmark::State& state, char variant, bool edited) {
    const TextCase& c = textCase(variant);
    const std::string& path = edited ? c.edited : c.unchanged;
    for (auto _ : state) {
        state.PauseTiming();
        int opened = openDocument(c.gxt.c_str());
        state.ResumeTiming();
        if (opened != 0 || importText(path.c_str()) != 0) {
            state.SkipWithError("cannot open the document or import the text");
            break;
        }
    }
    uint32_t replaced = 0;
    for (uint32_t e = 0; e < gDocument.tables[0].entryCount; ++e)
        replaced += entryReplacementText(&gDocument.tables[0].entries[e]) != nullptr;
    if (replaced != (edited ? 65535u : 0u)) state.SkipWithError("the import replaced the wrong texts");
    closeDocument();
    state.SetItemsProcessed(state.iterations() * 65535);
}

void BM_ImportTextExport65535Entries(benchmark::State& state) {
    importTextBench(state, (char)state.range(0), state.range(1) != 0);
}
BENCHMARK(BM_ImportTextExport65535Entries)
    ->ArgNames({"layout", "edited"})
    ->Args({'@', 0})
    ->Args({'@', 1})
    ->Args({'2', 0})
    ->Args({'2', 1})
    ->Args({'0', 0})
    ->Args({'0', 1})
    ->Args({'1', 1})
    ->Unit(benchmark::kMillisecond)
    ->Iterations(10);

}  // namespace
