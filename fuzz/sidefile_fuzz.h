// What the side-file fuzz targets share: one generated document of each
// layout (loaded once, put back as loaded after every input), the scratch
// files, and a walk through every accessor that checks what the importers
// left.
// Header only: each fuzz_*.cpp is an executable of its own.
#pragma once

#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "gxt/gxt.h"
#include "gxt/hash_index.h"
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

// The four generated documents stay loaded for the whole run, each in its
// own heap; gDocument holds the one in use (openLayout) and the others wait
// in their slots. Loading the larger layouts (hundreds of tables) costs far
// more than any input, so instead of loading afresh for every input,
// closeLayout undoes what the input changed: the entry records (an import
// may set names and texts), the side records handed out since loading, the
// string list view and the document's own fields. A fingerprint of everything the importers could
// reach, taken when the document was loaded, must come back after every
// undo, so that a change the undo misses stops the run at the input that
// made it instead of leaking into later inputs.
struct LoadedLayout {
    GxtDocument document;             // gDocument as loaded
    std::vector<GxtEntry> entries;    // the document's entry block as loaded
    std::vector<GxtEntrySide> sides;  // its side records as loaded
    uint64_t fingerprint = 0;
    bool loaded = false;
};

// The open document's side record number n (below sideCount).
inline GxtEntrySide& sideRecord(uint32_t n) {
    return gDocument.sideChunks[n >> kSideChunkShift][n & ((1u << kSideChunkShift) - 1)];
}

inline LoadedLayout& layoutSlot(char layout) {
    static LoadedLayout slots[4];
    return slots[layout == '0' ? 0 : layout == '1' ? 1 : layout == '2' ? 2 : 3];
}

inline char& currentLayout() {
    static char layout = 0;
    return layout;
}

// Whether any entry of the open document's table t differs from the loaded
// one in what the importers set: its name or its text.
// A known name never changes again (setEntryName refuses it), so the flag
// tells whether the name is still the loaded one.
inline bool tableChanged(uint32_t t) {
    const GxtTable& table = gDocument.tables[t];
    const GxtEntry* loaded = layoutSlot(currentLayout()).entries.data() + (table.entries - gDocument.entries);
    for (uint32_t k = 0; k < table.entryCount; ++k) {
        const GxtEntry& e = table.entries[k];
        if (entryReplacementText(&e) || e.storedLength != loaded[k].storedLength ||
            entryNameKnown(&e) != entryNameKnown(&loaded[k]))
            return true;
    }
    return false;
}

inline bool documentChanged() {
    for (uint32_t t = 0; t < gDocument.tableCount; ++t)
        if (tableChanged(t)) return true;
    return false;
}

// What a row shows: its entry, its name or placeholder and its text. The
// names and texts are copied into one buffer of the walk; a Walk that is
// walked into again keeps its buffers, so that a walk allocates nothing once
// they are large enough.
struct Shown {
    const GxtEntry* entry;
    bool nameKnown;
    const char* replacement;
    std::string_view name;
    std::string_view text;
};

struct Walk {
    std::vector<Shown> rows;
    std::vector<char> bytes;  // the names and texts the rows show
    std::vector<uint32_t> at;  // where each row's name and text start in bytes
};

// The rows of the string list, or of the tables, checked on the way, into w.
// By default only the tables in which the input changed a name or a text are
// walked: every other table is just as loaded (closeLayout checks that), and
// the first walk after loading, of every table, has checked them.
inline const Walk& walk(Walk& w, bool everyTable = false) {
    w.rows.clear();
    w.bytes.clear();
    w.at.clear();
    auto keep = [&w](const char* text) {
        w.at.push_back((uint32_t)w.bytes.size());
        w.bytes.insert(w.bytes.end(), text, text + textLength(text));
    };
    auto visit = [&](uint32_t count) {
        check(rowCount() == count, "rowCount disagrees with the rows");
        for (uint32_t r = 0; r < count; ++r) {
            GxtEntry* e = entryAtRow(r);
            const char* text = rowText(r);
            check(e && text && text == entryText(e), "a row has no entry or no text");
            check(e->storedLength == (int32_t)textLength(text) + 1, "storedLength is not the text's length + 1");
            check((rowKeyName(r) != nullptr) != (rowHashName(r) != nullptr), "a row has both or neither name");
            const bool known = entryNameKnown(e);
            const char* name = known ? entryName(e) : entryHashName(e);
            check(name != nullptr || gDocument.keyScheme != '@', "a hashed row has no name or printed hash");
            if (!name) name = "";
            check(textLength(name) <= gDocument.keyNameLimit, "a name is longer than the layout allows");
            if (gDocument.keyScheme == '@' && known && name[0] && textLength(name) < gDocument.keyNameLimit)
                check(keyHash(name) == e->hash, "an entry was named by a name of another hash");
            w.rows.push_back({e, known, entryReplacementText(e), {}, {}});
            keep(name);
            keep(text);
        }
        check(entryAtRow(count) == nullptr && rowText(count) == nullptr, "a row past the end answers");
    };
    if (gStringList.on) {
        check(gStringList.count > 0 && gStringList.entries, "an active string list without rows");
        check(tableCount() == 0 && selectTable(0) == 0, "the string list view offers tables");
        visit(gStringList.count);
    } else {
        const uint32_t tables = tableCount();
        check(tables == gDocument.tableCount, "tableCount disagrees with the tables");
        for (uint32_t t = 0; t < tables; ++t) {
            if (!everyTable && !tableChanged(t)) continue;
            check(selectTable(t) == 1, "selectTable refused a table");
            visit(gDocument.tables[t].entryCount);
        }
    }
    const std::vector<uint32_t>& at = w.at;
    w.at.push_back((uint32_t)w.bytes.size());
    for (size_t i = 0; i < w.rows.size(); ++i) {
        w.rows[i].name = std::string_view(w.bytes.data() + at[2 * i], at[2 * i + 1] - at[2 * i]);
        w.rows[i].text = std::string_view(w.bytes.data() + at[2 * i + 1], at[2 * i + 2] - at[2 * i + 1]);
    }
    return w;
}

