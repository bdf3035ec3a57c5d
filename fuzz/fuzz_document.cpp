// Fuzz target for the GXT document: arbitrary bytes go through loading and
// indexing, every accessor, a few edits, building the image, saving it and
// loading the saved file again; each check says what it found wrong.
#include "fuzz_support.h"
#include "gxt/gxt.h"
#include "gxt_generator.h"
#include "platform/platform.h"

namespace {

const std::string kIn = scratchPath("in.gxt"), kOut = scratchPath("out.gxt");

// The tables and rows as the entry list shows them: hash, name (named keys) and text.
struct Row {
    uint32_t hash;
    std::string key;
    std::string text;
    bool operator==(const Row&) const = default;
};
struct Snapshot {
    std::vector<std::string> tableNames;
    std::vector<std::vector<Row>> rows;
    bool operator==(const Snapshot&) const = default;
};

// Reads every table and row through the accessors, checking their answers.
Snapshot walk(bool hashed) {
    Snapshot s;
    const uint32_t tables = tableCount();
    for (uint32_t t = 0; t < tables; ++t) {
        // Callers hand in a zeroed buffer of 9 bytes or more; the name takes at most 8.
        char name[16];
        memset(name, 0, 9);
        memset(name + 9, 0x55, sizeof name - 9);
        tableName(t, name);
        check(name[8] == 0 && name[9] == 0x55 && name[15] == 0x55, "tableName wrote past 8 bytes");
        check(selectTable(t) == 1, "selectTable refused an existing table");
        s.tableNames.push_back(name);
        std::vector<Row>& rows = s.rows.emplace_back();
        const uint32_t count = rowCount();
        for (uint32_t r = 0; r < count; ++r) {
            const char* text = rowText(r);
            check(text && rowLoadedText(r), "an existing row has no text");
            const char *keyName = rowKeyName(r), *hashName = rowHashName(r);
            check((keyName == nullptr) != (hashName == nullptr), "a row has both or neither of a name and a hash name");
            GxtEntry* entry = entryAtRow(r);
            check(entry && entryText(entry) == text, "entryAtRow and rowText disagree");
            Row row{rowHash(r), {}, text};
            if (hashed) {
                // Names of hashed keys are not saved, so only the hash is compared after
                // saving. A few lookups a table keep each input fast.
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

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (!writeFileBytes(kIn, std::vector<uint8_t>(data, data + size))) return 0;
    int code = openDocument(kIn.c_str());
    if (code != 0 || !gDocument.loaded) {
        // Refused (2000..2208), or indexing failed in the worker: no document is left.
        check(code == 0 || (code >= 2000 && code <= 2208), "openDocument returned a code outside its range");
        check(tableCount() == 0 && (code == 0 || (rowCount() == 0 && !gDocument.loaded)),
              "a refused file left a document behind");
        closeDocument();
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
    check(saveDocument(kOut.c_str()) == 0, "saveDocument failed for a document that loaded");
    closeDocument();

    code = openDocument(kOut.c_str());
    if (imageSize > kMaxFileSize) {
        // Shared strings are written once per key, so a small file can save
        // into one too large to load again.
        check(code == 2003, "a saved file of 16 MiB or more was not refused with 2003");
    } else {
        check(code == 0 && gDocument.loaded, "the saved file does not load again");
        check(walk(hashed) == edited, "the saved file shows other tables, keys or texts");
        // The saved file is canonical: loaded again it builds into its own bytes.
        check(buildsInto(readFileBytes(kOut)), "a saved file does not come back byte for byte");
    }
    closeDocument();
    return 0;
}
