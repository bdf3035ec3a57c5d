// Fuzz target for ID lists: arbitrary bytes are imported as an ID list into
// a document of each layout; the rows are walked and checked, the names are
// exported and imported into the document as loaded, where every entry must
// get back the name it had, and the texts go out and come back unchanged.
#include "sidefile_fuzz.h"
#include "sidefiles/id_list.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string& in = inputPath(data, size);
    static const std::string out = scratchPath("export.ids");
    static Walk named, again;
    for (char layout : kLayouts) {
        openLayout(layout);
        check(importIds(in.c_str()) == 0, "importIds failed on a readable file");
        walk(named);
        check(exportIds(out.c_str()) == 0, "exportIds failed");
        // Keys are unique in the document, so every name finds its own entry.
        closeLayout();
        openLayout(layout);
        check(importIds(out.c_str()) == 0, "importIds of an export failed");
        check(walk(again) == named, "a name did not survive its export");
        exportAndImportChangeNothing(again);
        closeLayout();
    }
    return 0;
}