// Exports what the view shows (the string list, or each table with entries)
// and imports it again: nothing may change. Walked is what walk(everyTable)
// gave for the view; as there, only tables in which the input changed a name
// or a text go out unless everyTable is set.
inline void exportAndImportChangeNothing(const Walk& walked, bool everyTable = false) {
    const std::vector<Shown>& before = walked.rows;
    static const std::string path = scratchPath("export.txt");
    const uint32_t tables = gStringList.on ? 1 : tableCount();
    for (uint32_t t = 0; t < tables; ++t) {
        if (!gStringList.on) {
            if (gDocument.tables[t].entryCount == 0 || (!everyTable && !tableChanged(t))) continue;
            selectTable(t);
        }
        check(exportText(path.c_str()) == 0, "exportText failed");
        check(importText(path.c_str()) == 0, "importText of an export failed");
    }
    static Walk again;
    const std::vector<Shown>& after = walk(again, everyTable).rows;
    check(after.size() == before.size(), "the rows changed on importing an export");
    for (size_t i = 0; i < before.size(); ++i) {
        check(after[i].entry == before[i].entry && after[i].name == before[i].name &&
                  after[i].nameKnown == before[i].nameKnown && after[i].text == before[i].text,
              "importing an export changed a row");
        check(after[i].replacement == before[i].replacement, "importing an export replaced an equal text");
    }
}

// A hash of the document's tables, entries, orders and texts, and of its
// fields that are not addresses: FNV-1a taken a 64-bit word at a time, in
// which a change to any one word always changes the result.
inline uint64_t fingerprint() {
    uint64_t h = 0xCBF29CE484222325ull;
    auto value = [&h](uint64_t v) { h = (h ^ v) * 0x100000001B3ull; };
    auto add = [&value](const void* bytes, size_t size) {
        const char* p = static_cast<const char*>(bytes);
        for (; size >= 8; size -= 8, p += 8) {
            uint64_t v;
            memcpy(&v, p, 8);
            value(v);
        }
        uint64_t rest = 0;
        memcpy(&rest, p, size);
        value(rest ^ ((uint64_t)size << 56));
    };
    const GxtDocument& d = gDocument;
    for (uint64_t v : {(uint64_t)d.formatVariant, (uint64_t)d.keyScheme, (uint64_t)d.keyNameLimit,
                       (uint64_t)d.charWidth, (uint64_t)d.headerSize, (uint64_t)d.keyRecordSize,
                       (uint64_t)d.hashedKeys, (uint64_t)d.tableCount, (uint64_t)(int64_t)d.currentTable,
                       (uint64_t)d.loaded, (uint64_t)d.textTotal, (uint64_t)d.imageSize, (uint64_t)(d.image != nullptr),
                       (uint64_t)(d.worker != nullptr), (uint64_t)d.entryTotal, (uint64_t)d.sideCount,
                       (uint64_t)(d.rawText == d.displayText), (uint64_t)gStringList.on, (uint64_t)gStringList.count})
        value(v);
    for (uint32_t t = 0; t < d.tableCount; ++t) {
        const GxtTable& table = d.tables[t];
        add(table.name, sizeof table.name);
        for (uint64_t v : {(uint64_t)table.entryCount, (uint64_t)(table.entries - d.entries), (uint64_t)table.rowKind,
                           (uint64_t)table.keyKind})
            value(v);
        for (uint32_t k = 0; k < table.entryCount; ++k) {
            if (table.rowKind == kOrderArray) value(table.rowOrder[k]);
            if (table.keyKind == kOrderArray) value(table.keyOrder[k]);
        }
    }
    for (uint32_t i = 0; i < d.entryTotal; ++i) {
        const GxtEntry& e = d.entries[i];
        for (uint64_t v : {(uint64_t)e.hash, (uint64_t)(uint32_t)e.textPos, (uint64_t)(uint32_t)e.storedLength,
                           (uint64_t)e.side})
            value(v);
    }
    if (d.keyNames) add(d.keyNames, kShortNameSize * (size_t)d.entryTotal);
    for (uint32_t n = 0; n < d.sideCount; ++n) {
        const GxtEntrySide& side = sideRecord(n);
        add(side.name, sizeof side.name);
        value(side.replacementText != nullptr);
        if (side.replacementText) add(side.replacementText, textLength(side.replacementText));
    }
    // The records past sideCount are the next ones handed out, which must
    // start empty: one that still holds a name or a text counts, while empty
    // ones (and so chunks taken since loading) do not.
    for (uint32_t c = 0; c < d.sideChunkRoom; ++c) {
        if (!d.sideChunks[c]) continue;
        for (uint32_t i = 0; i < (1u << kSideChunkShift); ++i) {
            const uint32_t n = (c << kSideChunkShift) | i;
            const GxtEntrySide& side = d.sideChunks[c][i];
            if (n < d.sideCount) continue;
            bool empty = side.replacementText == nullptr;
            for (char ch : side.name) empty = empty && ch == 0;
            if (empty) continue;
            value(n);
            value((uint64_t)(uintptr_t)side.replacementText);
            add(side.name, sizeof side.name);
        }
    }
    if (d.rawText) add(d.rawText, (size_t)d.textTotal + 1);
    if (d.displayText) add(d.displayText, (size_t)d.textTotal + 1);
    return h;
}

