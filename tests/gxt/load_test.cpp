#include <gtest/gtest.h>

#include <cstring>

#include "gxt/gxt.h"
#include "gxt_test_util.h"
#include "test_support.h"

namespace {

void expectClosed() {
    EXPECT_FALSE(gDocument.loaded);
    EXPECT_EQ(gDocument.tables, nullptr);
    EXPECT_EQ(gDocument.image, nullptr);
    EXPECT_EQ(gDocument.rawText, nullptr);
    EXPECT_EQ(gDocument.formatVariant, 0);
    EXPECT_EQ(gDocument.keyScheme, 0);
    EXPECT_EQ(gDocument.currentTable, -1);
    EXPECT_EQ(tableCount(), 0u);
    EXPECT_EQ(rowCount(), 0u);
    EXPECT_EQ(rowText(0), nullptr);
}

std::vector<std::string> rowTexts() {
    std::vector<std::string> out;
    for (uint32_t r = 0; r < rowCount(); ++r) out.push_back(rowText(r));
    return out;
}

}  // namespace

class Loading : public CoreTest {};

TEST_F(Loading, EveryLayoutListsItsTablesEntriesAndTexts) {
    for (char v : {'0', '1', '2', '@'}) {
        GenDocument doc = oneTable(v, {{"HELLO", "Hello, world"}, {"BYE", "~r~Bye~n~now"}}, "FIRST");
        if (v != '0') doc.tables.push_back({"SECOND", {{"X1", 0, "second table"}}});
        ASSERT_EQ(openGenerated(doc), 0) << v;
        EXPECT_EQ(gDocument.formatVariant, v);
        ASSERT_EQ(tableCount(), genTableCount(v));
        char name[9] = {};
        tableName(0, name);
        EXPECT_STREQ(name, v == '0' ? "MAIN" : "FIRST");
        EXPECT_EQ(rowCount(), 0u);  // no table selected yet
        ASSERT_TRUE(selectTable(0));
        EXPECT_EQ(rowTexts(), (std::vector<std::string>{"Hello, world", "~r~Bye~n~now"}));
        if (v == '0' || v == '1') {
            EXPECT_STREQ(rowKeyName(0), "HELLO");
            EXPECT_EQ(rowHashName(0), nullptr);
        } else {
            EXPECT_EQ(rowKeyName(0), nullptr);
            EXPECT_EQ(rowHash(0), genKeyHash(v, "HELLO"));
            char printed[16];
            snprintf(printed, sizeof printed, "%08x", genKeyHash(v, "HELLO"));
            EXPECT_STREQ(rowHashName(0), printed);
        }
        if (v != '0') {
            ASSERT_TRUE(selectTable(1));
            EXPECT_EQ(rowTexts(), std::vector<std::string>{"second table"});
            tableName(1, name);
            EXPECT_STREQ(name, "SECOND");
            // Padding tables are empty.
            ASSERT_TRUE(selectTable(tableCount() - 1));
            EXPECT_EQ(rowCount(), 0u);
        }
        EXPECT_FALSE(selectTable(tableCount()));
        closeDocument();
        expectClosed();
    }
}

TEST_F(Loading, NamesOfEightLettersAndPrintedHashes) {
    ASSERT_EQ(openGenerated(oneTable('1', {{"ABCDEFGH", "x"}})), 0);
    selectTable(0);
    EXPECT_STREQ(rowKeyName(0), "ABCDEFGH");
    EXPECT_TRUE(entryNameKnown(&gDocument.tables[0].entries[0]));
    closeDocument();

    GenDocument doc = oneTable('@', {});
    doc.tables[0].entries.push_back({"", 255, "y"});
    ASSERT_EQ(openGenerated(doc), 0);
    selectTable(0);
    EXPECT_STREQ(rowHashName(0), "000000ff");
    EXPECT_EQ(rowHash(0), 255u);
    EXPECT_FALSE(entryNameKnown(&gDocument.tables[0].entries[0]));
}

TEST_F(Loading, RowsFollowTheStringsInTheFile) {
    GenDocument doc = oneTable('@', {{"A", "first"}, {"B", "second"}, {"C", "third"}});
    GenOptions reverse;
    reverse.order = GenStringOrder::Reverse;
    ASSERT_EQ(openGenerated(doc, reverse), 0);
    selectTable(0);
    EXPECT_EQ(rowTexts(), (std::vector<std::string>{"third", "second", "first"}));
    EXPECT_EQ(entryAtRow(0), &gDocument.tables[0].entries[2]);
    closeDocument();

    // Records sharing a string give rows with the same text, in record order.
    GenDocument shared = oneTable('2', {{"A", "same"}, {"B", "other"}, {"C", "same"}});
    GenOptions share;
    share.shareEqualTexts = true;
    ASSERT_EQ(openGenerated(shared, share), 0);
    selectTable(0);
    EXPECT_EQ(rowTexts(), (std::vector<std::string>{"same", "same", "other"}));
    EXPECT_EQ(rowHash(0), genKeyHash('2', "A"));
    EXPECT_EQ(rowHash(1), genKeyHash('2', "C"));
}

