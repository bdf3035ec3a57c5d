// What the side-file fuzz targets share: one generated document of each
// layout, loaded once and put back as loaded after every input, and a walk
// through every accessor that checks what the importers left.
#pragma once

#include <algorithm>

#include "fuzz_support.h"
#include "gxt/gxt.h"
#include "gxt/hash_index.h"
#include "gxt_generator.h"
#include "sidefiles/string_list.h"
#include "sidefiles/text_io.h"
#include "support/text.h"

constexpr char kLayouts[] = {'0', '1', '2', '@'};

// A document with short, easily guessed keys (A, B, AB, KEY1 ...) and a few
// hashes that are short numbers, besides random ones; every key is unique
// across the whole document, so that each key leads back to its own entry.
inline GenDocument fuzzDocument(char layout) {
    static const char* const kNames[] = {"A", "B", "C", "AB", "BA", "ABC", "KEY1", "KEY2", "MAIN", "X_1", "0X1"};
    const bool hashed = layout == '2' || layout == '@';
    GenDocument doc = randomDocument(layout, 1234, 12, true);
    std::vector<GenEntry> fixed;
    for (const char* name : kNames) fixed.push_back({name, 0, std::string("text of ") + name});
    if (hashed)
        for (uint32_t h : {1u, 2u, 0x10u, 0xABu, 0xABCDu, 0x7FFFFFFFu, 0xFFFFFFFFu}) fixed.push_back({"", h, "hashed text"});
    doc.tables[0].entries.insert(doc.tables[0].entries.begin(), fixed.begin(), fixed.end());
    std::vector<std::string> names;
    std::vector<uint32_t> hashes;
    for (GenTable& t : doc.tables)
        std::erase_if(t.entries, [&](const GenEntry& e) {
            const uint32_t h = e.hash ? e.hash : hashed ? genKeyHash(layout, e.name) : 0;
            for (size_t i = 0; i < (hashed ? hashes.size() : names.size()); ++i)
                if (hashed ? hashes[i] == h : compareText(names[i].c_str(), e.name.c_str(), (uint32_t)names[i].size() + 1, 0) == 0)
                    return true;
            hashes.push_back(h), names.push_back(e.name);
            return false;
        });
    return doc;
}

// The four documents stay loaded, each in its own heap, as loading costs far
// more than any input: closeLayout undoes what the input changed instead. A
// fingerprint of all the importers could reach, taken on loading, must come
// back after every undo, so that a change the undo misses stops the run at
// the input that made it instead of leaking into later inputs.
struct LoadedLayout {
    GxtDocument document;             // gDocument as loaded
    std::vector<GxtEntry> entries;    // its entry block as loaded
    std::vector<GxtEntrySide> sides;  // its side records as loaded
    uint64_t fingerprint;
};
inline LoadedLayout* gSlots[4];
inline LoadedLayout* gOpen;

inline GxtEntrySide& sideRecord(uint32_t n) {
    return gDocument.sideChunks[n >> kSideChunkShift][n & ((1u << kSideChunkShift) - 1)];
}

// Whether the input changed a name or a text in table t (a known name never
// changes again, so the flag tells whether it is still the loaded one).
inline bool tableChanged(uint32_t t) {
    const GxtTable& table = gDocument.tables[t];
    const GxtEntry* loaded = gOpen->entries.data() + (table.entries - gDocument.entries);
    for (uint32_t k = 0; k < table.entryCount; ++k) {
        const GxtEntry& e = table.entries[k];
        if (entryReplacementText(&e) || e.storedLength != loaded[k].storedLength ||
            entryNameKnown(&e) != entryNameKnown(&loaded[k]))
            return true;
    }
    return false;
}

// What the rows show: their entries, and their names and texts copied one
// after the other, each with its terminator.
struct Row {
    const GxtEntry* entry;
    bool nameKnown;
    const char* replacement;
    bool operator==(const Row&) const = default;
};
struct Walk {
    std::vector<Row> rows;
    std::string shown;
    bool operator==(const Walk&) const = default;
};