// Undoes every change to the open document since it was loaded and checks
// that it is the document as loaded again; the document then waits in its
// slot and gDocument holds none.
inline void putBack(LoadedLayout& slot) {
    check(gDocument.heap == slot.document.heap && gDocument.tables == slot.document.tables,
          "the open document is not the layout's");
    if (gStringList.on) check(closeStringList() == 0, "closeStringList failed");
    GxtDocument& d = gDocument;
    for (uint32_t i = 0; i < d.entryTotal; ++i) {
        const GxtEntry& loaded = slot.entries[i];
        check(d.entries[i].hash == loaded.hash && d.entries[i].textPos == loaded.textPos,
              "an import changed an entry's key or position");
        d.entries[i] = loaded;
    }
    // Side records handed out since loading go back to the zeroed state a
    // new one starts from; those of the loaded document get their contents
    // back. The chunks stay, and with them a chunk list that may have grown.
    for (uint32_t n = 0; n < d.sideCount; ++n) {
        GxtEntrySide& side = sideRecord(n);
        const GxtEntrySide loaded = n < slot.sides.size() ? slot.sides[n] : GxtEntrySide{};
        if (side.replacementText != loaded.replacementText) documentFree(side.replacementText);
        side = loaded;
    }
    slot.document.sideChunks = d.sideChunks;
    slot.document.sideChunkRoom = d.sideChunkRoom;
    gDocument = slot.document;
    check(fingerprint() == slot.fingerprint, "undoing an input did not bring the document back as loaded");
    // The key indexes point into this document: forget them (the next
    // lookup in whichever document is open builds them again).
    hashIndexForget();
    gDocument = GxtDocument{};
    gDocument.currentTable = -1;
    gStringList = StringListView{};
}

// Loads the layout's generated document, checks every table of it once,
// and keeps it in its slot.
inline void loadLayout(char layout, LoadedLayout& slot) {
    const std::string path = scratchPath(std::string("doc-") + layout + ".gxt");
    check(writeFileBytes(path, generateGxt(fuzzDocument(layout))), "cannot write a document");
    check(openDocument(path.c_str()) == 0 && gDocument.loaded, "a generated document does not load");
    fileRemove(path.c_str());
    slot.document = gDocument;
    slot.entries.assign(gDocument.entries, gDocument.entries + gDocument.entryTotal);
    slot.sides.clear();
    for (uint32_t n = 0; n < gDocument.sideCount; ++n)
        slot.sides.push_back(sideRecord(n));
    slot.fingerprint = fingerprint();
    slot.loaded = true;
    currentLayout() = layout;
    Walk w;
    exportAndImportChangeNothing(walk(w, true), true);
    putBack(slot);
    currentLayout() = 0;
}

// Makes the layout's document the open one, just as it was loaded.
inline void openLayout(char layout) {
    check(currentLayout() == 0, "a layout was opened before the last one was closed");
    LoadedLayout& slot = layoutSlot(layout);
    if (!slot.loaded) {
        gDocument = GxtDocument{};
        gDocument.currentTable = -1;
        loadLayout(layout, slot);
    }
    gDocument = slot.document;
    currentLayout() = layout;
}

// Puts the open layout's document back as it was loaded.
inline void closeLayout() {
    check(currentLayout() != 0, "no layout is open");
    putBack(layoutSlot(currentLayout()));
    currentLayout() = 0;
}

inline const std::string& inputPath(const uint8_t* data, size_t size) {
    static const std::string path = scratchPath("input");
    check(writeFileBytes(path, std::vector<uint8_t>(data, data + size)), "cannot write the input");
    return path;
}

}  // namespace sidefuzz
