#include "sidefile_test.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>

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
