#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
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

std::vector<uint8_t> tableBytes() {
    std::vector<uint8_t> out;
    for (int i = 0; i < kDecodeSlots; ++i) out.push_back(gDecodeTable.slots[i].character);
    return out;
}

std::vector<uint8_t> identity(bool descending = false) {
    std::vector<uint8_t> out;
    for (int c = 32; c < 256; ++c) out.push_back((uint8_t)(descending ? 287 - c : c));
    return out;
}

// The identity but for a three-cycle: the code 'a' shows 'o', 'o' shows 'e'
// and 'e' shows 'a'. Unlike a reversal it is not its own inverse.
std::vector<uint8_t> threeCycle() {
    std::vector<uint8_t> out = identity();
    out['a' - 32] = 'o', out['o' - 32] = 'e', out['e' - 32] = 'a';
    return out;
}

}  // namespace

using DecodeTableTest = CoreTest;

// Byte j of a .tbl file is the character shown for the code j + 32, whatever
// the table held before; an invalid file leaves the table as it was. Export
// writes the table as it stands.
TEST_F(DecodeTableTest, TblFilesReadAndWritten) {
    const std::vector<uint8_t> rev = identity(true);
    auto with = [&rev](std::initializer_list<std::pair<int, uint8_t>> changes, size_t size = kDecodeSlots) {
        std::vector<uint8_t> file = rev;
        file.resize(size, 5);
        for (auto [at, byte] : changes) file[at] = byte;
        return file;
    };
    const struct Case {
        std::vector<uint8_t> file;
        int result;
        std::vector<uint8_t> table;
    } cases[] = {
        {rev, 0, rev},
        {threeCycle(), 0, threeCycle()},
        {with({}, 300), 0, rev},  // longer files use their first 224 bytes
        {with({}, 223), 7006, identity()},
        {{}, 7006, identity()},
        {with({{100, rev[0]}}), 7007, identity()},
        {with({{100, 10}}), 7006, identity()},
        {with({{50, rev[0]}, {150, 10}}), 7007, identity()},  // the first fault met decides
        {with({{50, 10}, {150, rev[0]}}), 7006, identity()},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(&c - cases);
        decodeTable::reset();
        if (c.result == 0) decodeTable::assign('A', 'Q');
        EXPECT_EQ(importTbl(write("in.tbl", c.file).c_str()), c.result);
        EXPECT_EQ(tableBytes(), c.table);
        const std::string out = dir.file("out.tbl");
        ASSERT_EQ(exportTbl(out.c_str()), 0);
        EXPECT_EQ(readFileBytes(out), c.table);
    }
}

TEST_F(DecodeTableTest, TblFileFailuresKeepTableAndFile) {
    const std::string good = write("rev.tbl", identity(true));
    const std::string out = write("keep.tbl", std::string("old"));
    const struct {
        FaultPoint point;
        bool import;
        int expected;
    } cases[] = {{FAULT_OPEN, true, 7001}, {FAULT_SIZE, true, 7002}, {FAULT_ALLOC, true, 7004},
                 {FAULT_READ, true, 7005}, {FAULT_CREATE, false, 8001}, {FAULT_WRITE, false, 8002},
                 {FAULT_FINISH, false, 8002}};
    for (const auto& c : cases) {
        faultArm(c.point, 1);
        EXPECT_EQ(c.import ? importTbl(good.c_str()) : exportTbl(out.c_str()), c.expected) << c.point;
        faultReset();
        EXPECT_EQ(tableBytes(), identity());
        EXPECT_EQ(textOf(readFileBytes(out)), "old");
    }
    EXPECT_EQ(importTbl(dir.file("missing.tbl").c_str()), 7001);
    EXPECT_EQ(exportTbl(dir.path.c_str()), 8001);
}

#ifndef _WIN32
// The import's heap is made by the first import of a run and then kept, so
// its failure is seen in a fresh process: the test's own, started again
// (natively only: under Wine each start costs seconds, and the code is the
// same on both platforms).
TEST(DecodeTableHeap, FirstImportWithoutItsHeapFails) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(
        {
            faultArm(FAULT_HEAP_CREATE, 1);
            std::fprintf(stderr, "code %d", importTbl("missing.tbl"));
            std::exit(0);
        },
        ::testing::ExitedWithCode(0), "code 7000");
}
#endif

