// The hash-to-table index behind findEntry in hashed documents: every lookup
// gives exactly what a search through the tables in order gives.
#include <random>

#include "sidefile_test.h"

namespace {

class HashIndexTest : public SideFileTest {
protected:
    // The lookup without the index: with no memory for it, findEntry
    // searches every table in turn.
    static GxtEntry* searchAllTables(uint32_t hash) {
        faultArm(FAULT_ALLOC, 1);
        GxtEntry* e = findEntry(nullptr, hash);
        faultReset();
        return e;
    }
    // The first table, in table order, with an entry of the hash.
    static int32_t firstTableWith(uint32_t hash) {
        for (uint32_t t = 0; t < gDocument.tableCount; ++t)
            for (uint32_t k = 0; k < gDocument.tables[t].entryCount; ++k)
                if (entryAt(t, k).hash == hash) return (int32_t)t;
        return -1;
    }
    static int32_t tableOf(const GxtEntry* e) {
        for (uint32_t t = 0; t < gDocument.tableCount; ++t) {
            const GxtTable& table = gDocument.tables[t];
            if (e >= table.entries && e < table.entries + table.entryCount) return (int32_t)t;
        }
        return -1;
    }
};

// Tables that share hashes with each other and within themselves.
GenDocument crowdedDocument(char variant, uint32_t seed) {
    std::mt19937 rng(seed);
    GenDocument doc;
    doc.variant = variant;
    const uint32_t pool = 300;  // hashes 1..pool, and 0
    for (uint32_t t = 0; t < 40; ++t) {
        GenTable table;
        // Not "T" + std::to_string(t): GCC 12 at -O3 warns (-Wrestrict) of
        // an overlap in that operator+ that cannot happen.
        table.name = std::to_string(t).insert(0, 1, 'T');
        uint32_t count = rng() % 25;
        for (uint32_t k = 0; k < count; ++k) {
            uint32_t hash = rng() % (pool + 1);
            // For the hash 0 the generator hashes the name, here the empty
            // one (0 again in the extended layout).
            table.entries.push_back({"", hash, std::to_string(k).insert(0, 1, 't')});
        }
        doc.tables.push_back(table);
    }
    return doc;
}

TEST_F(HashIndexTest, LookupsMatchTheSearchThroughEveryTable) {
    for (char variant : {'2', '@'}) {
        for (uint32_t seed = 1; seed <= 3; ++seed) {
            GenDocument doc = crowdedDocument(variant, seed);
            ASSERT_EQ(openGenerated(doc), 0);
            for (uint32_t hash = 1; hash <= 320; ++hash) {
                GxtEntry* indexed = findEntry(nullptr, hash);
                EXPECT_EQ(indexed, searchAllTables(hash)) << variant << " seed " << seed << " hash " << hash;
                EXPECT_EQ(indexed ? tableOf(indexed) : -1, firstTableWith(hash));
                EXPECT_TRUE(!indexed || indexed->hash == hash);
            }
            closeDocument();
        }
    }
}

TEST_F(HashIndexTest, NamesAndTheHashZeroFollowTheSameRule) {
    // keyHash of the empty name is 0 in the extended layout.
    ASSERT_EQ(keyHash(""), 0u);
    GenDocument doc = makeDocument('@', {{"A", {{"ONE", 0, "a1"}}},
                                         {"B", {{"TWO", 0, "b2"}, {"", 0, "zero"}, {"ONE", 0, "b1"}}},
                                         {"C", {{"", 0, "zero too"}}}});
    ASSERT_EQ(openGenerated(doc), 0);
    ASSERT_EQ(entryAt(1, 1).hash, 0u);
    EXPECT_EQ(findEntry("one", 0), &entryAt(0, 0));
    EXPECT_EQ(findEntry("TWO", 12345), &entryAt(1, 0));
    EXPECT_EQ(findEntry("", 0), &entryAt(1, 1));
    EXPECT_EQ(findEntry(nullptr, 0), nullptr);
    EXPECT_EQ(findEntry("THREE", 0), nullptr);
}

TEST_F(HashIndexTest, EveryHashOfAFullDocumentIsFound) {
    GenDocument doc = randomDocument('@', 11, 400);
    ASSERT_EQ(openGenerated(doc), 0);
    EXPECT_EQ(gDocument.tableCount, 524u);
    for (uint32_t t = 0; t < doc.tables.size(); ++t)
        for (uint32_t k = 0; k < doc.tables[t].entries.size(); ++k) {
            GxtEntry* e = findEntry(doc.tables[t].entries[k].name.c_str(), 0);
            ASSERT_NE(e, nullptr);
            EXPECT_EQ(tableOf(e), firstTableWith(entryAt(t, k).hash));
        }
}

TEST_F(HashIndexTest, TheIndexGoesWithItsDocument) {
    // Same tables, other keys: a stale index would send lookups to the
    // wrong tables (or into freed memory).
    ASSERT_EQ(openGenerated(makeDocument('@', {{"A", {{"FIRST", 0, "1"}}}, {"B", {{"SECOND", 0, "2"}}}})), 0);
    EXPECT_EQ(findEntry("SECOND", 0), &entryAt(1, 0));
    ASSERT_EQ(openGenerated(makeDocument('@', {{"A", {{"SECOND", 0, "1"}}}, {"B", {{"FIRST", 0, "2"}}}})), 0);
    EXPECT_EQ(findEntry("SECOND", 0), &entryAt(0, 0));
    EXPECT_EQ(findEntry("FIRST", 0), &entryAt(1, 0));
    closeDocument();
    EXPECT_EQ(findEntry("FIRST", 0), nullptr);
}

TEST_F(HashIndexTest, WithoutMemoryForTheIndexLookupsStillWork) {
    ASSERT_EQ(openGenerated(makeDocument('@', {{"A", {{"FIRST", 0, "1"}}}, {"B", {{"SECOND", 0, "2"}}}})), 0);
    faultReset();
    faultArm(FAULT_ALLOC, 1);
    EXPECT_EQ(findEntry("SECOND", 0), &entryAt(1, 0));
    EXPECT_EQ(faultCalls(FAULT_ALLOC), 1u);
    // The next lookup builds the index after all.
    EXPECT_EQ(findEntry("FIRST", 0), &entryAt(0, 0));
    EXPECT_EQ(faultCalls(FAULT_ALLOC), 2u);
    EXPECT_EQ(findEntry("SECOND", 0), &entryAt(1, 0));
    EXPECT_EQ(faultCalls(FAULT_ALLOC), 2u);
}

}  // namespace
