#include <gtest/gtest.h>

#include <cstring>

#include "decode/decode_table.h"
#include "gxt/gxt.h"
#include "test_support.h"

namespace {

std::string decoded(const std::string& bytes) {
    std::string out(bytes.size(), '?');
    decodeTable::decode(gDecodeTable, out.data(), bytes.data(), (uint32_t)bytes.size());
    return out;
}

bool isPermutation() {
    bool seen[256] = {};
    for (int i = 0; i < kDecodeSlots; ++i) {
        uint8_t c = gDecodeTable.slots[i].character;
        if (c < 32 || seen[c] || gDecodeTable.slots[i].terminator != 0) return false;
        seen[c] = true;
    }
    return true;
}

std::vector<uint8_t> tableBytes() {
    std::vector<uint8_t> out;
    for (int i = 0; i < kDecodeSlots; ++i) out.push_back(gDecodeTable.slots[i].character);
    return out;
}

std::vector<uint8_t> descending() {
    std::vector<uint8_t> out;
    for (int c = 255; c >= 32; --c) out.push_back((uint8_t)c);
    return out;
}

// The identity but for a three-cycle: the code 'a' shows 'o', 'o' shows 'e'
// and 'e' shows 'a'. Unlike a reversal it is not its own inverse.
std::vector<uint8_t> threeCycle() {
    std::vector<uint8_t> out;
    for (int c = 32; c < 256; ++c) out.push_back((uint8_t)c);
    out['a' - 32] = 'o';
    out['o' - 32] = 'e';
    out['e' - 32] = 'a';
    return out;
}

}  // namespace

class DecodeTableTest : public CoreTest {
protected:
    // Saves the open document to a file and reads the file's bytes back.
    std::vector<uint8_t> savedFile() {
        const std::string path = dir.file("saved.gxt");
        EXPECT_EQ(saveDocument(path.c_str()), 0);
        return readFileBytes(path);
    }
};

TEST_F(DecodeTableTest, IdentityAfterResetAndExportWritesEachCodesCharacter) {
    std::string all;
    for (int c = 32; c < 256; ++c) all += (char)c;
    EXPECT_EQ(decoded(all), all);
    const std::string path = dir.file("out.tbl");
    ASSERT_EQ(exportTbl(path.c_str()), 0);
    std::vector<uint8_t> expected(all.begin(), all.end());
    EXPECT_EQ(readFileBytes(path), expected);
    // A three-cycle made in the table is written as it is, not inverted.
    decodeTable::assign('a', 'o');
    decodeTable::assign('o', 'e');
    ASSERT_EQ(exportTbl(path.c_str()), 0);
    EXPECT_EQ(readFileBytes(path), threeCycle());
}

TEST_F(DecodeTableTest, AssignExchangesTwoSlots) {
    decodeTable::assign(65, 66);
    EXPECT_EQ(decoded("AB"), "BA");
    EXPECT_EQ(gDecodeTable.slots[65 - 32].character, 'B');
    EXPECT_EQ(gDecodeTable.slots[66 - 32].character, 'A');
    // Continuing: a three-cycle.
    decodeTable::assign(65, 68);
    EXPECT_EQ(decodeTable::displayOf(65), 68);
    EXPECT_EQ(decodeTable::displayOf(68), 66);
    EXPECT_EQ(decodeTable::displayOf(66), 65);
    EXPECT_TRUE(isPermutation());
    // Codes and characters below 32, and no-op assignments, change nothing.
    std::vector<uint8_t> before = tableBytes();
    decodeTable::assign(10, 65);
    decodeTable::assign(65, 10);
    decodeTable::assign(65, 68);
    EXPECT_EQ(tableBytes(), before);
}

TEST_F(DecodeTableTest, ControlCodesAndZerosPassThrough) {
    decodeTable::assign(65, 66);
    std::string bytes("\x00\x01\x1f" "A\x00", 5);
    EXPECT_EQ(decoded(bytes), std::string("\x00\x01\x1f" "B\x00", 5));
    char out[8] = {};
    EXPECT_EQ(decodeTable::encode(gDecodeTable, out, "\x01\x1f" "B", 1, 10), 3u);
    EXPECT_EQ(std::string(out), "\x01\x1f" "A");
    decodeTable::decode(gDecodeTable, nullptr, "x", 1);  // harmless
}

