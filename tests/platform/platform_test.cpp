#include <gtest/gtest.h>

#include <atomic>
#include <cstring>

#include "platform/platform.h"
#include "test_support.h"

TEST(PlatformHeap, BlocksAreZeroFilledAndGrowthIsZeroFilled) {
    PlatformHeap* heap = heapCreate(kHeapFlags, 0, 0);
    ASSERT_NE(heap, nullptr);
    uint8_t* block = static_cast<uint8_t*>(heapAlloc(heap, kHeapFlags, 100));
    ASSERT_NE(block, nullptr);
    for (int i = 0; i < 100; ++i) EXPECT_EQ(block[i], 0);
    memset(block, 0xAB, 100);
    block = static_cast<uint8_t*>(heapReAlloc(heap, kHeapFlags, block, 5000));
    ASSERT_NE(block, nullptr);
    for (int i = 0; i < 100; ++i) ASSERT_EQ(block[i], 0xAB);
    for (int i = 100; i < 5000; ++i) ASSERT_EQ(block[i], 0) << i;
    // Blocks left allocated are released with the heap.
    for (int i = 0; i < 50; ++i) ASSERT_NE(heapAlloc(heap, kHeapFlags, 64), nullptr);
    EXPECT_TRUE(heapFree(heap, 0, block));
    heapDestroy(heap);
}

TEST(PlatformHeap, FixedMaximumRefusesWhatDoesNotFit) {
    PlatformHeap* heap = heapCreate(kHeapFlags, 0x40000, 0x40000);
    ASSERT_NE(heap, nullptr);
    EXPECT_EQ(heapAlloc(heap, kHeapFlags, 0x80000), nullptr);
    void* small = heapAlloc(heap, kHeapFlags, 1000);
    ASSERT_NE(small, nullptr);
    // A refused growth leaves the block as it was.
    memcpy(small, "kept", 5);
    EXPECT_EQ(heapReAlloc(heap, kHeapFlags, small, 0x80000), nullptr);
    EXPECT_STREQ(static_cast<char*>(small), "kept");
    heapDestroy(heap);
}

TEST(PlatformFaults, TheNthCallFailsOnceAndCountsAreKept) {
    faultReset();
    PlatformHeap* heap = heapCreate(kHeapFlags, 0, 0);
    ASSERT_NE(heap, nullptr);
    faultArm(FAULT_ALLOC, 3);
    EXPECT_NE(heapAlloc(heap, kHeapFlags, 8), nullptr);
    EXPECT_NE(heapAlloc(heap, kHeapFlags, 8), nullptr);
    EXPECT_EQ(heapAlloc(heap, kHeapFlags, 8), nullptr);
    EXPECT_NE(heapAlloc(heap, kHeapFlags, 8), nullptr);
    EXPECT_EQ(faultCalls(FAULT_ALLOC), 4u);
    faultArm(FAULT_HEAP_CREATE, 1);
    EXPECT_EQ(heapCreate(kHeapFlags, 0, 0), nullptr);
    heapDestroy(heap);
    faultReset();
}

class PlatformFiles : public CoreTest {};

TEST_F(PlatformFiles, ReadsWholeFilesStepByStep) {
    std::string path = write("a.bin", std::string("hello\0world", 11));
    PlatformFile* f = fileOpenRead(path.c_str());
    ASSERT_NE(f, nullptr);
    uint32_t size = 0;
    ASSERT_TRUE(fileSize(f, &size));
    EXPECT_EQ(size, 11u);
    char buf[32] = {};
    uint32_t got = 0;
    ASSERT_TRUE(fileRead(f, buf, size + 1, &got));
    EXPECT_EQ(got, 11u);
    EXPECT_EQ(0, memcmp(buf, "hello\0world", 11));
    fileClose(f);
    EXPECT_EQ(fileOpenRead(dir.file("missing").c_str()), nullptr);
    EXPECT_EQ(fileOpenRead(dir.path.c_str()), nullptr);  // a directory is no file
}

