#include <gtest/gtest.h>

#include <cstring>
#include <set>

#include "gxt/gxt.h"
#include "gxt_test_util.h"
#include "test_support.h"

namespace {

void expectClosed() {
    EXPECT_FALSE(gDocument.loaded);
    EXPECT_EQ(gDocument.tables, nullptr);
    EXPECT_EQ(gDocument.image, nullptr);
    EXPECT_EQ(gDocument.formatVariant, 0);
    EXPECT_EQ(gDocument.currentTable, -1);
    EXPECT_EQ(tableCount(), 0u);
    EXPECT_EQ(rowCount(), 0u);
    EXPECT_EQ(rowText(0), nullptr);
    EXPECT_TRUE(!entryAtRow(0) && !rowKeyName(0) && !rowHashName(0) && !rowLoadedText(0) && !selectTable(0));
}

}  // namespace

class Loading : public CoreTest {};

// Rows run by the position of their strings in the file; records sharing a
// string keep their record order, also in a run of falling positions.
TEST_F(Loading, RowsFollowTheStringsInTheFile) {
    const struct {
        GenOptions options;
        std::vector<std::pair<std::string, std::string>> entries;
        std::vector<std::string> rows;
    } cases[] = {
        {{GenStringOrder::Reverse}, {{"A", "1"}, {"B", "2"}, {"C", "3"}}, {"C=3", "B=2", "A=1"}},
        {{GenStringOrder::RecordOrder, true}, {{"A", "s"}, {"B", "o"}, {"C", "s"}}, {"A=s", "C=s", "B=o"}},
        {{GenStringOrder::Reverse, true}, {{"A", "a"}, {"B", "s"}, {"C", "s"}, {"D", "d"}},
         {"D=d", "B=s", "C=s", "A=a"}},
        {{GenStringOrder::Reverse, true}, {{"A", "s"}, {"B", "s"}}, {"A=s", "B=s"}},
    };
    // Two-byte layouts copy the strings out; 1-byte ones read them in place.
    for (char v : {'1', '2'})
        for (const auto& c : cases) {
            ASSERT_EQ(openGenerated(oneTable(v, c.entries), c.options), 0);
            selectTable(0);
            std::vector<std::string> expected = c.rows;
            char hash[9];
            if (v == '2')
                for (std::string& row : expected) {
                    snprintf(hash, sizeof hash, "%08x", genKeyHash(v, row.substr(0, row.find('=')).c_str()));
                    row = hash + row.substr(row.find('='));
                }
            EXPECT_EQ(rows(), expected) << v;
        }
}

// Two-byte characters keep their low byte, and a unit with the low byte 0
// ends the string. Overlapping strings: a record at offset 0 reads the low
// bytes "AB", one at offset 1 the high bytes "xyz"; both start at character
// 0, and the second copy overwrites the first one's text and terminator.
// Saved and read again, every key keeps the text it showed.
TEST_F(Loading, TwoByteStringsShowWhatIsSaved) {
    const struct {
        std::vector<uint8_t> file;
        std::vector<std::string> rows;
    } cases[] = {
        {namedFile({{0, "A"}, {4, "B"}}, {0x41, 0x01, 0x00, 0x01, 0x42, 0x00, 0x00, 0x00}), {"A=A", "B=B"}},
        {namedFile({{0, "L"}, {1, "H"}}, {'A', 'x', 'B', 'y', 0, 'z', 0, 0}), {"L=xyz", "H=xyz"}},
    };
    for (const auto& c : cases) {
        ASSERT_EQ(openBytes(c.file), 0);
        selectTable(0);
        EXPECT_EQ(rows(), c.rows);
        const std::string path = dir.file("resaved.gxt");
        ASSERT_EQ(saveDocument(path.c_str()), 0);
        ASSERT_EQ(openDocument(path.c_str()), 0);
        selectTable(0);
        EXPECT_EQ(rows(), c.rows);
    }
}