TEST_F(Loading, TwoByteCharactersKeepTheirLowByte) {
    // One record "A" at offset 0; units 0x0141 0x0100 0x0042 0x0000.
    std::vector<uint8_t> f(16 + 12 + 8, 0);
    put32le(f, 0, kTagTkey);
    put32le(f, 4, 12);
    f[12] = 'A';
    put32le(f, 20, kTagTdat);
    put32le(f, 24, 8);
    const uint8_t units[8] = {0x41, 0x01, 0x00, 0x01, 0x42, 0x00, 0x00, 0x00};
    memcpy(&f[28], units, 8);
    ASSERT_EQ(openBytes(f), 0);
    selectTable(0);
    EXPECT_STREQ(rowText(0), "A");
    EXPECT_EQ(gDocument.tables[0].entries[0].storedLength, 2);
    EXPECT_EQ(gDocument.textTotal, 4u);
}

TEST_F(Loading, TextPositionsStartAgainForEachDocument) {
    // 2-byte layouts, whose texts have a buffer of their own.
    ASSERT_EQ(openGenerated(oneTable('1', {{"A", "one"}, {"B", "two"}})), 0);
    ASSERT_TRUE(selectTable(0));
    EXPECT_EQ(gDocument.currentTable, 0);
    // Loading another document closes this one first.
    ASSERT_EQ(openGenerated(oneTable('0', {{"C", "three"}})), 0);
    EXPECT_EQ(gDocument.currentTable, -1);
    EXPECT_EQ(gDocument.tables[0].entries[0].textPos, 0);
    EXPECT_EQ(gDocument.textTotal, 6u);
}

TEST_F(Loading, FileSizeLimit) {
    // 0xFFFFFF bytes is accepted: an empty '0' table with a large string area.
    std::vector<uint8_t> f(0xFFFFFF, 0);
    put32le(f, 0, kTagTkey);
    put32le(f, 8, kTagTdat);
    put32le(f, 12, 0xFFFFFF - 16);
    ASSERT_EQ(openBytes(f), 0);
    EXPECT_EQ(gDocument.textTotal, (0xFFFFFFu - 16) / 2);
    f.push_back(0);
    EXPECT_EQ(openBytes(f), 2003);
    expectClosed();
}

TEST_F(Loading, EntryCountLimit) {
    GenDocument doc = oneTable('2', {});
    for (uint32_t i = 0; i < 65535; ++i) doc.tables[0].entries.push_back({"", i + 1, ""});
    std::vector<uint8_t> f = generateGxt(doc);
    ASSERT_EQ(openBytes(f), 0);
    EXPECT_EQ(gDocument.tables[0].entryCount, 65535u);
    closeDocument();
    doc.tables[0].entries.push_back({"", 70000, ""});
    EXPECT_EQ(openBytes(generateGxt(doc)), 2007);
    expectClosed();
}

TEST_F(Loading, UnknownLayoutsAreRefused) {
    EXPECT_EQ(openBytes({}), 2006);
    expectClosed();
    EXPECT_EQ(openBytes(bytesOf("TABL")), 2006);
    EXPECT_EQ(openBytes(bytesOf("hello, this is not a GXT file")), 2006);
    EXPECT_EQ(gDocument.heap, nullptr);
    EXPECT_EQ(openDocument(dir.file("missing.gxt").c_str()), 2001);
    EXPECT_EQ(openDocument(nullptr), 2001);
}

TEST_F(Loading, StructureOutsideTheFileIsRefused) {
    const std::vector<uint8_t> good = generateGxt(oneTable('@', {{"A", "alpha"}, {"B", "beta"}}));
    const size_t tkey = firstTkey('@');
    ASSERT_EQ(openBytes(good), 0);
    closeDocument();

    auto refused = [&](std::vector<uint8_t> bad, const char* what) {
        EXPECT_EQ(openBytes(bad), 2007) << what;
        expectClosed();
    };
    std::vector<uint8_t> bad = good;
    put32le(bad, 4 + 8 + 12 + 8, 0x00FFFFF0);  // second table record offset
    refused(bad, "table offset past the end");
    bad = good;
    put32le(bad, tkey + 4, 8 * 60000);
    refused(bad, "key records past the end");
    bad = good;
    put32le(bad, tkey + 12 + 16, 0xFFFFFFFF);
    refused(bad, "string data past the end");
    bad = good;
    put32le(bad, tkey + 8, 100);
    refused(bad, "string offset past the string data");
    bad = good;
    put32le(bad, tkey + 8, 11);  // "alpha\0beta\0" is 11 bytes
    refused(bad, "string offset at the end of the data");
    bad = good;
    bad[tkey + 16 + 16 + 10] = 'X';  // the terminator of "beta"
    refused(bad, "last string without its terminator");
    // A short TABL chunk that claims 524 records.
    refused(std::vector<uint8_t>(bad.begin(), bad.begin() + 100), "table records past the end");
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
    } cases[] = {
        {2, 3, 10000, 0},       // 30 KB of text claimed twice in a 49 KB file
        {524, 1000, 20, 0},
        {524, 65535, 0, 2007},  // 34 million entries: gigabytes
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.sharing << " tables, " << c.entries << " entries");
        GenDocument doc = oneTable('@', {}, "SHARED");
        for (uint32_t k = 0; k < c.entries; ++k)
            doc.tables[0].entries.push_back({"", k + 1, std::string(c.textLength, (char)('a' + k % 26))});
        std::vector<uint8_t> f = generateGxt(doc);
        const uint32_t block = get32le(f, 4 + 8 + 8);
        for (uint32_t i = 1; i < c.sharing; ++i) put32le(f, 4 + 8 + 12 * i + 8, block - 8);
        ASSERT_EQ(openBytes(f), c.expected);
        if (c.expected != 0) {
            expectClosed();
            continue;
        }
        selectTable(0);
        const std::vector<std::string> shared = rowTexts();
        ASSERT_EQ(shared.size(), c.entries);
        selectTable(c.sharing - 1);
        EXPECT_EQ(rowTexts(), shared);
        // Saved, every table gets its own block, and reads back the same.
        const std::string path = dir.file("resaved.gxt");
        ASSERT_EQ(saveDocument(path.c_str()), 0);
        ASSERT_EQ(openDocument(path.c_str()), 0);
        selectTable(c.sharing - 1);
        EXPECT_EQ(rowTexts(), shared);
    }
}

