// The indexing worker: nothing may see a half-built index. These tests also
// run under ThreadSanitizer.
#include <gtest/gtest.h>

#include "gxt/gxt.h"
#include "gxt_test_util.h"
#include "test_support.h"

class IndexWorker : public CoreTest {};

// Reading, closing and loading straight after the start, while the worker
// may still be sorting.
TEST_F(IndexWorker, AccessorsClosingAndReloadingWaitForTheWorker) {
    GenDocument doc;
    doc.variant = '@';
    for (int t = 0; t < 4; ++t) {
        doc.tables.push_back({"T" + std::to_string(t), {}});
        for (uint32_t i = 0; i < 20000; ++i)
            doc.tables[t].entries.push_back({"", 0x9E3779B9u * (i + 1) + t, "text " + std::to_string(i)});
    }
    const std::string path = write("big.gxt", generateGxt(doc, {GenStringOrder::Reverse}));
    const std::string small = write("small.gxt", generateGxt(oneTable('0', {{"A", "small"}})));
    for (int round = 0; round < 3; ++round) {
        ASSERT_EQ(loadDocument(path.c_str()), 0);
        ASSERT_EQ(startIndexWorker(), 1);
        ASSERT_TRUE(selectTable(3));
        ASSERT_EQ(rowCount(), 20000u);
        EXPECT_STREQ(rowText(0), "text 19999");
        EXPECT_STREQ(rowText(19999), "text 0");
        EXPECT_NE(findEntry(nullptr, 0x9E3779B9u * 5 + 3), nullptr);
        ASSERT_EQ(loadDocument(path.c_str()), 0);
        ASSERT_EQ(startIndexWorker(), 1);
        closeDocument();
        EXPECT_EQ(tableCount(), 0u);
        ASSERT_EQ(loadDocument(path.c_str()), 0);
        ASSERT_EQ(startIndexWorker(), 1);
        ASSERT_EQ(loadDocument(small.c_str()), 0);
        ASSERT_EQ(startIndexWorker(), 1);
        selectTable(0);
        EXPECT_STREQ(rowText(0), "small");
        uint32_t size = 0;
        uint8_t* image = buildImage(&size);
        ASSERT_NE(image, nullptr);
        documentFree(image);
    }
}

// No thread for the worker: the index is built at once. (The worker's
// memory failing is in the load's allocation sweep.)
TEST_F(IndexWorker, WithoutAThreadTheIndexIsBuiltAtOnce) {
    ASSERT_EQ(loadDocument(write("small.gxt", generateGxt(oneTable('2', {{"A", "a"}, {"B", "b"}}))).c_str()), 0);
    faultArm(FAULT_THREAD, 1);
    EXPECT_EQ(startIndexWorker(), 0);
    EXPECT_EQ(selectTable(0), 1);
    EXPECT_STREQ(rowText(1), "b");
}

TEST_F(IndexWorker, SortingMatchesAStableInsertionSort) {
    // Many equal keys, keys that differ in every digit, keys already in
    // order, strictly falling and falling with ties: every path must give
    // the order an insertion sort gives, equal keys in record order.
    const uint32_t n = 5000;
    auto mixed = [](uint32_t i) { return ((n - i) / 3 % 97) * 0x9E3779B1u ^ ((i * 7919) % 1013) << (i % 3 == 0 ? 21 : 0); };
    auto rising = [](uint32_t i) { return i / 2; };
    auto falling = [](uint32_t i) { return 3 * (n - i); };
    auto fallingWithTies = [](uint32_t i) { return (n - i) / 2; };
    for (uint32_t (*keyOf)(uint32_t) : {+mixed, +rising, +falling, +fallingWithTies}) {
        for (bool byHash : {true, false}) {
            std::vector<GxtEntry> entries(n);
            for (uint32_t i = 0; i < n; ++i) {
                if (byHash) entries[i].hash = keyOf(i);
                else entries[i].textPos = (int32_t)(keyOf(i) & 0x7FFFFFFF);
            }
            auto key = [&](uint32_t i) { return byHash ? entries[i].hash : (uint32_t)entries[i].textPos; };
            std::vector<uint16_t> order(n);
            std::vector<uint64_t> scratch(sortScratchSize(n) / 8 + 1);
            GxtOrderKind kind = sortRecords(entries.data(), n, byHash, order.data(), scratch.data());
            std::vector<uint32_t> got(n), expected(n);
            for (uint32_t i = 0; i < n; ++i) {
                got[i] = orderedIndex(kind, order.data(), n, i);
                uint32_t j = i;
                while (j > 0 && key(expected[j - 1]) > key(i)) {
                    expected[j] = expected[j - 1];
                    --j;
                }
                expected[j] = i;
            }
            EXPECT_EQ(got, expected) << "by hash " << byHash;
        }
    }
}
