// What the side-file fuzz targets share: one generated document of each
// layout (written once, loaded afresh for every input), the scratch files,
// and a walk through every accessor that checks what the importers left.
// Header only: each fuzz_*.cpp is an executable of its own.
#pragma once

#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "gxt/gxt.h"
#include "gxt_generator.h"
#include "sidefiles/string_list.h"
#include "sidefiles/text_io.h"
#include "support/text.h"

namespace sidefuzz {

inline void check(bool condition, const char* what) {
    if (condition) return;
    fprintf(stderr, "side-file fuzz target: %s\n", what);
    abort();
}

constexpr char kLayouts[] = {'0', '1', '2', '@'};

// Scratch files live in memory where possible, and are removed when the
// fuzzer exits.
inline std::vector<std::string>& scratchFiles() {
    static std::vector<std::string> files;
    return files;
}

inline void removeScratchFiles() {
    for (const std::string& f : scratchFiles()) unlink(f.c_str());
}

inline std::string scratchPath(const std::string& name) {
    static const std::string base = [] {
        scratchFiles();  // made first, so that it outlives the exit handler
        atexit(removeScratchFiles);
        return std::string(access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp") + "/vorn-fuzz-sidefiles-" +
               std::to_string(getpid()) + "-";
    }();
    std::string path = base + name;
    for (const std::string& f : scratchFiles())
        if (f == path) return path;
    scratchFiles().push_back(path);
    return path;
}

// A document with short, easily guessed keys (A, B, AB, KEY1 ...) and a few
// hashes that are short numbers, besides random ones; every key is unique
// across the whole document, so that each key leads back to its own entry.
inline GenDocument fuzzDocument(char layout) {
    static const char* const kNames[] = {"A", "B", "C", "AB", "BA", "ABC", "KEY1", "KEY2", "MAIN", "X_1", "0X1"};
    static const uint32_t kHashes[] = {1, 2, 0x10, 0xAB, 0xABCD, 0x7FFFFFFF, 0xFFFFFFFF};
    const bool hashed = layout == '2' || layout == '@';
    GenDocument doc = randomDocument(layout, 1234, 12, true);
    std::vector<std::string> seenNames;
    std::vector<uint32_t> seenHashes;
    auto unique = [&](const GenEntry& e) {
        if (hashed) {
            uint32_t h = e.hash ? e.hash : genKeyHash(layout, e.name);
            for (uint32_t s : seenHashes)
                if (s == h) return false;
            seenHashes.push_back(h);
        } else {
            for (const std::string& s : seenNames)
                if (compareText(s.c_str(), e.name.c_str(), (uint32_t)s.size() + 1, 0) == 0) return false;
            seenNames.push_back(e.name);
        }
        return true;
    };
    std::vector<GenEntry> fixed;
    for (const char* name : kNames) fixed.push_back({name, 0, std::string("text of ") + name});
    if (hashed)
        for (uint32_t h : kHashes) fixed.push_back({"", h, "hashed text"});
    doc.tables[0].entries.insert(doc.tables[0].entries.begin(), fixed.begin(), fixed.end());
    for (GenTable& t : doc.tables) {
        std::vector<GenEntry> kept;
        for (const GenEntry& e : t.entries)
            if (unique(e)) kept.push_back(e);
        t.entries = kept;
    }
    return doc;
}

// Loads the layout's document afresh.
inline void openLayout(char layout) {
    static std::string paths[4];
    const int i = layout == '0' ? 0 : layout == '1' ? 1 : layout == '2' ? 2 : 3;
    if (paths[i].empty()) {
        paths[i] = scratchPath(std::string("doc-") + (char)('a' + i) + ".gxt");
        check(writeFileBytes(paths[i], generateGxt(fuzzDocument(layout))), "cannot write a document");
    }
    check(openDocument(paths[i].c_str()) == 0 && gDocument.loaded, "a generated document does not load");
}

inline const std::string& inputPath(const uint8_t* data, size_t size) {
    static const std::string path = scratchPath("input");
    check(writeFileBytes(path, std::vector<uint8_t>(data, data + size)), "cannot write the input");
    return path;
}

// What an entry shows: its name or placeholder, and its text.
struct Shown {
    const GxtEntry* entry;
    std::string name;
    uint32_t nameKnown;
    const char* replacement;
    std::string text;
};

// Every row of every table (or of the string list), checked on the way.
inline std::vector<Shown> walk() {
    std::vector<Shown> rows;
    auto visit = [&](uint32_t count) {
        check(rowCount() == count, "rowCount disagrees with the rows");
        for (uint32_t r = 0; r < count; ++r) {
            GxtEntry* e = entryAtRow(r);
            const char* text = rowText(r);
            check(e && text && text == entryText(e), "a row has no entry or no text");
            check(e->storedLength == (int32_t)textLength(text) + 1, "storedLength is not the text's length + 1");
            check((rowKeyName(r) != nullptr) != (rowHashName(r) != nullptr), "a row has both or neither name");
            check(textLength(e->name) <= gDocument.keyNameLimit, "a name is longer than the layout allows");
            if (gDocument.keyScheme == '@' && e->nameKnown && e->name[0] && textLength(e->name) < gDocument.keyNameLimit)
                check(keyHash(e->name) == e->hash, "an entry was named by a name of another hash");
            rows.push_back({e, e->name, e->nameKnown, e->replacementText, text});
        }
        check(entryAtRow(count) == nullptr && rowText(count) == nullptr, "a row past the end answers");
    };
    if (gStringList.on) {
        check(gStringList.count > 0 && gStringList.entries, "an active string list without rows");
        check(tableCount() == 0 && selectTable(0) == 0, "the string list view offers tables");
        visit(gStringList.count);
        return rows;
    }
    for (uint32_t t = 0; t < tableCount(); ++t) {
        check(selectTable(t) == 1, "selectTable refused a table");
        visit(gDocument.tables[t].entryCount);
    }
    return rows;
}

// Exports what the view shows (the string list, or each table with
// entries) and imports it again: nothing may change.
inline void exportAndImportChangeNothing() {
    const std::string path = scratchPath("export.txt");
    const std::vector<Shown> before = walk();
    const uint32_t tables = gStringList.on ? 1 : tableCount();
    for (uint32_t t = 0; t < tables; ++t) {
        if (!gStringList.on) {
            if (gDocument.tables[t].entryCount == 0) continue;
            selectTable(t);
        }
        check(exportText(path.c_str()) == 0, "exportText failed");
        check(importText(path.c_str()) == 0, "importText of an export failed");
    }
    const std::vector<Shown> after = walk();
    check(after.size() == before.size(), "the rows changed on importing an export");
    for (size_t i = 0; i < before.size(); ++i) {
        check(after[i].entry == before[i].entry && after[i].name == before[i].name &&
                  after[i].nameKnown == before[i].nameKnown && after[i].text == before[i].text,
              "importing an export changed a row");
        check(after[i].replacement == before[i].replacement, "importing an export replaced an equal text");
    }
    fileRemove(path.c_str());
}

}  // namespace sidefuzz