// The rows of the string list, or of the tables, checked on the way; unless
// everyTable is set, only the tables the input changed (the others are as
// loaded, and the first walk after loading has checked them).
inline const Walk& walk(Walk& w, bool everyTable = false) {
    w.rows.clear(), w.shown.clear();
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
            check(name || gDocument.keyScheme != '@', "a hashed row has no name or printed hash");
            if (!name) name = "";
            check(textLength(name) <= gDocument.keyNameLimit, "a name is longer than the layout allows");
            if (gDocument.keyScheme == '@' && known && name[0] && textLength(name) < gDocument.keyNameLimit)
                check(keyHash(name) == e->hash, "an entry was named by a name of another hash");
            w.rows.push_back({e, known, entryReplacementText(e)});
            w.shown.append(name, textLength(name) + 1).append(text, textLength(text) + 1);
        }
        check(!entryAtRow(count) && !rowText(count), "a row past the end answers");
    };
    if (gStringList.on) {
        check(gStringList.count > 0 && gStringList.entries, "an active string list without rows");
        check(tableCount() == 0 && selectTable(0) == 0, "the string list view offers tables");
        visit(gStringList.count);
        return w;
    }
    check(tableCount() == gDocument.tableCount, "tableCount disagrees with the tables");
    for (uint32_t t = 0; t < gDocument.tableCount; ++t) {
        if (!everyTable && !tableChanged(t)) continue;
        check(selectTable(t) == 1, "selectTable refused a table");
        visit(gDocument.tables[t].entryCount);
    }
    return w;
}

// Exports what the view shows (the string list, or each walked table with
// entries) and imports it again: nothing may change, not even a text replaced
// by an equal one.
inline void exportAndImportChangeNothing(const Walk& before, bool everyTable = false) {
    static const std::string path = scratchPath("export.txt");
    const uint32_t tables = gStringList.on ? 1 : tableCount();
    for (uint32_t t = 0; t < tables; ++t) {
        if (!gStringList.on && (gDocument.tables[t].entryCount == 0 || (!everyTable && !tableChanged(t)))) continue;
        if (!gStringList.on) selectTable(t);
        check(exportText(path.c_str()) == 0, "exportText failed");
        check(importText(path.c_str()) == 0, "importText of an export failed");
    }
    static Walk after;
    check(walk(after, everyTable) == before, "importing an export changed a row");
}

// FNV-1a over everything an import can change: the document's counts and
// open table, its tables and their orders, the entries, the key names, every
// side record that holds anything, and both texts.
inline uint64_t fingerprint() {
    uint64_t h = 0xCBF29CE484222325ull;
    auto value = [&h](uint64_t v) { h = (h ^ v) * 0x100000001B3ull; };
    auto add = [&value](const void* bytes, size_t size) {  // a word at a time: a changed word changes h
        const char* p = static_cast<const char*>(bytes);
        uint64_t v = size;
        for (; size >= 8; size -= 8, p += 8) value(v), memcpy(&v, p, 8);
        value(v), v = 0, memcpy(&v, p, size), value(v);
    };
    const GxtDocument& d = gDocument;
    for (uint64_t v : {(uint64_t)d.tableCount, (uint64_t)(int64_t)d.currentTable, (uint64_t)d.loaded,
                       (uint64_t)d.entryTotal, (uint64_t)d.sideCount, (uint64_t)d.textTotal, (uint64_t)(uintptr_t)d.image})
        value(v);
    add(d.tables, sizeof(GxtTable) * d.tableCount);
    for (uint32_t t = 0; t < d.tableCount; ++t) {
        const GxtTable& table = d.tables[t];
        if (table.rowKind == kOrderArray) add(table.rowOrder, 2 * table.entryCount);
        if (table.keyKind == kOrderArray) add(table.keyOrder, 2 * table.entryCount);
    }
    add(d.entries, sizeof(GxtEntry) * d.entryTotal);
    if (d.keyNames) add(d.keyNames, kShortNameSize * (size_t)d.entryTotal);
    for (uint32_t n = 0; n < (d.sideChunkRoom << kSideChunkShift); ++n) {
        if (!d.sideChunks[n >> kSideChunkShift]) continue;
        const GxtEntrySide& side = sideRecord(n);
        static const char kNoName[sizeof side.name] = {};
        if (!side.replacementText && memcmp(side.name, kNoName, sizeof kNoName) == 0) continue;
        value(n);
        add(side.name, sizeof side.name);
        if (side.replacementText) add(side.replacementText, textLength(side.replacementText) + 1);
    }
    if (d.rawText) add(d.rawText, (size_t)d.textTotal + 1);
    if (d.displayText) add(d.displayText, (size_t)d.textTotal + 1);
    return h;
}