TEST_F(DecodeTableTest, EncodeWritesEveryWidthBytesAndStopsAtTheLimit) {
    char out[8];
    memset(out, 0, sizeof out);
    EXPECT_EQ(decodeTable::encode(gDecodeTable, out, "AB", 2, 100), 2u);
    EXPECT_EQ(0, memcmp(out, "A\0B\0\0\0", 6));
    memset(out, 0, sizeof out);
    EXPECT_EQ(decodeTable::encode(gDecodeTable, out, "ABCDEF", 1, 3), 3u);
    EXPECT_STREQ(out, "ABC");
}

TEST_F(DecodeTableTest, EncodingInvertsAnyTable) {
    // A three-cycle is not its own inverse; a read string still saves back
    // to the bytes it was read from.
    decodeTable::assign(65, 66);
    decodeTable::assign(65, 68);
    std::string raw = "ABCD xyz";
    std::string shown = decoded(raw);
    EXPECT_EQ(shown, "DACB xyz");
    char back[16] = {};
    decodeTable::encode(gDecodeTable, back, shown.c_str(), 1, 100);
    EXPECT_EQ(std::string(back), raw);
}

TEST_F(DecodeTableTest, DocumentsSaveBackWhatTheyReadUnderAnyTable) {
    GenDocument doc;
    doc.variant = '@';
    doc.tables.push_back({"T", {{"A", 0, "Alpha Beta"}, {"B", 0, "\xe0\xe1\xff ~r~"}}});
    const std::vector<uint8_t> file = generateGxt(doc);
    // An exchange (its own inverse), a three-cycle and a whole reversal.
    for (int variant = 0; variant < 3; ++variant) {
        decodeTable::reset();
        if (variant == 0) decodeTable::assign('A', 'B');
        if (variant == 1) {
            decodeTable::assign('A', 'B');
            decodeTable::assign('A', 'D');
        }
        if (variant == 2) {
            ASSERT_EQ(importTbl(write("rev.tbl", descending()).c_str()), 0);
        }
        ASSERT_EQ(openBytes(file), 0);
        EXPECT_EQ(savedFile(), file) << variant;
        // Edits to the table that are not applied change nothing saved.
        decodeTable::assign('e', 'o');
        decodeTable::assign('A', 'x');
        EXPECT_EQ(savedFile(), file) << variant;
        closeDocument();
    }
}

TEST_F(DecodeTableTest, EditedTextsSaveThroughTheAppliedTable) {
    // The row "Ape" is edited, "Beta" is not; then the table becomes a
    // three-cycle (A shows D, D shows B, B shows A), applied or not. The
    // saved file is read back under the identity.
    struct Case {
        bool apply;
        const char* edited;
        const char* loaded;
    } cases[] = {
        {false, "Ape", "Beta"},
        {true, "Bpe", "Beta"},  // 'A' is shown by the code 'B'
    };
    GenDocument doc;
    doc.variant = '1';
    doc.tables.push_back({"T", {{"A", 0, "Alpha"}, {"B", 0, "Beta"}}});
    for (const Case& c : cases) {
        decodeTable::reset();
        ASSERT_EQ(openGenerated(doc), 0);
        selectTable(0);
        ASSERT_EQ(setRowText(0, "Ape", 3), 1);
        decodeTable::assign('A', 'B');
        decodeTable::assign('A', 'D');
        if (c.apply) redecodeDocument();
        const std::vector<uint8_t> file = savedFile();
        closeDocument();
        decodeTable::reset();
        ASSERT_EQ(openBytes(file, "reopened.gxt"), 0);
        selectTable(0);
        EXPECT_STREQ(rowText(0), c.edited) << c.apply;
        EXPECT_STREQ(rowText(1), c.loaded) << c.apply;
        closeDocument();
    }
}

