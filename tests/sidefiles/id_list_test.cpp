// ID lists: the tokens of a list, the lookup that names hashed entries, the
// export of known names, and every failure of the export.
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
    int importList(const std::string& text) { return importIds(write("names.ids", text).c_str()); }
};

// The names a list gives: tokens between any bytes outside 0x21..0x7F, cut
// at the layout's name limit, looked up with its hash (which folds ASCII
// case), kept as written, and only for the first table holding the hash.
TEST_F(IdListTest, ImportNamesTheEntriesItsTokensFind) {
    const std::string first32 = "ABCDEFGHIJKLMNOPQRSTUVWXYZ012345";
    const GenDocument longNames = makeDocument('@', {{"T", {{first32, 0, "x"}, {"TAIL_END", 0, "y"}}}});
    const GenDocument shortNames = makeDocument('2', {{"T", {{"ABCDEFGH", 0, "x"}, {"IJKL", 0, "y"}}}});
    const struct {
        GenDocument doc;
        std::string list;
        std::vector<std::string> named;
    } cases[] = {
        {twoTables(), "ALPHA\r\nBRAVO\nCHARLIE", {"ALPHA", "BRAVO", "CHARLIE"}},
        {twoTables(), std::string("\t ALPHA\rBRAVO\0\x80\xff" "CHARLIE\x01  ", 26), {"ALPHA", "BRAVO", "CHARLIE"}},
        {twoTables(), "alpha Bravo DELTA", {"alpha", "Bravo"}},
        {twoTables('2'), "alpha Bravo DELTA", {"alpha", "Bravo"}},
        {twoTables(), "", {}},
        {twoTables(), " \r\n\t\x7f\x01", {}},  // 0x7F is a token byte, but matches nothing
        {longNames, first32 + "TAIL_END\r\n", {first32, "TAIL_END"}},
        {shortNames, "ABCDEFGHIJKL", {"ABCDEFGH", "IJKL"}},
        {makeDocument('1', {{"T", {{"ALPHA", 0, "a"}}}}), "alpha", {"ALPHA"}},  // named: nothing changes
    };
    for (const auto& c : cases) {
        ASSERT_EQ(openGenerated(c.doc), 0);
        EXPECT_EQ(importList(c.list), 0);
        EXPECT_EQ(knownNames(), c.named) << c.list;
    }
    // The table holding SHARED second stays unnamed. A known name is kept:
    // ALPHA as if the guess dialog had found it, same hash, other spelling.
    ASSERT_EQ(openGenerated(twoTables()), 0);
    ASSERT_EQ(setEntryName(findEntry("ALPHA", 0), "alpha"), 1);
    ASSERT_EQ(importList("SHARED ALPHA ALPHA BRAVO BRAVO"), 0);
    EXPECT_EQ(knownNames(), (std::vector<std::string>{"alpha", "BRAVO", "SHARED"}));
}

// Known names in table and row order; every failure leaves the old file.
TEST_F(IdListTest, ExportFailuresLeaveTheOldFile) {
    const std::string path = write("out.ids", "OLD\r\n");
    EXPECT_EQ(exportIds(nullptr), 5000);
    EXPECT_EQ(exportIds(path.c_str()), 5001);  // no document

    // Without names the file is emptied; a named layout lists every key.
    ASSERT_EQ(openGenerated(makeDocument('0', {{"MAIN", {{"FIRST", 0, "1"}, {"SECOND", 0, "2"}}}})), 0);
    EXPECT_EQ(exportIds(path.c_str()), 0);
    EXPECT_EQ(fileText(path), "FIRST\r\nSECOND\r\n");
    ASSERT_EQ(openGenerated(twoTables(), {GenStringOrder::Reverse}), 0);
    EXPECT_EQ(exportIds(path.c_str()), 0);
    EXPECT_EQ(fileText(path), "");
    ASSERT_EQ(setEntryName(&entryAt(1, 1), "SHARED"), 1);
    ASSERT_EQ(setEntryName(&entryAt(0, 0), "ALPHA"), 1);
    ASSERT_EQ(setEntryName(&entryAt(0, 2), "SHARED"), 1);
    write("out.ids", "OLD\r\n");
    EXPECT_EQ(exportFailing(exportIds, path), (std::set<int>{5001, 5002, 5003, 5004}));
    ASSERT_EQ(exportIds(path.c_str()), 0);
    // Strings in reverse record order: the rows, and so the names, run backwards.
    EXPECT_EQ(fileText(path), "SHARED\r\nALPHA\r\nSHARED\r\n");
}

}  // namespace
