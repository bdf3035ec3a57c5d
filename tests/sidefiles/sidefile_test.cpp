#include "sidefile_test.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <set>
#include <utility>

#include "gxt/gxt_test_util.h"
#include "sidefiles/id_list.h"
#include "sidefiles/string_list.h"
#include "sidefiles/text_io.h"

namespace {

void addRows(std::vector<std::string>& out, bool knownOnly) {
    if (!knownOnly) {
        for (std::string& row : rows()) out.push_back(std::move(row));
        return;
    }
    for (uint32_t r = 0; r < rowCount(); ++r)
        if (const char* name = rowKeyName(r)) out.push_back(name);
}

std::vector<std::string> everyRow(bool knownOnly) {
    std::vector<std::string> out;
    if (gStringList.on) addRows(out, knownOnly);
    const int32_t current = gDocument.currentTable;
    for (uint32_t t = 0; t < tableCount(); ++t) {
        selectTable(t);
        addRows(out, knownOnly);
    }
    gDocument.currentTable = current;
    return out;
}

}  // namespace

std::vector<std::string> SideFileTest::knownNames() { return everyRow(true); }
std::vector<std::string> SideFileTest::shown() { return everyRow(false); }

std::string SideFileTest::fileText(const std::string& path) {
    FILE* f = fopen(path.c_str(), "rb");
    if (!f) return "<missing>";
    fclose(f);
    return textOf(readFileBytes(path));
}

std::set<int> SideFileTest::exportFailing(int (*exporter)(const char* path), const std::string& path) {
    auto files = [this] {
        std::vector<std::string> names;
        for (const auto& item : std::filesystem::directory_iterator(dir.path))
            names.push_back(item.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    };
    const std::string old = fileText(path);
    const std::vector<std::string> before = files();
    std::set<int> codes;
    for (FaultPoint point : {FAULT_ALLOC, FAULT_CREATE, FAULT_WRITE, FAULT_FINISH}) {
        for (uint32_t nth = 1;; ++nth) {
            faultArm(point, nth);
            const int r = exporter(path.c_str());
            faultReset();
            if (r == 0) break;
            codes.insert(r);
            EXPECT_EQ(fileText(path), old) << point << " " << nth;
            faultArm(point, nth);
            EXPECT_EQ(exporter(dir.file("fresh").c_str()), r);
            faultReset();
            EXPECT_EQ(files(), before) << "a partial file was left behind";
        }
        EXPECT_TRUE(writeFileBytes(path, bytesOf(old)));
    }
    return codes;
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

// Reading the file fails the same way for each importer, each with its own
// codes, and a failed import changes nothing the document shows.
TEST_F(SideFileTest, EveryImporterReportsEachReadFailureAndChangesNothing) {
    const struct {
        int (*import)(const char* path);
        int base;
        const char* content;
    } importers[] = {{importIds, 4000, "ALPHA"}, {loadStringList, 6000, "ALPHA"}, {[](const char* path) { return importText(path); }, 8000, "ALPHA=new"}};
    const struct {
        FaultPoint point;  // FAULT_POINT_COUNT: the file resized instead
        uint64_t size;
        int offset;  // from the importer's base
    } failures[] = {{FAULT_OPEN, 0, 1}, {FAULT_SIZE, 0, 2}, {FAULT_ALLOC, 0, 4}, {FAULT_READ, 0, 5},
                    {FAULT_POINT_COUNT, 0x1000000, 3}, {FAULT_POINT_COUNT, 0xFFFFFF, 0}};
    for (const auto& im : importers) {
        SCOPED_TRACE(im.base);
        closeDocument();
        const std::string path = write("side.txt", im.content);
        EXPECT_EQ(im.import(path.c_str()), im.base);  // no document
        ASSERT_EQ(openGenerated(makeDocument('@', {{"ONE", {{"ALPHA", 0, "alpha"}, {"BRAVO", 0, "bravo"}}}})), 0);
        ASSERT_NE(findEntry("ALPHA", 0), nullptr);  // the name index is built now
        const std::vector<std::string> before = shown();
        EXPECT_EQ(im.import(dir.file("absent").c_str()), im.base + 1);
        EXPECT_EQ(im.import(nullptr), im.base + 1);
        for (const auto& f : failures) {
            if (f.point == FAULT_POINT_COUNT) std::filesystem::resize_file(path, f.size);
            else faultArm(f.point, 1);
            EXPECT_EQ(im.import(path.c_str()), f.offset ? im.base + f.offset : 0) << f.point << " " << f.size;
            faultReset();
            if (f.offset) {
                EXPECT_EQ(shown(), before) << f.point;
            }
        }
        EXPECT_NE(shown(), before);
    }
}
