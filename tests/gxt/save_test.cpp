#include <gtest/gtest.h>

#include <cstring>

#include "decode/decode_table.h"
#include "gxt/gxt.h"
#include "gxt_test_util.h"
#include "test_support.h"

class Saving : public CoreTest {
protected:
    // The document saved to a file and read back; the image built in memory
    // must hold the same bytes.
    std::vector<uint8_t> saved() {
        uint32_t size = 0;
        uint8_t* image = buildImage(&size);
        EXPECT_NE(image, nullptr);
        if (!image) return {};
        std::vector<uint8_t> built(image, image + size);
        documentFree(image);
        const std::string path = dir.file("saved.gxt");
        EXPECT_EQ(saveDocument(path.c_str()), 0);
        std::vector<uint8_t> out = readFileBytes(path);
        EXPECT_TRUE(out == built) << "saveDocument and buildImage differ";
        return out;
    }
};

TEST_F(Saving, CanonicalFilesComeBackByteForByte) {
    for (char v : {'0', '1', '2', '@'}) {
        for (uint32_t seed = 1; seed <= 6; ++seed) {
            std::vector<uint8_t> f = generateGxt(randomDocument(v, seed, 30));
            ASSERT_EQ(openBytes(f), 0) << v << seed;
            selectTable(0);
            setRowName(0, "FOUND");  // a name found for a hashed key is not written
            EXPECT_EQ(saved(), f) << v << " seed " << seed;
            closeDocument();
        }
    }
    // Tables whose key records and strings outgrow the save's staging
    // buffer, with strings in record order and in reverse.
    for (char v : {'1', '@'}) {
        GenDocument doc = oneTable(v, {});
        for (uint32_t i = 0; i < 7000; ++i) doc.tables[0].entries.push_back({"K" + std::to_string(i), 0, "text " + std::to_string(i)});
        doc.tables[0].entries[3].text = std::string(40000, 'x');
        for (GenStringOrder order : {GenStringOrder::RecordOrder, GenStringOrder::Reverse}) {
            GenOptions options;
            options.order = order;
            std::vector<uint8_t> f = generateGxt(doc, options);
            ASSERT_EQ(openBytes(f), 0) << v;
            EXPECT_TRUE(saved() == f) << v << " large table";
            closeDocument();
        }
    }
    // A 2-byte string longer than two pieces of the staging buffer, and one
    // that ends at a piece's end.
    std::string letters;
    for (uint32_t i = 0; i < 70001; ++i) letters += (char)('a' + i % 26);
    std::vector<uint8_t> f = generateGxt(oneTable('1', {{"LONG", letters}, {"EDGE", letters.substr(0, 32767)}}));
    ASSERT_EQ(openBytes(f), 0);
    EXPECT_TRUE(saved() == f) << "long 2-byte strings";
}

// Strings in the reverse order of their records, an eight-letter name and
// stray high bytes: the records stay where they were, each with its string's
// new offset; the strings are packed in their file order with zero high
// bytes, an edited one at its new length.
TEST_F(Saving, RecordsKeepTheirPlaceAndStringsTheirOrder) {
    const std::vector<uint8_t> file = namedFile({{10, "A"}, {6, "ABCDEFGH"}, {0, "C"}},
                                                {'c', 0, 'c', 7, 0, 0, 'b', 1, 0, 0, 'a', 0, 0, 0});
    ASSERT_EQ(openBytes(file), 0);
    EXPECT_EQ(saved(), namedFile({{10, "A"}, {6, "ABCDEFGH"}, {0, "C"}},
                                 {'c', 0, 'c', 0, 0, 0, 'b', 0, 0, 0, 'a', 0, 0, 0}));
    selectTable(0);
    ASSERT_STREQ(rowText(1), "b");
    ASSERT_EQ(setRowText(1, "bbb", 3), 1);
    EXPECT_EQ(saved(), namedFile({{14, "A"}, {6, "ABCDEFGH"}, {0, "C"}},
                                 {'c', 0, 'c', 0, 0, 0, 'b', 0, 'b', 0, 'b', 0, 0, 0, 'a', 0, 0, 0}));
}

