// Fuzz target for ID lists: arbitrary bytes are imported as an ID list into
// a document of each layout; then every row is walked and checked, the known
// names are exported and imported into a fresh load, where every entry must
// get back the name it had, and the texts go out and come back unchanged.
#include "sidefile_fuzz.h"
#include "sidefiles/id_list.h"

using namespace sidefuzz;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string& in = inputPath(data, size);
    const std::string out = scratchPath("export.ids");
    for (char layout : kLayouts) {
        openLayout(layout);
        check(importIds(in.c_str()) == 0, "importIds failed on a readable file");
        const std::vector<Shown> named = walk();
        check(exportIds(out.c_str()) == 0, "exportIds failed");

        // Keys are unique in the document, so every name finds its own entry.
        openLayout(layout);
        check(importIds(out.c_str()) == 0, "importIds of an export failed");
        const std::vector<Shown> again = walk();
        check(again.size() == named.size(), "another number of rows after reloading");
        for (size_t i = 0; i < named.size(); ++i)
            check(again[i].nameKnown == named[i].nameKnown && again[i].name == named[i].name,
                  "a name did not survive its export");
        exportAndImportChangeNothing();
        closeDocument();
    }
    fileRemove(in.c_str());
    fileRemove(out.c_str());
    return 0;
}