// Undoes every change to the open document since it was loaded, checks that
// it is the document as loaded again and leaves gDocument empty.
inline void closeLayout() {
    LoadedLayout& slot = *gOpen;
    GxtDocument& d = gDocument;
    check(d.heap == slot.document.heap, "the open document is not the layout's");
    if (gStringList.on) check(closeStringList() == 0, "closeStringList failed");
    for (uint32_t i = 0; i < d.entryTotal; ++i) {
        check(d.entries[i].hash == slot.entries[i].hash && d.entries[i].textPos == slot.entries[i].textPos,
              "an import changed an entry's key or position");
        d.entries[i] = slot.entries[i];
    }
    // Side records handed out since loading are zeroed again; the chunks and
    // the chunk list, which may have grown, stay.
    for (uint32_t n = 0; n < d.sideCount; ++n) {
        const GxtEntrySide loaded = n < slot.sides.size() ? slot.sides[n] : GxtEntrySide{};
        if (sideRecord(n).replacementText != loaded.replacementText) documentFree(sideRecord(n).replacementText);
        sideRecord(n) = loaded;
    }
    slot.document.sideChunks = d.sideChunks;
    slot.document.sideChunkRoom = d.sideChunkRoom;
    d = slot.document;
    check(fingerprint() == slot.fingerprint, "undoing an input did not bring the document back as loaded");
    hashIndexForget();  // the key indexes point into this document
    d = GxtDocument{};
    d.currentTable = -1;
    gStringList = StringListView{};
    gOpen = nullptr;
}

// Makes the layout's document the open one, just as it was loaded; the
// first time, loads it and checks every table once.
inline void openLayout(char layout) {
    check(!gOpen, "a layout was opened before the last one was closed");
    LoadedLayout*& slot = gSlots[layout == '0' ? 0 : layout == '1' ? 1 : layout == '2' ? 2 : 3];
    if (slot) {
        gDocument = slot->document;
        gOpen = slot;
        return;
    }
    const std::string path = scratchPath(std::string("doc-") + layout + ".gxt");
    check(writeFileBytes(path, generateGxt(fuzzDocument(layout))), "cannot write a document");
    check(openDocument(path.c_str()) == 0 && gDocument.loaded, "a generated document does not load");
    // Lookups sort a table's hashes when first needed: done here, so that the
    // document an input starts from is the one it must come back to.
    for (uint32_t t = 0; t < gDocument.tableCount; ++t) check(sortKeyOrder(gDocument.tables[t]), "cannot sort the hashes");
    slot = gOpen = new LoadedLayout{gDocument, {gDocument.entries, gDocument.entries + gDocument.entryTotal}, {}, 0};
    for (uint32_t n = 0; n < gDocument.sideCount; ++n) slot->sides.push_back(sideRecord(n));
    slot->fingerprint = fingerprint();
    Walk w;
    exportAndImportChangeNothing(walk(w, true), true);
    closeLayout();
    openLayout(layout);
}

inline const std::string& inputPath(const uint8_t* data, size_t size) {
    static const std::string path = scratchPath("input");
    check(writeFileBytes(path, std::vector<uint8_t>(data, data + size)), "cannot write the input");
    return path;
}