TEST_F(Saving, SaveDocumentCodesAndTheOldFileSurvivesFailures) {
    EXPECT_EQ(saveDocument(nullptr), 3000);
    EXPECT_EQ(saveDocument(dir.file("none.gxt").c_str()), 3001);
    ASSERT_EQ(openGenerated(oneTable('2', {{"A", "first"}})), 0);
    const std::string target = write("target.gxt", std::string("previous contents"));
    selectTable(0);
    ASSERT_EQ(setRowText(0, "edited", 6), 1);
    struct Case {
        FaultPoint point;
        int expected;
        bool notReplaced;  // written in full, but the target could not be replaced
    } cases[] = {{FAULT_ALLOC, 3001, false},
                 {FAULT_CREATE, 3002, false},
                 {FAULT_WRITE, 3003, false},
                 {FAULT_FINISH, 3003, false},
                 {FAULT_REPLACE, 3003, true}};
    for (const Case& c : cases) {
        faultArm(c.point, 1);
        EXPECT_EQ(saveDocument(target.c_str()), c.expected) << c.point;
        EXPECT_EQ(lastSaveNotReplaced(), c.notReplaced) << c.point;
        EXPECT_EQ(textOf(readFileBytes(target)), "previous contents");
        faultReset();
    }
    // The document is unchanged by the failures.
    EXPECT_STREQ(rowText(0), "edited");
    ASSERT_EQ(saveDocument(target.c_str()), 0);
    closeDocument();
    ASSERT_EQ(openDocument(target.c_str()), 0);
    selectTable(0);
    EXPECT_STREQ(rowText(0), "edited");
    EXPECT_EQ(saveDocument(dir.path.c_str()), 3002);  // a directory cannot be replaced
}

TEST_F(Saving, AFileTooLargeToOpenAgainIsNeverWritten) {
    // Keys A and B share a string of 6,000,000 characters, which the saved
    // file holds twice. In the last of 127 tables (no padding after it),
    // the saved file has 1536 + 16 + 125 * 24 + 24 + 4 * 8 + 16 bytes of
    // structure and 2 * 6000001 + (kFill + 1) + 2 of strings: 0xFFFFFF, the
    // largest file the loader takes, while D's text is "d".
    const uint32_t kFill = 4772602;
    GenDocument doc;
    doc.variant = '2';
    for (int i = 0; i < 126; ++i) doc.tables.push_back({"T" + std::to_string(i), {}});
    doc.tables.push_back({"BIG", {{"A", 0, std::string(6000000, 'x')},
                                  {"B", 0, std::string(6000000, 'x')},
                                  {"C", 0, std::string(kFill, 'y')},
                                  {"D", 0, "d"}}});
    GenOptions share;
    share.shareEqualTexts = true;
    ASSERT_EQ(openGenerated(doc, share), 0);
    const std::string target = write("target.gxt", std::string("previous contents"));
    ASSERT_EQ(selectTable(126), 1);
    ASSERT_STREQ(rowText(3), "d");

    // One more character and the file would be 16 MiB: nothing is created.
    ASSERT_EQ(setRowText(3, "dd", 2), 1);
    faultReset();
    EXPECT_EQ(saveDocument(target.c_str()), 3004);
    EXPECT_EQ(saveDocument(dir.file("new.gxt").c_str()), 3004);
    EXPECT_EQ(faultCalls(FAULT_CREATE), 0u);
    EXPECT_EQ(textOf(readFileBytes(target)), "previous contents");
    EXPECT_EQ(fileOpenRead(dir.file("new.gxt").c_str()), nullptr);
    EXPECT_STREQ(rowText(3), "dd");

    ASSERT_EQ(setRowText(3, "d", 1), 1);
    ASSERT_EQ(saveDocument(target.c_str()), 0);
    EXPECT_EQ(readFileBytes(target).size(), 0xFFFFFFu);
    ASSERT_EQ(openDocument(target.c_str()), 0);
    selectTable(126);
    EXPECT_EQ(rowCount(), 4u);
    EXPECT_STREQ(rowText(3), "d");
    EXPECT_EQ(rowText(1), std::string(6000000, 'x'));  // the shared string, written for each key
}
