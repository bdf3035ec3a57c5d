// ID lists: the tokens of a list, the lookup that names hashed entries, the
// export of known names, and every failure.
#include <filesystem>
#include <map>

#include "sidefile_test.h"
#include "sidefiles/id_list.h"

namespace {

class IdListTest : public SideFileTest {
protected:
    // Two tables of hashed keys; "SHARED" is a key of both.
    GenDocument twoTables(char variant = '@') {
        return makeDocument(variant, {{"ONE", {{"ALPHA", 0, "a"}, {"BRAVO", 0, "b"}, {"SHARED", 0, "s1"}}},
                                      {"TWO", {{"CHARLIE", 0, "c"}, {"SHARED", 0, "s2"}}}});
    }
    int importText(const std::string& text) { return importIds(write("names.ids", text).c_str()); }
    std::vector<std::string> knownNames() {
        std::vector<std::string> names;
        for (uint32_t t = 0; t < gDocument.tableCount; ++t)
            for (uint32_t k = 0; k < gDocument.tables[t].entryCount; ++k)
                if (entryNameKnown(&entryAt(t, k))) names.push_back(nameOf(entryAt(t, k)));
        return names;
    }
};

TEST_F(IdListTest, AnySeparatorGivesTheSameTokens) {
    const std::vector<std::string> inputs = {
        "ALPHA\r\nBRAVO\r\nCHARLIE\r\n",
        "ALPHA\nBRAVO\nCHARLIE",
        "ALPHA\rBRAVO\rCHARLIE\r",
        "\t ALPHA BRAVO\tCHARLIE   ",
        std::string("ALPHA\0BRAVO\x80\xff" "CHARLIE\x01", 21),
    };
    for (const std::string& input : inputs) {
        ASSERT_EQ(openGenerated(twoTables()), 0);
        EXPECT_EQ(importText(input), 0);
        EXPECT_EQ(knownNames(), (std::vector<std::string>{"ALPHA", "BRAVO", "CHARLIE"})) << input;
        closeDocument();
    }
}

TEST_F(IdListTest, NamesAreHashedAsWrittenWithTheLayoutsHash) {
    for (char variant : {'2', '@'}) {
        ASSERT_EQ(openGenerated(twoTables(variant)), 0);
        // The key hashes fold ASCII case: a lower-case name finds the key and
        // is kept as written.
        EXPECT_EQ(importText("alpha Bravo DELTA"), 0);
        EXPECT_EQ(knownNames(), (std::vector<std::string>{"alpha", "Bravo"})) << variant;
        closeDocument();
    }
}

TEST_F(IdListTest, LongRunsAreCutAtTheLayoutsNameLimit) {
    const std::string first32 = "ABCDEFGHIJKLMNOPQRSTUVWXYZ012345";
    const std::string last8 = "TAIL_END";
    ASSERT_EQ(openGenerated(makeDocument('@', {{"T", {{first32, 0, "x"}, {last8, 0, "y"}}}})), 0);
    EXPECT_EQ(importText(first32 + last8 + "\r\n"), 0);
    EXPECT_EQ(nameOf(entryAt(0, 0)), first32);
    EXPECT_EQ(nameOf(entryAt(0, 1)), last8);
    closeDocument();

    // The classic hashed layout keeps eight characters.
    ASSERT_EQ(openGenerated(makeDocument('2', {{"T", {{"ABCDEFGH", 0, "x"}, {"IJKL", 0, "y"}}}})), 0);
    EXPECT_EQ(importText("ABCDEFGHIJKL"), 0);
    EXPECT_EQ(nameOf(entryAt(0, 0)), "ABCDEFGH");
    EXPECT_EQ(nameOf(entryAt(0, 1)), "IJKL");
}

TEST_F(IdListTest, KnownNamesAreKept) {
    ASSERT_EQ(openGenerated(twoTables()), 0);
    // As if the guess dialog had found it: same hash, other spelling.
    ASSERT_EQ(setEntryName(&entryAt(0, 0), "alpha"), 1);
    EXPECT_EQ(importText("ALPHA ALPHA BRAVO BRAVO"), 0);
    EXPECT_EQ(nameOf(entryAt(0, 0)), "alpha");
    EXPECT_EQ(nameOf(entryAt(0, 1)), "BRAVO");
}

TEST_F(IdListTest, EmptyAndSeparatorOnlyFilesNameNothing) {
    ASSERT_EQ(openGenerated(twoTables()), 0);
    EXPECT_EQ(importText(""), 0);
    EXPECT_EQ(importText(" \r\n\t\x7f\x01"), 0);  // 0x7F is a token byte, but matches nothing
    EXPECT_TRUE(knownNames().empty());
}

TEST_F(IdListTest, TheFirstTableHoldingAHashGetsTheName) {
    ASSERT_EQ(openGenerated(twoTables()), 0);
    EXPECT_EQ(importText("SHARED"), 0);
    EXPECT_EQ(nameOf(entryAt(0, 2)), "SHARED");
    EXPECT_FALSE(entryNameKnown(&entryAt(1, 1)));
}

TEST_F(IdListTest, ImportIntoANamedLayoutChangesNothing) {
    ASSERT_EQ(openGenerated(makeDocument('1', {{"T", {{"ALPHA", 0, "a"}}}})), 0);
    EXPECT_EQ(importText("alpha"), 0);
    EXPECT_EQ(nameOf(entryAt(0, 0)), "ALPHA");
}

TEST_F(IdListTest, ImportFailuresNameNothing) {
    const std::string path = write("names.ids", "ALPHA BRAVO");
    EXPECT_EQ(importIds(path.c_str()), 4000);

    ASSERT_EQ(openGenerated(twoTables()), 0);
    EXPECT_EQ(importIds(dir.file("absent.ids").c_str()), 4001);
    EXPECT_EQ(importIds(nullptr), 4001);
    const struct {
        FaultPoint point;
        int code;
    } steps[] = {{FAULT_OPEN, 4001}, {FAULT_SIZE, 4002}, {FAULT_ALLOC, 4004}, {FAULT_READ, 4005}};
    for (const auto& step : steps) {
        faultArm(step.point, 1);
        EXPECT_EQ(importIds(path.c_str()), step.code);
        faultReset();
        EXPECT_TRUE(knownNames().empty()) << step.code;
    }
    EXPECT_EQ(importIds(path.c_str()), 0);
    EXPECT_EQ(knownNames().size(), 2u);
}

TEST_F(IdListTest, SizeLimit) {
    ASSERT_EQ(openGenerated(twoTables()), 0);
    const std::string path = dir.file("big.ids");
    ASSERT_TRUE(writeFileBytes(path, bytesOf("ALPHA ")));
    std::filesystem::resize_file(path, 0x1000000);
    EXPECT_EQ(importIds(path.c_str()), 4003);
    EXPECT_TRUE(knownNames().empty());
    std::filesystem::resize_file(path, 0xFFFFFF);
    EXPECT_EQ(importIds(path.c_str()), 0);
    EXPECT_EQ(knownNames(), std::vector<std::string>{"ALPHA"});
}

TEST_F(IdListTest, ExportWritesKnownNamesInTableAndRowOrder) {
    // Strings in reverse record order: the rows, and so the export, run
    // backwards through the records.
    ASSERT_EQ(openGenerated(twoTables(), {GenStringOrder::Reverse}), 0);
    ASSERT_EQ(setEntryName(&entryAt(0, 0), "ALPHA"), 1);
    ASSERT_EQ(setEntryName(&entryAt(0, 2), "SHARED"), 1);
    ASSERT_EQ(setEntryName(&entryAt(1, 1), "SHARED"), 1);
    ASSERT_EQ(setEntryName(&entryAt(1, 0), "CHARLIE"), 1);
    const std::string path = dir.file("out.ids");
    EXPECT_EQ(exportIds(path.c_str()), 0);
    EXPECT_EQ(fileText(path), "SHARED\r\nALPHA\r\nSHARED\r\nCHARLIE\r\n");
}

TEST_F(IdListTest, ExportOfANamedLayoutListsEveryKey) {
    ASSERT_EQ(openGenerated(makeDocument('0', {{"MAIN", {{"FIRST", 0, "1"}, {"SECOND", 0, "2"}}}})), 0);
    const std::string path = dir.file("out.ids");
    EXPECT_EQ(exportIds(path.c_str()), 0);
    EXPECT_EQ(fileText(path), "FIRST\r\nSECOND\r\n");
}

TEST_F(IdListTest, ExportWithoutNamesEmptiesTheFile) {
    ASSERT_EQ(openGenerated(twoTables()), 0);
    const std::string path = write("out.ids", "OLD\r\n");
    EXPECT_EQ(exportIds(path.c_str()), 0);
    EXPECT_EQ(fileText(path), "");
}

TEST_F(IdListTest, ExportedNamesComeBackIntoAFreshLoad) {
    for (char variant : {'2', '@'}) {
        GenDocument doc = randomDocument(variant, 7, 60);
        // A key that an earlier table also holds stays unnamed after the
        // round trip: the lookup always stops at the earlier table.
        doc.tables.push_back({"LATE", {{doc.tables[0].entries.empty() ? "X" : doc.tables[0].entries[0].name, 0, "dup"},
                                       {"ONLYHERE", 0, "own"}}});
        const uint32_t late = (uint32_t)doc.tables.size() - 1;
        ASSERT_EQ(openGenerated(doc), 0);
        // Name every second entry, the duplicate in the last table included.
        for (uint32_t t = 0; t < doc.tables.size(); ++t)
            for (uint32_t k = 0; k < doc.tables[t].entries.size(); ++k)
                if (k % 2 == 0 || t == late) {
                    ASSERT_EQ(setEntryName(&entryAt(t, k), doc.tables[t].entries[k].name.c_str()), 1);
                }
        const std::string path = dir.file("round.ids");
        ASSERT_EQ(exportIds(path.c_str()), 0);
        // The name each hash had anywhere before the export.
        std::map<uint32_t, std::string> named;
        for (uint32_t t = 0; t < gDocument.tableCount; ++t)
            for (uint32_t k = 0; k < gDocument.tables[t].entryCount; ++k)
                if (entryNameKnown(&entryAt(t, k))) named[entryAt(t, k).hash] = nameOf(entryAt(t, k));

        ASSERT_EQ(openGenerated(doc), 0);
        ASSERT_EQ(importIds(path.c_str()), 0);
        for (uint32_t t = 0; t < gDocument.tableCount; ++t)
            for (uint32_t k = 0; k < gDocument.tables[t].entryCount; ++k) {
                GxtEntry& e = entryAt(t, k);
                // Only the first entry holding a hash can be found by name.
                std::string expected = findEntry(nullptr, e.hash) == &e && named.count(e.hash) ? named[e.hash] : "";
                EXPECT_EQ(entryNameKnown(&e) ? nameOf(e) : "", expected) << variant << " table " << t << " record " << k;
            }
        EXPECT_FALSE(entryNameKnown(&entryAt(late, 0)));
        EXPECT_EQ(nameOf(entryAt(late, 1)), "ONLYHERE");
        closeDocument();
    }
}

TEST_F(IdListTest, ExportFailuresLeaveTheOldFile) {
    const std::string path = write("out.ids", "OLD\r\n");
    EXPECT_EQ(exportIds(nullptr), 5000);
    EXPECT_EQ(exportIds(path.c_str()), 5001);  // no document

    ASSERT_EQ(openGenerated(twoTables()), 0);
    ASSERT_EQ(setEntryName(&entryAt(0, 0), "ALPHA"), 1);
    ASSERT_EQ(setEntryName(&entryAt(1, 0), "CHARLIE"), 1);
    const struct {
        FaultPoint point;
        uint32_t nth;
        int code;
    } steps[] = {
        {FAULT_ALLOC, 1, 5001},   // the per-table list
        {FAULT_ALLOC, 2, 5002},   // the first table's names
        {FAULT_ALLOC, 3, 5002},   // the second table's names
        {FAULT_CREATE, 1, 5003},
        {FAULT_WRITE, 1, 5004},
        {FAULT_WRITE, 2, 5004},   // the second table's block
        {FAULT_FINISH, 1, 5004},
    };
    for (const auto& step : steps) {
        faultArm(step.point, step.nth);
        EXPECT_EQ(exportIds(path.c_str()), step.code) << step.point << " " << step.nth;
        faultReset();
        EXPECT_EQ(fileText(path), "OLD\r\n");
        EXPECT_EQ(files(), (std::vector<std::string>{"doc.gxt", "out.ids"})) << "a partial file was left behind";
    }
    // Without an old file, a failure while gathering the names creates none.
    const std::string fresh = dir.file("fresh.ids");
    faultArm(FAULT_ALLOC, 2);
    EXPECT_EQ(exportIds(fresh.c_str()), 5002);
    faultReset();
    EXPECT_EQ(fileText(fresh), "<missing>");
    EXPECT_EQ(exportIds(path.c_str()), 0);
    EXPECT_EQ(fileText(path), "ALPHA\r\nCHARLIE\r\n");
}

}  // namespace