TEST_F(Loading, SizeAndEntryLimits) {
    // 0xFFFFFF bytes is accepted: an empty '0' table with a large string area.
    std::vector<uint8_t> f(0xFFFFFF, 0);
    put32le(f, 0, kTagTkey);
    put32le(f, 8, kTagTdat);
    put32le(f, 12, 0xFFFFFF - 16);
    ASSERT_EQ(openBytes(f), 0);
    f.push_back(0);
    EXPECT_EQ(openBytes(f), 2003);
    expectClosed();

    GenDocument doc = oneTable('2', {});
    for (uint32_t i = 0; i < 65535; ++i) doc.tables[0].entries.push_back({"", i + 1, ""});
    ASSERT_EQ(openGenerated(doc), 0);
    selectTable(0);
    EXPECT_EQ(rowCount(), 65535u);
    doc.tables[0].entries.push_back({"", 70000, ""});
    EXPECT_EQ(openGenerated(doc), 2007);
    expectClosed();
}

TEST_F(Loading, UnknownLayoutsAndStructureOutsideTheFileAreRefused) {
    const std::vector<uint8_t> good = generateGxt(oneTable('@', {{"A", "alpha"}, {"B", "beta"}}));
    const size_t tkey = 4 + 8 + 12 * genTableCount('@');  // header word, TABL, table records
    ASSERT_EQ(openBytes(good), 0);
    const struct {
        size_t at;
        uint32_t word;  // put at the offset, if not 0
        uint8_t byte;   // put at the offset, if not 0
        size_t cut;     // the file cut to this size, if not 0
        int code;
        const char* what;
    } cases[] = {
        {0, 0, 0, 0, 0, "the file as it is"},
        {4 + 8 + 12 + 8, 0x00FFFFF0, 0, 0, 2007, "table offset past the end"},
        {tkey + 4, 8 * 60000, 0, 0, 2007, "key records past the end"},
        {tkey + 12 + 16, 0xFFFFFFFF, 0, 0, 2007, "string data past the end"},
        {tkey + 8, 100, 0, 0, 2007, "string offset past the string data"},
        {tkey + 8, 11, 0, 0, 2007, "string offset at the end of the data"},  // "alpha\0beta\0"
        {tkey + 16 + 16 + 10, 0, 'X', 0, 2007, "last string without its terminator"},
        {0, 0, 0, 100, 2007, "table records past the end"},
        {0, 0, 0, 4, 2006, "the header word alone"},
        {0, 0x12345678, 0, 0, 2006, "another first word"},
    };
    for (const auto& c : cases) {
        std::vector<uint8_t> bad = good;
        if (c.word) put32le(bad, c.at, c.word);
        if (c.byte) bad[c.at] = c.byte;
        if (c.cut) bad.resize(c.cut);
        EXPECT_EQ(openBytes(bad), c.code) << c.what;
        if (c.code) expectClosed();
    }
    EXPECT_EQ(openBytes({}), 2006);
    EXPECT_EQ(gDocument.heap, nullptr);
    EXPECT_EQ(openDocument(dir.file("missing.gxt").c_str()), 2001);
    EXPECT_EQ(openDocument(nullptr), 2001);
}

