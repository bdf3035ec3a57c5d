// Fuzz target for vorn-cli build's source reader: the first byte picks the
// layout, the rest is the source. A source that is refused must say on
// which line; one that is accepted must build a file that loads, shows the
// source's tables, keys and texts, saves back byte for byte, and whose
// whole-document export reads back as the same source and imports into it
// without a change.
#include "gxt_source.h"
#include "sidefile_fuzz.h"

namespace {

// The entries of each table as the loaded document shows them.
void checkShown(const GenDocument& doc) {
    const bool hashed = gDocument.keyScheme == '@';
    check(tableCount() == genTableCount(doc.variant), "a built file has another number of tables");
    for (uint32_t t = 0; t < tableCount(); ++t) {
        char name[9] = {};
        tableName(t, name), selectTable(t);
        const GenTable* source = t < doc.tables.size() ? &doc.tables[t] : nullptr;
        if (source && doc.variant != '0') check(source->name == name, "a table lost its name");
        check(rowCount() == (source ? source->entries.size() : 0), "a table lost or gained entries");
        for (uint32_t r = 0; r < rowCount(); ++r) {
            const GenEntry& e = source->entries[r];
            check(std::string(rowText(r)) == e.text, "an entry's text changed");
            if (hashed) check(rowHash(r) == e.hash, "an entry's hash changed");
            else check(std::string(rowKeyName(r)) == e.name, "an entry's name changed");
        }
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1) return 0;
    const char layout = kLayouts[data[0] % 4];
    GenDocument doc;
    GenSourceError error;
    if (!genParseSource(data + 1, size - 1, layout, doc, error)) {
        check(error.line > 0 && !error.reason.empty(), "a refusal names no line or reason");
        return 0;
    }
    const std::vector<uint8_t> image = generateGxt(doc);
    static const std::string built = scratchPath("built.gxt"), exported = scratchPath("all.txt");
    check(writeFileBytes(built, image), "cannot write the built file");
    check(openDocument(built.c_str()) == 0, "a built file does not load");
    checkShown(doc);
    check(buildsInto(image), "a built file is not what saving writes");

    check(exportAllText(exported.c_str()) == 0, "exportAllText failed");
    // The whole-document import of that export changes nothing.
    TextImportSummary summary{};
    check(importText(exported.c_str(), &summary) == 0 && summary.changed == 0, "importing the export changed a text");
    closeDocument();
    const std::vector<uint8_t> text = readFileBytes(exported);
    GenDocument again;
    check(genParseSource(text.data(), text.size(), layout, again, error), "the export of a built file is refused");
    check(generateGxt(again) == image, "the export of a built file builds another file");
    return 0;
}
