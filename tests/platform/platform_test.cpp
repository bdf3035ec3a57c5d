#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>

#include "gxt/gxt.h"
#include "gxt/gxt_test_util.h"
#include "platform/platform.h"
#include "test_support.h"

// The heap zero-fills blocks and their growth, refuses what exceeds its
// maximum (a refused growth keeps the block), and fails the armed call once.
TEST(PlatformHeap, ZeroFilledBoundedAndFaultable) {
    PlatformHeap* heap = heapCreate(kHeapFlags, 0x40000, 0x40000);
    ASSERT_NE(heap, nullptr);
    uint8_t* block = static_cast<uint8_t*>(heapAlloc(heap, kHeapFlags, 100));
    ASSERT_NE(block, nullptr);
    EXPECT_EQ(block[0] | block[99], 0);
    memset(block, 0xAB, 100);
    block = static_cast<uint8_t*>(heapReAlloc(heap, kHeapFlags, block, 5000));
    ASSERT_NE(block, nullptr);
    EXPECT_TRUE(block[99] == 0xAB && block[100] == 0 && block[4999] == 0);
    EXPECT_EQ(heapAlloc(heap, kHeapFlags, 0x40000), nullptr);
    EXPECT_EQ(heapReAlloc(heap, kHeapFlags, block, 0x40000), nullptr);
    EXPECT_EQ(block[99], 0xAB);
    faultReset();
    faultArm(FAULT_ALLOC, 2);
    for (bool fails : {false, true, false}) EXPECT_EQ(heapAlloc(heap, kHeapFlags, 8) == nullptr, fails);
    EXPECT_EQ(faultCalls(FAULT_ALLOC), 3u);
    faultArm(FAULT_HEAP_CREATE, 1);
    EXPECT_EQ(heapCreate(kHeapFlags, 0, 0), nullptr);
    EXPECT_TRUE(heapFree(heap, 0, block));
    heapDestroy(heap);
    faultReset();
}

class PlatformFiles : public CoreTest {};

// The file being replaced keeps its old contents until the write finishes;
// an abandoned or failed write leaves it, and no temporary file, behind.
TEST_F(PlatformFiles, ReplacingWriteIsAtomic) {
    const struct {
        const char* what;
        FaultPoint fault;  // FAULT_POINT_COUNT: none
        bool finish, ok, notReplaced;
    } cases[] = {
        {"finished", FAULT_POINT_COUNT, true, true, false},
        {"abandoned", FAULT_POINT_COUNT, false, false, false},
        {"rename fails", FAULT_REPLACE, true, false, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        for (bool exists : {true, false}) {
            const std::string path = dir.file("t.txt");
            if (exists) write("t.txt", std::string("old"));
            PlatformFile* f = fileCreateReplacing(path.c_str());
            ASSERT_NE(f, nullptr);
            if (c.fault != FAULT_POINT_COUNT) faultArm(c.fault, 1);
            const bool written = fileWrite(f, "new", 3);
            EXPECT_EQ(readFileBytes(path), bytesOf(exists ? "old" : ""));
            bool notReplaced = !c.notReplaced;
            EXPECT_EQ(written && c.finish && fileFinish(f, &notReplaced), c.ok);
            if (!written || !c.finish) fileClose(f);
            else EXPECT_EQ(notReplaced, c.notReplaced);
            faultReset();
            EXPECT_EQ(readFileBytes(path), bytesOf(c.ok ? "new" : exists ? "old" : ""));
            auto files = std::filesystem::directory_iterator(dir.path);
            EXPECT_EQ(std::distance(begin(files), end(files)), c.ok || exists ? 1 : 0);
            std::filesystem::remove(path);
        }
    }
    // A temporary file left behind by an earlier save is no obstacle.
    write("t.txt.00.tmp~", std::string("stale"));
    PlatformFile* f = fileCreateReplacing(dir.file("t.txt").c_str());
    ASSERT_TRUE(f && fileWrite(f, "new", 3) && fileFinish(f));
    EXPECT_EQ(textOf(readFileBytes(dir.file("t.txt"))), "new");
}

TEST_F(PlatformFiles, ReplacingWriteRefusesAReadOnlyFile) {
    // A mode without write bits refuses the write, for root too, and the
    // target stays as it was.
    const std::string path = write("read-only", std::string("kept"));
    ASSERT_EQ(chmod(path.c_str(), 0444), 0);
    EXPECT_EQ(fileCreateReplacing(path.c_str()), nullptr);
    EXPECT_EQ(textOf(readFileBytes(path)), "kept");
}

// A file of 4 GiB and 52 bytes must not pass for one of 52 bytes: its size
// does not fit, and loading it fails at the size.
TEST_F(PlatformFiles, SizesBeyondThirtyTwoBitsAreRefused) {
    const std::string path = write("huge.gxt", generateGxt(oneTable('0', {{"A", "hello world"}})));
    ASSERT_EQ(readFileBytes(path).size(), 52u);
    std::error_code ec;
    std::filesystem::resize_file(path, (4ull << 30) + 52, ec);  // sparse: takes no disk space
    ASSERT_FALSE(ec) << ec.message();
    EXPECT_EQ(openDocument(path.c_str()), 2002);
    EXPECT_FALSE(gDocument.loaded);
}

#ifndef _WIN32
// Saving through a symbolic link writes the file it points at; the link
// stays, also for a chain of links, a relative one, and one whose file does
// not exist yet.
TEST_F(PlatformFiles, ReplacingWriteFollowsSymbolicLinks) {
    ASSERT_EQ(mkdir(dir.file("sub").c_str(), 0755), 0);
    const std::string target = write("sub/real.gxt", std::string("old"));
    const struct {
        const char *link, *pointsAt;
        std::string written;
    } cases[] = {
        {"direct", "sub/real.gxt", target},
        {"chained", "direct", target},
        {"sub/relative", "real.gxt", target},
        {"absolute", nullptr, target},
        {"dangling", "sub/new.gxt", dir.file("sub/new.gxt")},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.link);
        const std::string link = dir.file(c.link);
        ASSERT_EQ(symlink(c.pointsAt ? c.pointsAt : target.c_str(), link.c_str()), 0);
        PlatformFile* f = fileCreateReplacing(link.c_str());
        ASSERT_TRUE(f && fileWrite(f, c.link, (uint32_t)strlen(c.link)) && fileFinish(f));
        struct stat st;
        ASSERT_EQ(lstat(link.c_str(), &st), 0);
        EXPECT_TRUE(S_ISLNK(st.st_mode));
        EXPECT_EQ(textOf(readFileBytes(c.written)), c.link);
    }
    // A loop of links leads to no file.
    ASSERT_EQ(symlink("loop", dir.file("loop").c_str()), 0);
    EXPECT_EQ(fileCreateReplacing(dir.file("loop").c_str()), nullptr);
}
#endif