TEST_F(Loading, TablesMayShareOneBlockWithinTheMemoryLimit) {
    // The first tables' records all point at the first table's block (a
    // later table's block starts with the 8-byte name copy, which is not
    // read). What they claim together may exceed the file; only the memory
    // the document would take bounds it.
    struct Case {
        uint32_t sharing;       // tables on the one block
        uint32_t entries;       // entries of the block
        uint32_t textLength;    // characters of each entry's text
        int expected;
        int resaved;            // the save of the opened document
    } cases[] = {
        {2, 3, 10000, 0, 0},    // 30 KB of text claimed twice in a 49 KB file
        {524, 1000, 20, 0, 0},
        {524, 65535, 0, 2007, 0},  // 34 million entries: gigabytes
        // 1024 entries of 29 bytes and 512 * 262,114 characters counted
        // twice: 1 KB under 256 MiB; a character more for each string is over.
        {512, 2, 131056, 0, 3004},
        {512, 2, 131057, 2007, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.sharing << " tables, " << c.entries << " entries");
        GenDocument doc = oneTable('@', {}, "SHARED");
        for (uint32_t k = 0; k < c.entries; ++k)
            doc.tables[0].entries.push_back({"", k + 1, std::string(c.textLength, (char)('a' + k % 26))});
        std::vector<uint8_t> f = generateGxt(doc);
        uint32_t block;
        memcpy(&block, &f[4 + 8 + 8], 4);
        for (uint32_t i = 1; i < c.sharing; ++i) put32le(f, 4 + 8 + 12 * i + 8, block - 8);
        ASSERT_EQ(openBytes(f), c.expected);
        if (c.expected != 0) {
            expectClosed();
            continue;
        }
        selectTable(0);
        const std::vector<std::string> shared = rows();
        ASSERT_EQ(shared.size(), c.entries);
        selectTable(c.sharing - 1);
        EXPECT_EQ(rows(), shared);
        // Saved, every table gets its own block (too large a file for the
        // tables at the limit), and reads back the same.
        const std::string path = dir.file("resaved.gxt");
        ASSERT_EQ(saveDocument(path.c_str()), c.resaved);
        if (c.resaved) continue;
        ASSERT_EQ(openDocument(path.c_str()), 0);
        selectTable(c.sharing - 1);
        EXPECT_EQ(rows(), shared);
    }
}

TEST_F(Loading, TruncatedFilesNeverLoadPartly) {
    for (char v : {'0', '1', '2', '@'}) {
        std::vector<uint8_t> f = generateGxt(randomDocument(v, 7, 6, true));
        // Every cut of the last table's data, and a sample of the rest.
        for (size_t len = 0; len < f.size(); len += (len + 40 < f.size() ? 37 : 1)) {
            int r = openBytes(std::vector<uint8_t>(f.begin(), f.begin() + len));
            EXPECT_TRUE(r == 2006 || r == 2007) << v << " " << len << " " << r;
            expectClosed();
        }
    }
}

// Every step of a load failing in turn, each allocation included: the code
// of the step, nothing left loaded, and the file opens once nothing fails.
TEST_F(Loading, EachStepFailingGivesItsCodeAndLeavesNothingLoaded) {
    const std::string path = write("ok.gxt", generateGxt(oneTable('0', {{"A", "x"}, {"B", "yy"}})));
    const struct {
        FaultPoint point;
        int expected;
    } cases[] = {{FAULT_HEAP_CREATE, 2000}, {FAULT_OPEN, 2001}, {FAULT_SIZE, 2002}, {FAULT_READ, 2005}};
    for (const auto& c : cases) {
        faultArm(c.point, 1);
        EXPECT_EQ(openDocument(path.c_str()), c.expected);
        expectClosed();
        faultReset();
    }
    EXPECT_EQ(gDocument.heap, nullptr);
    // The image (2004), the tables (2007), the strings (2208, on the worker).
    std::set<int> codes;
    uint32_t n = 1;
    for (;; ++n) {
        faultReset();
        faultArm(FAULT_ALLOC, n);
        const int r = openDocument(path.c_str());
        if (r == 0) break;
        codes.insert(r);
        EXPECT_TRUE(r == 2004 || r == 2007 || r == 2208) << n << " " << r;
        EXPECT_TRUE(r != 2208 || gDocument.heap == nullptr) << n;  // the worker's failure frees the document
        expectClosed();
    }
    EXPECT_EQ(codes, (std::set<int>{2004, 2007, 2208}));
    selectTable(0);
    EXPECT_EQ(rows(), (std::vector<std::string>{"A=x", "B=yy"}));
}