TEST_F(PlatformFiles, ReplacingWriteLeavesTheOldFileUntilFinished) {
    std::string path = write("t.txt", std::string("old contents"));
    PlatformFile* f = fileCreateReplacing(path.c_str());
    ASSERT_NE(f, nullptr);
    ASSERT_TRUE(fileWrite(f, "new", 3));
    EXPECT_EQ(textOf(readFileBytes(path)), "old contents");
    ASSERT_TRUE(fileFinish(f));
    EXPECT_EQ(textOf(readFileBytes(path)), "new");

    // Abandoned or failed writes leave the old file and no temporary behind.
    f = fileCreateReplacing(path.c_str());
    ASSERT_NE(f, nullptr);
    ASSERT_TRUE(fileWrite(f, "zzzz", 4));
    fileClose(f);
    EXPECT_EQ(textOf(readFileBytes(path)), "new");
    faultArm(FAULT_FINISH, 1);
    f = fileCreateReplacing(path.c_str());
    ASSERT_TRUE(fileWrite(f, "yyyy", 4));
    EXPECT_FALSE(fileFinish(f));
    EXPECT_EQ(textOf(readFileBytes(path)), "new");
    faultArm(FAULT_WRITE, 1);
    f = fileCreateReplacing(path.c_str());
    EXPECT_FALSE(fileWrite(f, "xxxx", 4));
    fileClose(f);
    EXPECT_EQ(textOf(readFileBytes(path)), "new");
    // Only the target is in the directory.
    EXPECT_TRUE(fileRemove(path.c_str()));
    EXPECT_EQ(fileOpenRead(path.c_str()), nullptr);
    PlatformFile* probe = fileCreate(dir.file("probe").c_str());
    ASSERT_NE(probe, nullptr);
    EXPECT_TRUE(fileFinish(probe));
    EXPECT_FALSE(fileRemove(path.c_str()));
}

TEST_F(PlatformFiles, ReplacingWriteCreatesANewFile) {
    std::string path = dir.file("fresh.bin");
    PlatformFile* f = fileCreateReplacing(path.c_str());
    ASSERT_NE(f, nullptr);
    ASSERT_TRUE(fileWrite(f, "abc", 3));
    ASSERT_TRUE(fileFinish(f));
    EXPECT_EQ(textOf(readFileBytes(path)), "abc");
    EXPECT_EQ(fileCreateReplacing(dir.path.c_str()), nullptr);
}

TEST(PlatformText, AnsiLowerCaseFoldsLettersOnly) {
    EXPECT_EQ(ansiLower('A'), 'a');
    EXPECT_EQ(ansiLower('Z'), 'z');
    EXPECT_EQ(ansiLower('a'), 'a');
    EXPECT_EQ(ansiLower('@'), '@');
    EXPECT_EQ(ansiLower('['), '[');
    EXPECT_EQ(ansiLower(0xC0), 0xE0);
    EXPECT_EQ(ansiLower(0xDE), 0xFE);
    EXPECT_EQ(ansiLower(0xD7), 0xD7);
    EXPECT_EQ(ansiLower(0xDF), 0xDF);
    char text[] = "MiXeD \xc9T\xc9";
    ansiLowerText(text);
    EXPECT_STREQ(text, "mixed \xe9t\xe9");
}

namespace {
std::atomic<int> gRan{0};
uint32_t bump(void* p) {
    gRan.fetch_add(*static_cast<int*>(p));
    return 0;
}
}  // namespace

TEST(PlatformWorker, ThreadRunsAndIsJoined) {
    gRan = 0;
    int step = 5;
    PlatformThread* t = threadStart(bump, &step);
    ASSERT_NE(t, nullptr);
    threadJoin(t);
    EXPECT_EQ(gRan.load(), 5);
    faultArm(FAULT_THREAD, 1);
    EXPECT_EQ(threadStart(bump, &step), nullptr);
    faultReset();
}