TEST(PlatformText, AnsiLowerCaseFoldsLettersOnly) {
    const uint8_t cases[][2] = {{'A', 'a'}, {'Z', 'z'}, {'a', 'a'}, {'@', '@'}, {'[', '['},
                                {0xC0, 0xE0}, {0xDE, 0xFE}, {0xD7, 0xD7}, {0xDF, 0xDF}};
    for (const auto& c : cases) EXPECT_EQ(ansiLower(c[0]), c[1]) << (int)c[0];
    char text[] = "MiXeD \xc9T\xc9";
    ansiLowerText(text);
    EXPECT_STREQ(text, "mixed \xe9t\xe9");
}

TEST(PlatformText, CodePagesConvertBothWaysAndNeverReplace) {
    const struct {
        uint32_t codePage;
        const char *utf8, *bytes;
    } same[] = {
        {1250, "\xc5\x81\xc3\xb3" "d\xc5\xb9", "\xa3\xf3" "d\x8f"},
        {1251, "\xd0\x9f\xd1\x80\xd0\xb8\xd0\xb2\xd0\xb5\xd1\x82", "\xcf\xf0\xe8\xe2\xe5\xf2"},
        {1252, "caf\xc3\xa9 \xe2\x82\xac", "caf\xe9 \x80"},
        {1254, "\xc4\x9f\xc5\x9e", "\xf0\xde"},
        {932, "\xe6\x97\xa5\xe6\x9c\xac\xef\xbd\xb1", "\x93\xfa\x96\x7b\xb1"},
        // 0: the display code page; these bytes are alike in every Windows
        // code page of Europe.
        {0, "\xc2\xab\xc2\xa7\xc2\xbb", "\xab\xa7\xbb"},
        {1251, "", ""},
    };
    for (const auto& c : same) {
        const uint32_t utf8Length = (uint32_t)strlen(c.utf8), length = (uint32_t)strlen(c.bytes);
        char out[64];
        uint32_t written = 99;
        EXPECT_EQ(utf8ToCodePage(c.codePage, c.utf8, utf8Length, out, sizeof out, &written), CODE_PAGE_OK);
        EXPECT_EQ(std::string(out, written), c.bytes) << c.codePage;
        EXPECT_EQ(codePageToUtf8(c.codePage, c.bytes, length, out, sizeof out, &written), CODE_PAGE_OK);
        EXPECT_EQ(std::string(out, written), c.utf8) << c.codePage;
        // Exactly the room needed is enough; one byte less is too little.
        EXPECT_EQ(utf8ToCodePage(c.codePage, c.utf8, utf8Length, out, length, &written), CODE_PAGE_OK);
        if (length) {
            EXPECT_EQ(utf8ToCodePage(c.codePage, c.utf8, utf8Length, out, length - 1, &written), CODE_PAGE_TOO_LONG);
            EXPECT_EQ(codePageToUtf8(c.codePage, c.bytes, length, out, utf8Length - 1, &written), CODE_PAGE_TOO_LONG);
        }
    }
    const struct {
        uint32_t codePage;
        const char* text;
        bool fromUtf8;
    } refused[] = {
        {1250, "\xd0\x96", true},            // Cyrillic Zhe
        {1252, "a\xc4\x81", true},           // a with macron: no look-alike "a"
        {1254, "\xe6\x97\xa5", true},       // CJK
        {932, "\xe2\x82\xac", true},        // the euro sign
        {1251, "\xc3\xa9", true},            // e acute
        {1252, "\xff", true},                 // not UTF-8
        {1251, "\xd0\x9f" "a\xc3\xa9", true},  // found past a capacity already exceeded
        {932, "a\x81", false},                // a lead byte without its trail byte
    };
    for (const auto& c : refused) {
        char out[64];
        uint32_t written = 99;
        const uint32_t length = (uint32_t)strlen(c.text), capacity = c.codePage == 1251 ? 1 : sizeof out;
        CodePageResult result = c.fromUtf8 ? utf8ToCodePage(c.codePage, c.text, length, out, capacity, &written)
                                           : codePageToUtf8(c.codePage, c.text, length, out, capacity, &written);
        EXPECT_EQ(result, CODE_PAGE_UNREPRESENTABLE) << c.codePage << " " << c.text;
        EXPECT_EQ(written, 0u);
    }
}
