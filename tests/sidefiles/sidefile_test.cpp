#include "sidefile_test.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <set>

std::string SideFileTest::fileText(const std::string& path) {
    FILE* f = fopen(path.c_str(), "rb");
    if (!f) return "<missing>";
    fclose(f);
    return textOf(readFileBytes(path));
}

std::vector<std::string> SideFileTest::files() const {
    std::vector<std::string> names;
    for (const auto& item : std::filesystem::directory_iterator(dir.path))
        names.push_back(item.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

GenDocument makeDocument(char variant, std::vector<GenTable> tables) {
    GenDocument doc;
    doc.variant = variant;
    doc.tables = std::move(tables);
    return doc;
}

void keepKeysUnique(GenDocument& doc) {
    const bool hashed = doc.variant == '2' || doc.variant == '@';
    std::set<std::string> names;
    std::set<uint32_t> hashes;
    for (GenTable& t : doc.tables)
        std::erase_if(t.entries, [&](const GenEntry& e) {
            if (hashed) return !hashes.insert(e.hash ? e.hash : genKeyHash(doc.variant, e.name)).second;
            std::string folded = e.name;
            for (char& c : folded) c = (char)ansiLower((uint8_t)c);
            return !names.insert(folded).second;
        });
}