// assign exchanges two slots; decode and encode go through the table (encode
// through its inverse) and pass codes below 32 through.
TEST_F(DecodeTableTest, AssignDecodeAndEncode) {
    decodeTable::assign('A', 'B');
    EXPECT_EQ(decoded("AB"), "BA");
    decodeTable::assign('A', 'D');  // A shows D, D shows B, B shows A
    EXPECT_EQ(decodeTable::displayOf('A'), 'D');
    EXPECT_EQ(decodeTable::displayOf('D'), 'B');
    EXPECT_EQ(decodeTable::displayOf(5), 5);
    EXPECT_EQ(decodeTable::codeOf('B'), 'D');
    const std::vector<uint8_t> before = tableBytes();
    decodeTable::assign(10, 'A');
    decodeTable::assign('A', 10);
    decodeTable::assign('A', 'D');
    EXPECT_EQ(tableBytes(), before);

    EXPECT_EQ(decoded(std::string("\x00\x1f" "ABCD xyz", 10)), std::string("\x00\x1f" "DACB xyz", 10));
    // Characters of width 2 leave their high bytes as they were; encoding
    // stops at the terminator or the most characters allowed.
    const struct {
        const char* text;
        uint32_t width, most;
        std::string bytes;
    } encoded[] = {{"\x1f" "DACB xyz", 1, 100, "\x1f" "ABCD xyz"}, {"DAx", 2, 100, "A#B#x#"},
                   {"DACB", 1, 3, "ABC"}, {"DACB", 2, 3, "A#B#C#"}};
    for (const auto& e : encoded) {
        char out[20];
        memset(out, '#', sizeof out);
        EXPECT_EQ(decodeTable::encode(gDecodeTable, out, e.text, e.width, e.most), e.bytes.size() / e.width);
        EXPECT_EQ(std::string(out, e.bytes.size() + 1), e.bytes + "#") << e.text;
    }
    // The space, the lowest code and character, goes through the table too.
    decodeTable::assign(' ', '_');
    decodeTable::assign('!', ' ');
    EXPECT_EQ(decoded(" !_"), "_ !");
    EXPECT_EQ(decodeTable::displayOf(' '), '_');
}

// A file read under any table saves back to its own bytes; an edited text is
// kept in display characters and saved through the table applied when it
// was shown, never through edits still waiting to be applied. The texts
// shown follow the table once it is applied, and applying never compounds.
TEST_F(DecodeTableTest, SavesGoThroughTheAppliedTable) {
    GenDocument doc;
    doc.variant = '@';
    doc.tables.push_back({"T", {{"A", 0, "Alpha Beta"}, {"B", 0, "Beta ~r~ \xe0\xff"}}});
    const std::vector<uint8_t> file = generateGxt(doc);
    const std::string saved = dir.file("saved.gxt");
    const struct {
        const char* name;
        std::vector<uint8_t> table;
        bool apply;
        const char* edited;
    } cases[] = {
        {"reversal", identity(true), false, nullptr},
        {"three-cycle", threeCycle(), false, nullptr},
        {"three-cycle, edited", threeCycle(), false, "eon"},
        {"three-cycle, edited and applied", threeCycle(), true, "oan"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        decodeTable::reset();
        ASSERT_EQ(importTbl(write("t.tbl", c.edited ? identity() : c.table).c_str()), 0);
        ASSERT_EQ(openBytes(file), 0);
        selectTable(0);
        ASSERT_TRUE(!c.edited || setRowText(0, "eon", 3) == 1);
        ASSERT_EQ(importTbl(write("t.tbl", c.edited ? c.table : identity()).c_str()), 0);
        for (int i = 0; i < (c.apply ? 2 : 0); ++i) redecodeDocument();
        const std::string shown = c.edited ? rowText(0) + std::string("|") + rowText(1) : "";
        ASSERT_EQ(saveDocument(saved.c_str()), 0);
        decodeTable::reset();
        redecodeDocument();
        if (c.edited) {
            EXPECT_EQ(shown, c.apply ? "eon|Bato ~r~ \xe0\xff" : "eon|Beta ~r~ \xe0\xff");
            EXPECT_EQ(rowText(0) + std::string("|") + rowText(1), "eon|Beta ~r~ \xe0\xff");
        }
        closeDocument();
        if (!c.edited) {
            EXPECT_EQ(readFileBytes(saved), file);
            continue;
        }
        ASSERT_EQ(openBytes(readFileBytes(saved), "reopened.gxt"), 0);
        selectTable(0);
        EXPECT_STREQ(rowText(0), c.edited);
        EXPECT_STREQ(rowText(1), "Beta ~r~ \xe0\xff");
        closeDocument();
    }
}
