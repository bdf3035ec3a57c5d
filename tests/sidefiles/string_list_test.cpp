// String lists: the rows they gather from all tables, the view the row
// accessors follow, and every failure.
#include <set>

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
        // Names match as the layout matches keys, whatever their case.
        EXPECT_EQ(load("ECHO\r\nNOSUCH\r\nalpha\nCharlie ECHO\tDELTA"), 0);
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

TEST_F(StringListTest, LongRunsAreCutAndLookedUpByTheirStart) {
    const std::string first31 = "ABCDEFGHIJKLMNOPQRSTUVWXYZ01234";
    ASSERT_EQ(openGenerated(makeDocument('@', {{"T", {{first31, 0, "start"}, {"_TAIL_7", 0, "tail"},
                                                       {first31 + "56", 0, "never"}}}})),
              0);
    EXPECT_EQ(load(first31 + "56" + "_TAIL_7"), 0);  // 40 bytes: 33 and 7
    EXPECT_EQ(rowTexts(), (std::vector<std::string>{"start", "tail"}));
}

// A load replaces the list shown; one that finds nothing and a close go back
// to the table view.
TEST_F(StringListTest, LoadingAndClosingSwitchTheView) {
    EXPECT_EQ(closeStringList(), 7000);
    ASSERT_EQ(openGenerated(threeTables('@')), 0);
    ASSERT_EQ(selectTable(2), 1);
    EXPECT_EQ(closeStringList(), 7001);
    EXPECT_EQ(load("ALPHA BRAVO"), 0);
    EXPECT_EQ(load("CHARLIE"), 0);
    EXPECT_EQ(rowTexts(), std::vector<std::string>{"charlie text"});
    EXPECT_EQ(load("NOSUCH OTHER\r\n"), 0);
    EXPECT_FALSE(gStringList.on);
    EXPECT_EQ(rowTexts(), (std::vector<std::string>{"delta text", "echo text"}));
    EXPECT_EQ(load("CHARLIE"), 0);
    EXPECT_EQ(closeStringList(), 0);
    EXPECT_FALSE(gStringList.on);
    EXPECT_EQ(gStringList.entries, nullptr);
    EXPECT_EQ(tableCount(), 524u);
    EXPECT_EQ(rowTexts(), (std::vector<std::string>{"delta text", "echo text"}));
    EXPECT_EQ(closeStringList(), 7001);
    EXPECT_EQ(load(""), 0);
    EXPECT_FALSE(gStringList.on);
}

// Each allocation of a load of 2,000 rows failing in turn: the load fails,
// with the earlier list closed all the same.
TEST_F(StringListTest, RunningOutOfMemoryWhileTheRowsGrow) {
    ASSERT_EQ(openGenerated(threeTables('@')), 0);
    ASSERT_NE(findEntry("ALPHA", 0), nullptr);  // the name index is built now
    std::string many;
    for (int i = 0; i < 1000; ++i) many += "ALPHA BRAVO ";
    const std::string path = write("many.lst", many);
    std::set<int> codes;
    for (uint32_t nth = 1;; ++nth) {
        ASSERT_EQ(load("DELTA"), 0);
        faultReset();
        faultArm(FAULT_ALLOC, nth);
        const int r = loadStringList(path.c_str());
        if (faultCalls(FAULT_ALLOC) < nth) break;
        codes.insert(r);
        EXPECT_TRUE(!gStringList.on && rowCount() == 0) << nth;
    }
    faultReset();
    EXPECT_EQ(rowCount(), 2000u);
    EXPECT_EQ(codes, (std::set<int>{6004, 6006}));
}

}  // namespace
