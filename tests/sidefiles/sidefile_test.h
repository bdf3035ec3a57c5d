// Helpers for the side-file tests: small documents described inline, entries
// by table and record, and whole files read back as text.
#pragma once

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
    // The key name while it is known, else the printed hash.
    static std::string nameOf(GxtEntry& e) { return entryNameKnown(&e) ? entryName(&e) : entryHashName(&e); }
    static std::string currentText(const GxtEntry& e) { return entryText(&e); }
    // The whole file as text; "<missing>" when it cannot be read.
    static std::string fileText(const std::string& path);
    // Names of the files in the test's directory, sorted.
    std::vector<std::string> files() const;
};

GenDocument makeDocument(char variant, std::vector<GenTable> tables);
// Drops every entry whose key an earlier entry of the document already has,
// so that each key is found in its own table.
void keepKeysUnique(GenDocument& doc);