TEST_F(DecodeTableTest, RedecodingTheDocumentFollowsTheTable) {
    GenDocument doc;
    doc.variant = '2';
    doc.tables.push_back({"T", {{"A", 0, "AB"}, {"B", 0, "BA"}}});
    ASSERT_EQ(openGenerated(doc), 0);
    selectTable(0);
    decodeTable::assign('A', 'B');
    EXPECT_STREQ(rowText(0), "AB");  // nothing changes until applied
    redecodeDocument();
    EXPECT_STREQ(rowText(0), "BA");
    EXPECT_STREQ(rowText(1), "AB");
    // Applying again does not compound.
    redecodeDocument();
    EXPECT_STREQ(rowText(0), "BA");
    // An edited text is kept in display characters.
    ASSERT_EQ(setRowText(0, "AAA", 3), 1);
    decodeTable::reset();
    redecodeDocument();
    EXPECT_STREQ(rowText(0), "AAA");
    EXPECT_STREQ(rowText(1), "BA");
}

TEST_F(DecodeTableTest, ImportValidatesTheFirst224Bytes) {
    const std::vector<uint8_t> rev = descending();
    // Byte j of a file is the character shown for the code j + 32, whatever
    // the table held before; the three-cycle tells it from its inverse.
    for (const std::vector<uint8_t>& file : {rev, threeCycle()}) {
        decodeTable::assign('A', 'Q');
        ASSERT_EQ(importTbl(write("in.tbl", file).c_str()), 0);
        EXPECT_EQ(tableBytes(), file);
        EXPECT_TRUE(isPermutation());
        const std::string out = dir.file("out.tbl");
        ASSERT_EQ(exportTbl(out.c_str()), 0);
        EXPECT_EQ(readFileBytes(out), file);
    }
    EXPECT_EQ(decoded("a e o"), "o a e");

    // Longer files use their first 224 bytes.
    decodeTable::reset();
    std::vector<uint8_t> longer = rev;
    longer.resize(300, 5);
    EXPECT_EQ(importTbl(write("long.tbl", longer).c_str()), 0);
    EXPECT_EQ(tableBytes(), rev);

    decodeTable::reset();
    const std::vector<uint8_t> identity = tableBytes();
    std::vector<uint8_t> shortFile(rev.begin(), rev.end() - 1);
    EXPECT_EQ(importTbl(write("short.tbl", shortFile).c_str()), 7006);
    EXPECT_EQ(importTbl(write("empty.tbl", std::vector<uint8_t>{}).c_str()), 7006);
    std::vector<uint8_t> twice = rev;
    twice[100] = twice[0];
    EXPECT_EQ(importTbl(write("twice.tbl", twice).c_str()), 7007);
    std::vector<uint8_t> control = rev;
    control[100] = 10;
    EXPECT_EQ(importTbl(write("ctl.tbl", control).c_str()), 7006);
    // Both faults: the first one met decides.
    std::vector<uint8_t> both = rev;
    both[50] = both[0];
    both[150] = 10;
    EXPECT_EQ(importTbl(write("both1.tbl", both).c_str()), 7007);
    both = rev;
    both[50] = 10;
    both[150] = both[0];
    EXPECT_EQ(importTbl(write("both2.tbl", both).c_str()), 7006);
    EXPECT_EQ(tableBytes(), identity);
}

TEST_F(DecodeTableTest, ImportAndExportFailures) {
    const std::string good = write("rev.tbl", descending());
    const std::vector<uint8_t> identity = tableBytes();
    struct Case {
        FaultPoint point;
        int expected;
    } cases[] = {{FAULT_OPEN, 7001}, {FAULT_SIZE, 7002}, {FAULT_ALLOC, 7004}, {FAULT_READ, 7005}};
    for (const Case& c : cases) {
        faultArm(c.point, 1);
        EXPECT_EQ(importTbl(good.c_str()), c.expected);
        EXPECT_EQ(tableBytes(), identity);
        faultReset();
    }
    EXPECT_EQ(importTbl(dir.file("missing.tbl").c_str()), 7001);

    const std::string out = write("keep.tbl", std::string("old"));
    faultArm(FAULT_CREATE, 1);
    EXPECT_EQ(exportTbl(out.c_str()), 8001);
    faultArm(FAULT_WRITE, 1);
    EXPECT_EQ(exportTbl(out.c_str()), 8002);
    faultArm(FAULT_FINISH, 1);
    EXPECT_EQ(exportTbl(out.c_str()), 8002);
    EXPECT_EQ(textOf(readFileBytes(out)), "old");
    faultReset();
    EXPECT_EQ(exportTbl(dir.path.c_str()), 8001);
}
