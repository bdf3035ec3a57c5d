// Fuzz target for the text import: arbitrary bytes are imported as a text
// file into a document of each layout; the rows are walked and checked, the
// tables exported and imported again unchanged, and the document saved.
#include "sidefile_fuzz.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string& in = inputPath(data, size);
    static const std::string saved = scratchPath("saved.gxt");
    static Walk rows;
    for (char layout : kLayouts) {
        openLayout(layout);
        check(importText(in.c_str()) == 0, "importText failed on a readable file");
        bool changed = false;
        for (const Row& row : walk(rows).rows) {
            if (!row.replacement) continue;
            changed = true;
            check(textLength(row.replacement) <= 4095, "an imported text is longer than 4095 characters");
            for (const char* c = row.replacement; *c; ++c) check((uint8_t)*c >= 0x20, "an imported text holds a control byte");
        }
        exportAndImportChangeNothing(rows);
        // A document with imported texts must still save.
        if (changed) check(saveDocument(saved.c_str()) == 0, "a document with imported texts does not save");
        closeLayout();
    }
    return 0;
}