TEST_F(Loading, TruncatedFilesNeverLoadPartly) {
    for (char v : {'0', '1', '2', '@'}) {
        GenDocument doc = randomDocument(v, 7, 6, true);
        std::vector<uint8_t> f = generateGxt(doc);
        // Every cut of the last table's data, and a sample of the rest.
        for (size_t len = 0; len < f.size(); len += (len + 40 < f.size() ? 37 : 1)) {
            std::vector<uint8_t> cut(f.begin(), f.begin() + len);
            int r = openBytes(cut);
            EXPECT_TRUE(r == 2006 || r == 2007) << v << " " << len << " " << r;
            expectClosed();
        }
    }
}

TEST_F(Loading, EachStepFailingGivesItsCodeAndLeavesNothingLoaded) {
    const std::string path = write("ok.gxt", generateGxt(oneTable('1', {{"A", "x"}, {"B", "yy"}})));
    struct Case {
        FaultPoint point;
        int expected;
    } cases[] = {{FAULT_HEAP_CREATE, 2000}, {FAULT_OPEN, 2001}, {FAULT_SIZE, 2002}, {FAULT_READ, 2005}};
    for (const Case& c : cases) {
        faultArm(c.point, 1);
        EXPECT_EQ(openDocument(path.c_str()), c.expected);
        expectClosed();
        faultReset();
        ASSERT_EQ(openDocument(path.c_str()), 0);
        closeDocument();
    }
    EXPECT_EQ(gDocument.heap, nullptr);
}

TEST_F(Loading, EveryAllocationFailingGivesItsCode) {
    const std::string path = write("ok.gxt", generateGxt(oneTable('0', {{"A", "x"}, {"B", "yy"}})));
    // Allocation order: image, tables, the entries of all tables and their
    // key names (the UI thread); raw text, display text and the sorting
    // scratch (the worker; rows already in order need no order array).
    const int expected[] = {2004, 2007, 2007, 2007, 2208, 2208, 2208, 0};
    for (uint32_t n = 1; n <= 8; ++n) {
        faultReset();
        faultArm(FAULT_ALLOC, n);
        EXPECT_EQ(openDocument(path.c_str()), expected[n - 1]) << n;
        if (expected[n - 1] != 0) expectClosed();
        closeDocument();
    }
}

TEST_F(Loading, OverlappingStringsShowWhatIsSaved) {
    // Two-byte layout: a record at offset 0 reads the low bytes "AB", one at
    // offset 1 reads the high bytes "xyz"; both start at character 0, and
    // the second copy overwrites the first one's text and terminator.
    std::vector<uint8_t> f(16 + 24 + 8, 0);
    put32le(f, 0, kTagTkey);
    put32le(f, 4, 24);
    put32le(f, 8, 0);
    f[12] = 'L';
    put32le(f, 20, 1);
    f[24] = 'H';
    put32le(f, 32, kTagTdat);
    put32le(f, 36, 8);
    const uint8_t units[8] = {'A', 'x', 'B', 'y', 0, 'z', 0, 0};
    memcpy(&f[40], units, 8);
    ASSERT_EQ(openBytes(f), 0);
    selectTable(0);
    ASSERT_EQ(rowCount(), 2u);
    for (uint32_t r = 0; r < 2; ++r) {
        EXPECT_STREQ(rowText(r), "xyz");
        EXPECT_NE(rowKeyName(r), nullptr);
    }
    EXPECT_EQ(gDocument.tables[0].entries[0].storedLength, 4);
    // Saved and read again, both keys keep the text they showed.
    const std::string path = dir.file("resaved.gxt");
    ASSERT_EQ(saveDocument(path.c_str()), 0);
    ASSERT_EQ(openDocument(path.c_str()), 0);
    selectTable(0);
    EXPECT_STREQ(rowText(0), "xyz");
    EXPECT_STREQ(rowText(1), "xyz");
}
