#include <gtest/gtest.h>

#include <cstring>

#include "decode/decode_table.h"
#include "gxt/gxt.h"
#include "test_support.h"

namespace {

std::string decoded(const std::string& bytes) {
    std::string out(bytes.size(), '?');
    decodeTable::decode(out.data(), bytes.data(), (uint32_t)bytes.size());
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

}  // namespace

class DecodeTableTest : public CoreTest {};

TEST_F(DecodeTableTest, AssignExchangesTwoSlotsAndEncodingInvertsTheTable) {
    std::string all;
    for (int c = 32; c < 256; ++c) all += (char)c;
    EXPECT_EQ(decoded(all), all);
    decodeTable::assign(65, 66);
    EXPECT_EQ(decoded("AB"), "BA");
    // Continuing: a three-cycle, which is not its own inverse.
    decodeTable::assign(65, 68);
    EXPECT_EQ(decoded("ABCD xyz"), "DACB xyz");
    EXPECT_TRUE(isPermutation());
    char back[16] = {};
    EXPECT_EQ(decodeTable::encode(back, "DACB xyz", 1, 100), 8u);
    EXPECT_STREQ(back, "ABCD xyz");
    // Codes and characters below 32, and no-op assignments, change nothing.
    std::vector<uint8_t> before = tableBytes();
    decodeTable::assign(10, 65);
    decodeTable::assign(65, 10);
    decodeTable::assign(65, 68);
    EXPECT_EQ(tableBytes(), before);
    // Control codes and zeros pass through both ways.
    EXPECT_EQ(decoded(std::string("\x00\x01\x1f" "A\x00", 5)), std::string("\x00\x01\x1f" "D\x00", 5));
    char out[8] = {};
    EXPECT_EQ(decodeTable::encode(out, "\x01\x1f" "D", 1, 10), 3u);
    EXPECT_STREQ(out, "\x01\x1f" "A");
    decodeTable::decode(nullptr, "x", 1);  // harmless
    // Every width bytes, up to the limit.
    decodeTable::reset();
    memset(out, 0, sizeof out);
    EXPECT_EQ(decodeTable::encode(out, "AB", 2, 100), 2u);
    EXPECT_EQ(0, memcmp(out, "A\0B\0\0\0", 6));
    memset(out, 0, sizeof out);
    EXPECT_EQ(decodeTable::encode(out, "ABCDEF", 1, 3), 3u);
    EXPECT_STREQ(out, "ABC");
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
        uint32_t size = 0;
        uint8_t* image = buildImage(&size);
        ASSERT_NE(image, nullptr);
        EXPECT_EQ(std::vector<uint8_t>(image, image + size), file) << variant;
        documentFree(image);
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
    std::vector<uint8_t> identity(rev.rbegin(), rev.rend());
    auto changed = [&](std::vector<std::pair<size_t, int>> edits, size_t size) {
        std::vector<uint8_t> b = rev;
        b.resize(size, 5);
        for (auto [at, value] : edits) b[at] = value < 0 ? b[0] : (uint8_t)value;
        return b;
    };
    const struct {
        std::vector<uint8_t> bytes;
        int code;
    } cases[] = {
        {rev, 0},
        {changed({}, 300), 0},  // longer files use their first 224 bytes
        {changed({}, 223), 7006},
        {{}, 7006},
        {changed({{100, -1}}, 224), 7007},  // a character twice
        {changed({{100, 10}}, 224), 7006},  // a control code
        {changed({{50, -1}, {150, 10}}, 224), 7007},  // both: the first one met decides
        {changed({{50, 10}, {150, -1}}, 224), 7006},
    };
    for (const auto& c : cases) {
        decodeTable::assign('A', 'Q');
        std::vector<uint8_t> before = tableBytes();
        EXPECT_EQ(importTbl(write("in.tbl", c.bytes).c_str()), c.code) << c.bytes.size();
        EXPECT_EQ(tableBytes(), c.code ? before : rev);
        decodeTable::reset();
    }
    EXPECT_EQ(tableBytes(), identity);
    ASSERT_EQ(importTbl(write("rev.tbl", rev).c_str()), 0);
    const std::string out = dir.file("out.tbl");
    ASSERT_EQ(exportTbl(out.c_str()), 0);
    EXPECT_EQ(readFileBytes(out), rev);
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
