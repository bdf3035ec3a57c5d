// Fuzz target for the text import: arbitrary bytes are imported as a text
// file into a document of each layout; then every row is walked and checked
// (texts end at their terminator, lengths agree, names hash to their keys,
// imported texts hold no control byte and at most 4095 characters),
// the tables are exported and imported again without any change, and the
// document must still save when the import changed it.
#include "sidefile_fuzz.h"

using namespace sidefuzz;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string& in = inputPath(data, size);
    static const std::string saved = scratchPath("saved.gxt");
    for (char layout : kLayouts) {
        openLayout(layout);
        check(importText(in.c_str()) == 0, "importText failed on a readable file");
        static Walk rows;
        walk(rows);
        for (const Shown& row : rows.rows) {
            if (!row.replacement) continue;
            check(row.text.size() <= 4095, "an imported text is longer than 4095 characters");
            for (char c : row.text) check((uint8_t)c >= 0x20, "an imported text holds a control byte");
        }
        exportAndImportChangeNothing(rows);
        // A document the input left as loaded saves as it always does.
        if (documentChanged())
            check(saveDocument(saved.c_str()) == 0, "a document with imported texts does not save");
        closeLayout();
    }
    return 0;
}
