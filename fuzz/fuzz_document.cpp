// Fuzz target for the GXT document: arbitrary bytes go through loading and
// indexing, every accessor, a few edits, building the image, saving it and
// loading the saved file again. Besides what ASan and UBSan catch, the
// target aborts when
//   - an accessor answers for a row or table that does not exist,
//   - an entry cannot be found again by its own name or hash,
//   - a document that loaded cannot be saved, or its saved file does not
//     load again with the same tables and keys, row for row, and the edited
//     texts,
//   - a saved file, loaded and built again, does not come back byte for
//     byte (every saved file is canonical), or shows other texts than the
//     document it was saved from.
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "gxt/gxt.h"
#include "gxt_generator.h"
#include "platform/platform.h"

namespace {

void check(bool condition, const char* what) {
    if (condition) return;
    fprintf(stderr, "fuzz_document: %s\n", what);
    abort();
}

// The scratch files live in memory where possible: saving syncs the file
// to disk, which would otherwise make every input wait for the disk.
const std::string& scratchPath(const char* suffix) {
    static const std::string base = std::string(access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp") +
                                    "/vorn-fuzz-" + std::to_string(getpid());
    static const std::string in = base + "-in.gxt";
    static const std::string out = base + "-out.gxt";
    return strcmp(suffix, "in") == 0 ? in : out;
}

// One row as the entry list shows it.
struct Row {
    uint32_t hash;
    std::string key;   // the name for named keys, empty for hashed ones
    std::string text;
    bool edited;       // the text was set by edit()
};

struct Snapshot {
    std::vector<std::string> tableNames;
    std::vector<std::vector<Row>> rows;
};

// Reads every table and row through the accessors, checking what each
// one answers on the way.
Snapshot walk(bool hashed) {
    Snapshot s;
    const uint32_t tables = tableCount();
    for (uint32_t t = 0; t < tables; ++t) {
        // Callers hand in a zeroed buffer of more than 8 bytes; the name
        // takes at most 8 of them.
        char name[16];
        memset(name, 0, 9);
        memset(name + 9, 0x55, sizeof name - 9);
        tableName(t, name);
        check(name[8] == 0 && name[9] == 0x55 && name[15] == 0x55, "tableName wrote past 8 bytes");
        check(selectTable(t) == 1, "selectTable refused an existing table");
        s.tableNames.push_back(name);
        std::vector<Row> rows;
        const uint32_t count = rowCount();
        for (uint32_t r = 0; r < count; ++r) {
            const char* text = rowText(r);
            const char* loaded = rowLoadedText(r);
            check(text && loaded, "an existing row has no text");
            const char* keyName = rowKeyName(r);
            const char* hashName = rowHashName(r);
            check((keyName == nullptr) != (hashName == nullptr), "a row has both or neither of a name and a hash name");
            GxtEntry* entry = entryAtRow(r);
            check(entry && entryText(entry) == text, "entryAtRow and rowText disagree");
            Row row;
            row.hash = rowHash(r);
            row.text = text;
            row.edited = entryReplacementText(entry) != nullptr;
            if (hashed) {
                // Names given to hashed keys are not written to the file, so
                // only the hash is compared after saving. A bounded number
                // of lookups per table keeps each input fast.
                if (r < 8 && row.hash != 0) {
                    GxtEntry* found = findEntry(nullptr, row.hash);
                    check(found && found->hash == row.hash, "findEntry misses a hash that is in the file");
                    // By name: the name's hash is looked up, found or not.
                    findEntry(keyName ? keyName : hashName, 0);
                }
            } else {
                check(keyName != nullptr && row.hash == 0, "a named entry has no name or has a hash");
                row.key = keyName;
                if (r < 8) check(findEntry(keyName, 0) != nullptr, "findEntry misses a name that is in the file");
            }
            rows.push_back(row);
        }
        check(rowText(count) == nullptr && rowKeyName(count) == nullptr && rowHashName(count) == nullptr &&
                  rowHash(count) == 0 && entryAtRow(count) == nullptr,
              "an accessor answers for a row past the end");
        s.rows.push_back(rows);
    }
    check(selectTable(tables) == 0, "selectTable accepted a table past the end");
    return s;
}

// A few edits: new texts with mark-up, and names for hashed keys (which do
// not survive saving, since the file stores only the hash).
void edit(bool hashed) {
    static const char* const texts[] = {"~r~Edited~n~text", "", "Press ~k~~PED_FIREWEAPON~ ~1~"};
    const uint32_t tables = tableCount();
    uint32_t edits = 0;
    for (uint32_t t = 0; t < tables && edits < 6; ++t) {
        selectTable(t);
        const uint32_t count = rowCount();
        for (uint32_t r = 0; r < count && r < 2; ++r, ++edits) {
            const char* text = texts[edits % 3];
            check(setRowText(r, text, (uint32_t)strlen(text)) == 1, "setRowText refused an existing row");
            check(strcmp(rowText(r), text) == 0, "rowText does not show the text just set");
            if (hashed) {
                check(setRowName(r, "EDITED_NAME") == 1, "setRowName refused an unnamed hashed entry");
                check(rowKeyName(r) != nullptr && rowHashName(r) == nullptr, "a named hashed entry still shows its hash");
            } else {
                check(setRowName(r, "OTHER") == 0, "setRowName renamed an entry that has a name");
            }
        }
    }
}

void compareReloaded(const Snapshot& before, bool hashed) {
    Snapshot after = walk(hashed);
    check(after.tableNames.size() == before.tableNames.size(), "the saved file has another number of tables");
    for (size_t t = 0; t < before.rows.size(); ++t) {
        check(after.tableNames[t] == before.tableNames[t], "a table name changed on saving");
        check(after.rows[t].size() == before.rows[t].size(), "a table has another number of rows after saving");
        for (size_t r = 0; r < before.rows[t].size(); ++r) {
            const Row& x = before.rows[t][r];
            const Row& y = after.rows[t][r];
            check(x.hash == y.hash, "a key hash changed on saving");
            check(x.key == y.key, "a key name changed on saving");
            check(x.text == y.text, x.edited ? "an edited text changed on saving" : "a text changed on saving");
        }
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string& in = scratchPath("in");
    const std::string& out = scratchPath("out");
    if (!writeFileBytes(in, std::vector<uint8_t>(data, data + size))) return 0;

    int code = openDocument(in.c_str());
    if (code != 0) {
        check(code >= 2000 && code <= 2208, "openDocument returned a code outside its range");
        check(tableCount() == 0 && rowCount() == 0 && !gDocument.loaded, "a refused file left a document behind");
        closeDocument();
        fileRemove(in.c_str());
        return 0;
    }
    if (!gDocument.loaded) {
        // Indexing failed in the worker (2208): the document is empty.
        check(tableCount() == 0, "a document whose indexing failed still has tables");
        closeDocument();
        fileRemove(in.c_str());
        return 0;
    }

    const bool hashed = gDocument.keyScheme == '@';
    walk(hashed);
    edit(hashed);
    const Snapshot edited = walk(hashed);

    uint32_t imageSize = 0;
    uint8_t* image = buildImage(&imageSize);
    check(image != nullptr, "buildImage failed for a document that loaded");
    documentFree(image);
    check(saveDocument(out.c_str()) == 0, "saveDocument failed for a document that loaded");
    closeDocument();

    code = openDocument(out.c_str());
    if (imageSize > kMaxFileSize) {
        // Shared strings are written once per key, so a small file can save
        // into one too large to load again.
        check(code == 2003, "a saved file of 16 MiB or more was not refused with 2003");
    } else {
        check(code == 0 && gDocument.loaded, "the saved file does not load again");
        compareReloaded(edited, hashed);
        // The saved file is canonical: loaded again it builds into exactly
        // the same bytes.
        uint32_t againSize = 0;
        uint8_t* again = buildImage(&againSize);
        check(again != nullptr, "buildImage failed for a saved file");
        const std::vector<uint8_t> saved = readFileBytes(out);
        check(againSize == saved.size() && memcmp(again, saved.data(), againSize) == 0,
              "a saved file does not come back byte for byte");
        documentFree(again);
    }
    closeDocument();
    fileRemove(in.c_str());
    fileRemove(out.c_str());
    return 0;
}
