// String lists: the rows they gather from all tables, the view the row
// accessors follow, and every failure.
#include <filesystem>

#include "sidefile_test.h"
#include "sidefiles/string_list.h"

namespace {

class StringListTest : public SideFileTest {
protected:
    GenDocument threeTables(char variant) {
        return makeDocument(variant, {{"ONE", {{"ALPHA", 0, "alpha text"}, {"BRAVO", 0, "bravo text"}}},
                                      {"TWO", {{"CHARLIE", 0, "charlie text"}}},
                                      {"THREE", {{"DELTA", 0, "delta text"}, {"ECHO", 0, "echo text"}}}});
    }
    int load(const std::string& text) { return loadStringList(write("names.lst", text).c_str()); }
    // The texts of the rows the entry list shows.
    static std::vector<std::string> rowTexts() {
        std::vector<std::string> texts;
        for (uint32_t r = 0; r < rowCount(); ++r) texts.push_back(rowText(r));
        return texts;
    }
};

TEST_F(StringListTest, RowsComeFromEveryTableInListOrder) {
    // The layouts with a single table have all names in it.
    for (char variant : kAllVariants) {
        GenDocument doc = threeTables(variant);
        if (variant == '0') {
            std::vector<GenEntry> all;
            for (const GenTable& t : doc.tables) all.insert(all.end(), t.entries.begin(), t.entries.end());
            doc.tables = {{"MAIN", all}};
        }
        ASSERT_EQ(openGenerated(doc), 0);
        ASSERT_EQ(selectTable(0), 1);
        // Unknown names are passed over; a name listed twice gives two rows;
        // the last name needs no line end.
        EXPECT_EQ(load("ECHO\r\nNOSUCH\r\nALPHA\nCHARLIE ECHO\tDELTA"), 0);
        EXPECT_TRUE(gStringList.on);
        EXPECT_EQ(rowTexts(), (std::vector<std::string>{"echo text", "alpha text", "charlie text", "echo text",
                                                        "delta text"}))
            << variant;
        EXPECT_EQ(entryAtRow(0), entryAtRow(3));
        EXPECT_EQ(entryAtRow(5), nullptr);
        // The view has no tables to offer.
        EXPECT_EQ(tableCount(), 0u);
        EXPECT_EQ(selectTable(0), 0);
        closeDocument();
        EXPECT_FALSE(gStringList.on);
        EXPECT_EQ(rowCount(), 0u);
    }
}

TEST_F(StringListTest, NamesMatchAsTheLayoutMatchesKeys) {
    // Named layouts fold case; hashed layouts fold ASCII case in the hash.
    for (char variant : kAllVariants) {
        GenDocument doc = threeTables(variant);
        doc.tables.resize(1);
        ASSERT_EQ(openGenerated(doc), 0);
        EXPECT_EQ(load("bravo Alpha"), 0);
        EXPECT_EQ(rowTexts(), (std::vector<std::string>{"bravo text", "alpha text"})) << variant;
        closeDocument();
    }
}

TEST_F(StringListTest, LongRunsAreCutAndLookedUpByTheirStart) {
    const std::string first31 = "ABCDEFGHIJKLMNOPQRSTUVWXYZ01234";
    const std::string run = first31 + "56" + "_TAIL_7";  // 40 bytes: 33 and 7
    ASSERT_EQ(run.size(), 40u);
    ASSERT_EQ(openGenerated(makeDocument('@', {{"T", {{first31, 0, "start"}, {"_TAIL_7", 0, "tail"},
                                                       {first31 + "56", 0, "never"}}}})),
              0);
    EXPECT_EQ(load(run), 0);
    EXPECT_EQ(rowTexts(), (std::vector<std::string>{"start", "tail"}));
}

TEST_F(StringListTest, AListThatFindsNothingLeavesTheTableView) {
    ASSERT_EQ(openGenerated(threeTables('@')), 0);
    ASSERT_EQ(selectTable(1), 1);
    EXPECT_EQ(load("NOSUCH OTHER\r\n"), 0);
    EXPECT_FALSE(gStringList.on);
    EXPECT_EQ(rowTexts(), std::vector<std::string>{"charlie text"});
    EXPECT_EQ(load(""), 0);
    EXPECT_FALSE(gStringList.on);
}

TEST_F(StringListTest, ALoadReplacesTheListShown) {
    ASSERT_EQ(openGenerated(threeTables('@')), 0);
    EXPECT_EQ(load("ALPHA BRAVO"), 0);
    EXPECT_EQ(load("DELTA"), 0);
    EXPECT_EQ(rowTexts(), std::vector<std::string>{"delta text"});
    // A load that fails has closed the earlier list all the same.
    EXPECT_EQ(loadStringList(dir.file("absent.lst").c_str()), 6001);
    EXPECT_FALSE(gStringList.on);
    EXPECT_EQ(rowCount(), 0u);
}

TEST_F(StringListTest, Closing) {
    EXPECT_EQ(closeStringList(), 7000);
    ASSERT_EQ(openGenerated(threeTables('@')), 0);
    ASSERT_EQ(selectTable(2), 1);
    EXPECT_EQ(closeStringList(), 7001);
    EXPECT_EQ(load("CHARLIE"), 0);
    EXPECT_EQ(rowTexts(), std::vector<std::string>{"charlie text"});
    EXPECT_EQ(closeStringList(), 0);
    EXPECT_FALSE(gStringList.on);
    EXPECT_EQ(gStringList.entries, nullptr);
    EXPECT_EQ(tableCount(), 524u);
    EXPECT_EQ(rowTexts(), (std::vector<std::string>{"delta text", "echo text"}));
    EXPECT_EQ(closeStringList(), 7001);
}

TEST_F(StringListTest, LoadFailuresLeaveTheViewOff) {
    const std::string path = write("names.lst", "ALPHA BRAVO");
    EXPECT_EQ(loadStringList(path.c_str()), 6000);
    ASSERT_EQ(openGenerated(threeTables('@')), 0);
    // Let the lookup build its index now, so that the only blocks taken
    // below are the file's and the rows'.
    ASSERT_NE(findEntry("ALPHA", 0), nullptr);
    const struct {
        FaultPoint point;
        uint32_t nth;
        int code;
    } steps[] = {{FAULT_OPEN, 1, 6001}, {FAULT_SIZE, 1, 6002}, {FAULT_ALLOC, 1, 6004},
                 {FAULT_READ, 1, 6005}, {FAULT_ALLOC, 2, 6006}};
    for (const auto& step : steps) {
        ASSERT_EQ(loadStringList(write("earlier.lst", "DELTA").c_str()), 0);
        faultArm(step.point, step.nth);
        EXPECT_EQ(loadStringList(path.c_str()), step.code);
        faultReset();
        EXPECT_FALSE(gStringList.on) << step.code;
        EXPECT_EQ(rowCount(), 0u);
    }
    EXPECT_EQ(loadStringList(path.c_str()), 0);
    EXPECT_EQ(rowCount(), 2u);
}

TEST_F(StringListTest, RunningOutOfMemoryWhileTheRowsGrow) {
    ASSERT_EQ(openGenerated(threeTables('@')), 0);
    ASSERT_NE(findEntry("ALPHA", 0), nullptr);
    std::string many;
    for (int i = 0; i < 1000; ++i) many += "ALPHA BRAVO ";
    const std::string path = write("many.lst", many);
    ASSERT_EQ(loadStringList(path.c_str()), 0);
    ASSERT_EQ(rowCount(), 2000u);
    faultReset();
    ASSERT_EQ(loadStringList(path.c_str()), 0);
    const uint32_t perLoad = faultCalls(FAULT_ALLOC);
    ASSERT_GT(perLoad, 3u) << "the rows should have grown more than once";
    for (uint32_t nth = 2; nth <= perLoad; ++nth) {
        faultReset();
        faultArm(FAULT_ALLOC, nth);
        EXPECT_EQ(loadStringList(path.c_str()), 6006) << nth;
        EXPECT_FALSE(gStringList.on);
    }
}

TEST_F(StringListTest, SizeLimit) {
    ASSERT_EQ(openGenerated(threeTables('@')), 0);
    const std::string path = dir.file("big.lst");
    ASSERT_TRUE(writeFileBytes(path, bytesOf("ECHO ")));
    std::filesystem::resize_file(path, 0x1000000);
    EXPECT_EQ(loadStringList(path.c_str()), 6003);
    EXPECT_FALSE(gStringList.on);
    std::filesystem::resize_file(path, 0xFFFFFF);
    EXPECT_EQ(loadStringList(path.c_str()), 0);
    EXPECT_EQ(rowTexts(), std::vector<std::string>{"echo text"});
}

}  // namespace
