// Helpers for the side-file tests: small documents described inline, what
// the document shows, and whole files read back as text.
#pragma once

#include <set>
#include <string>
#include <vector>

#include "gxt/gxt.h"
#include "test_support.h"

// Every layout the program reads.
constexpr char kAllVariants[] = {'0', '1', '2', '@'};

class SideFileTest : public CoreTest {
protected:
    // Entry k (record order) of table t of the open document.
    static GxtEntry& entryAt(uint32_t t, uint32_t k) { return gDocument.tables[t].entries[k]; }
    // The known key names of every table's rows, tables in order.
    static std::vector<std::string> knownNames();
    // Everything the entry list can show: each row of each table (or of the
    // string list) as key=text, the key being the name or the printed hash.
    static std::vector<std::string> shown();
    // The whole file as text; "<missing>" when it cannot be read.
    static std::string fileText(const std::string& path);
    // Fails every allocation, the creation, every write and the finish of
    // an export to path in turn, until it goes through; each failure leaves
    // the old file as it was and no other file behind, also where there was
    // no old file. Returns the codes of the failures; path ends as it began.
    std::set<int> exportFailing(int (*exporter)(const char* path), const std::string& path);
};

GenDocument makeDocument(char variant, std::vector<GenTable> tables);
// Drops every entry whose key an earlier entry of the document already has,
// so that each key is found in its own table.
void keepKeysUnique(GenDocument& doc);
