// Fuzz target for string lists: arbitrary bytes are loaded as a string list
// into a document of each layout; the view's rows are walked and checked,
// exported as text and imported again unchanged, and the list is closed.
#include "sidefile_fuzz.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string& in = inputPath(data, size);
    static Walk rows;
    for (char layout : kLayouts) {
        openLayout(layout);
        check(selectTable(0) == 1, "no first table");
        check(loadStringList(in.c_str()) == 0, "loadStringList failed on a readable file");
        // Every row is an entry of the document's own entry block.
        for (uint32_t r = 0; r < gStringList.count; ++r)
            check(gStringList.entries[r] >= gDocument.entries &&
                      gStringList.entries[r] < gDocument.entries + gDocument.entryTotal,
                  "a string-list row is not an entry of the document");
        exportAndImportChangeNothing(walk(rows));
        const bool on = gStringList.on;
        check(closeStringList() == (on ? 0 : 7001), "closeStringList gave the wrong code");
        check(!gStringList.on && rowCount() == gDocument.tables[gDocument.currentTable].entryCount,
              "closing left the view on");
        closeLayout();
    }
    return 0;
}
