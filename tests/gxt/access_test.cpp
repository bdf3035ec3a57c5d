#include <gtest/gtest.h>

#include <string>

#include "gxt/gxt.h"
#include "gxt_test_util.h"
#include "test_support.h"

namespace {

std::string textOrNone(const GxtEntry* e) { return e ? entryText(e) : "<none>"; }

std::string folded(std::string s) {
    for (char& c : s) c = (char)ansiLower((uint8_t)c);
    return s;
}

}  // namespace

class EntryAccess : public CoreTest {};

// Against a walk of every table's records in file order, with the name
// index and, its memory failing, without it: each name in lower case, one
// letter longer and one shorter; a name in two tables, twice in one table
// (in another case) and the empty name.
TEST_F(EntryAccess, NameLookupAgreesWithAWalkOfTheRecords) {
    for (uint32_t seed = 1; seed <= 4; ++seed) {
        GenDocument doc = randomDocument(seed % 2 ? '1' : '0', seed, 300);
        if (doc.tables[0].entries.empty()) doc.tables[0].entries.push_back({"ABCDEFGH", 0, "eight"});
        GenEntry copy = doc.tables[0].entries[0];
        copy.name = folded(copy.name);
        doc.tables[0].entries.push_back(copy);
        doc.tables[0].entries.push_back({"", 0, "empty"});
        if (doc.tables.size() > 1) doc.tables[1].entries.insert(doc.tables[1].entries.begin(), copy);
        for (int withIndex = 1; withIndex >= 0; --withIndex) {
            ASSERT_EQ(openGenerated(doc), 0);
            EXPECT_EQ(findEntry(nullptr, 0), nullptr);
            EXPECT_EQ(findEntry(nullptr, 12345), nullptr);
            for (const GenTable& table : doc.tables)
                for (const GenEntry& e : table.entries) {
                    const std::string name = folded(e.name);
                    for (const std::string& wanted : {name, name + "x", name.substr(0, name.size() - !name.empty()),
                                                      std::string("a-name-longer-than-any-field-of-the-file")}) {
                        GxtEntry* expected = nullptr;
                        for (uint32_t t = 0; t < doc.tables.size() && !expected; ++t)
                            for (uint32_t k = 0; k < doc.tables[t].entries.size() && !expected; ++k)
                                if (folded(doc.tables[t].entries[k].name) == wanted)
                                    expected = &gDocument.tables[t].entries[k];
                        if (!withIndex) faultArm(FAULT_ALLOC, 1);  // each lookup tries to build the index
                        EXPECT_EQ(findEntry(wanted.c_str(), 0), expected) << wanted;
                        faultReset();
                    }
                }
        }
    }
}

// Several entries of one hash: the search narrows one place at a time among
// the last four candidates, so the entry found is the one probed first then.
// Hashes 1 1 2 2 2, target 1: mid 2 (hash 2), hi - mid = 2, so hi = 3; mid 1
// gives the second entry of hash 1. With 1 1 1 2 2 2, target 2: mid 2 (hash
// 1), hi - mid = 3, so lo = 1; mid 3 gives the first entry of hash 2.
TEST_F(EntryAccess, EqualHashesNarrowOnePlaceAtATime) {
    const struct {
        std::vector<uint32_t> hashes;
        uint32_t target;
        const char* text;
    } cases[] = {{{1, 1, 2, 2, 2}, 1, "record 1"},
                 {{2, 1, 2, 1, 2}, 1, "record 3"},
                 {{1, 1, 1, 2, 2, 2}, 2, "record 3"},
                 {{5, 5, 5, 5, 5, 5, 5}, 5, "record 3"},
                 // Longer tables: the window halves until it holds four.
                 {{2, 3, 4, 2, 4, 4, 4, 1}, 2, "record 0"},
                 {{1, 2, 4, 3, 4, 2, 3, 1}, 3, "record 6"},
                 {{2, 4, 1, 1, 4, 2}, 1, "record 3"},
                 {{3, 2, 4, 1, 2, 3, 4, 4, 4}, 2, "record 1"},
                 {{2, 3, 1, 2, 3, 2, 3, 1, 4, 4}, 3, "record 6"}};
    for (const auto& c : cases) {
        GenDocument doc = oneTable('2', {});
        for (size_t k = 0; k < c.hashes.size(); ++k)
            doc.tables[0].entries.push_back({"", c.hashes[k], "record " + std::to_string(k)});
        // With memory for everything, then without the n-th block the lookup
        // takes (the index, the sorted order), for every n it reaches.
        for (uint32_t n = 0, reached = 1; reached; ++n) {
            ASSERT_EQ(openGenerated(doc), 0);
            const uint32_t before = faultCalls(FAULT_ALLOC);
            faultArm(FAULT_ALLOC, n);
            EXPECT_EQ(textOrNone(findEntry(nullptr, c.target)), c.text) << c.hashes.size() << " " << c.target << " " << n;
            reached = n == 0 || faultCalls(FAULT_ALLOC) - before >= n;
            faultReset();
        }
    }
}

// Given a name, the hash is not used; the empty name hashes to 0.
TEST_F(EntryAccess, FindByNameIgnoresTheHashGiven) {
    GenDocument doc = oneTable('@', {}, "T1");
    doc.tables[0].entries = {{"", 10, "ten"}, {"ABC", 0, "abc"}, {"", 0, "zero"}};
    ASSERT_EQ(openGenerated(doc), 0);
    EXPECT_EQ(textOrNone(findEntry("abc", 10)), "abc");
    EXPECT_EQ(textOrNone(findEntry("nothing", 10)), "<none>");
    EXPECT_EQ(textOrNone(findEntry("", 10)), "zero");
}

// The first table holding a hash, with the hash index and without it, in
// tables of every size that share hashes with each other and within
// themselves.
TEST_F(EntryAccess, HashIndexAgreesWithTheSearchOfEveryTable) {
    for (char variant : {'2', '@'}) {
        GenDocument doc;
        doc.variant = variant;
        uint32_t x = 12345;
        for (uint32_t t = 0; t < 40; ++t) {
            doc.tables.push_back({std::to_string(t).insert(0, 1, 'T'), {}});
            for (uint32_t k = 0, n = (x = x * 1103515245 + 12345) >> 27; k < n; ++k)
                doc.tables[t].entries.push_back({"", ((x = x * 1103515245 + 12345) >> 16) % 300 + 1, "t"});
        }
        // One long table of distinct, spaced hashes in shuffled records.
        for (uint32_t k = 0; k < 601; ++k) doc.tables[39].entries.push_back({"", 400 + 2 * (k * 37 % 601), "t"});
        for (int round = 0; round < 2; ++round) {  // a second load: no stale index
            ASSERT_EQ(openGenerated(doc), 0);
            // First without memory for the index (each lookup tries to build it).
            for (int withIndex = 0; withIndex <= 1; ++withIndex)
                for (uint32_t hash = 1; hash <= 1603; ++hash) {
                    if (!withIndex) faultArm(FAULT_ALLOC, 1);
                    GxtEntry* found = findEntry(nullptr, hash);
                    faultReset();
                    // The first table holding the hash, in table order.
                    int32_t first = -1;
                    for (uint32_t t = 0; t < doc.tables.size() && first < 0; ++t)
                        for (const GenEntry& e : doc.tables[t].entries)
                            if (e.hash == hash) first = (int32_t)t;
                    ASSERT_EQ(found != nullptr, first >= 0) << variant << " " << hash << " " << withIndex;
                    if (found) {
                        const GxtTable& t = gDocument.tables[first];
                        EXPECT_TRUE(found >= t.entries && found < t.entries + t.entryCount) << hash;
                        EXPECT_EQ(found->hash, hash);
                    }
                }
            std::swap(doc.tables[0], doc.tables[1]);
        }
    }
}

TEST_F(EntryAccess, HashedEntriesAreNamedOnceWithinTheNameLimit) {
    const std::string n32(32, 'N'), n40(40, 'M');
    const struct {
        char variant;
        std::string name, stored;
    } cases[] = {{'@', "first", "first"},
                 {'@', n32, n32},
                 {'@', n40, std::string(32, 'M')},
                 {'2', "ABCDEFGHIJK", "ABCDEFGH"}};
    for (const auto& c : cases) {
        ASSERT_EQ(openGenerated(oneTable(c.variant, {{"KEY", "k"}})), 0);
        selectTable(0);
        faultArm(FAULT_ALLOC, 1);  // no memory for the name: the entry stays unnamed
        EXPECT_EQ(setRowName(0, c.name.c_str()), 0);
        faultReset();
        ASSERT_NE(rowHashName(0), nullptr);
        EXPECT_EQ(rowKeyName(0), nullptr);
        ASSERT_EQ(setRowName(0, c.name.c_str()), 1);
        EXPECT_EQ(std::string(rowKeyName(0)), c.stored);
        EXPECT_EQ(rowHashName(0), nullptr);
        EXPECT_EQ(setRowName(0, "again"), 0);
        EXPECT_EQ(std::string(rowKeyName(0)), c.stored);
    }
    EXPECT_EQ(setRowName(0, nullptr), 0);
    EXPECT_EQ(setRowName(5, "X"), 0);
    // Named layouts know their names from the start.
    ASSERT_EQ(openGenerated(oneTable('0', {{"NAMED", "n"}})), 0);
    selectTable(0);
    EXPECT_EQ(setRowName(0, "OTHER"), 0);
    EXPECT_STREQ(rowKeyName(0), "NAMED");
}

// Printed hashes, names and edited texts handed out early stay where they
// are while thousands of other entries are named and edited.
TEST_F(EntryAccess, NamesAndTextsStayWhereTheyWereHandedOut) {
    GenDocument doc = oneTable('@', {});
    for (uint32_t i = 0; i < 6000; ++i) doc.tables[0].entries.push_back({"K" + std::to_string(i), 0, "t"});
    ASSERT_EQ(openGenerated(doc), 0);
    selectTable(0);
    const char* hashName = rowHashName(0);
    ASSERT_NE(hashName, nullptr);
    const std::string printed = hashName;
    ASSERT_TRUE(setRowName(1, "one") && setRowText(2, "two", 3));
    const char *name = rowKeyName(1), *text = rowText(2);
    for (uint32_t r = 3; r < 6000; ++r) ASSERT_TRUE(rowHashName(r) && setRowName(r, "x") && setRowText(r, "y", 1));
    EXPECT_EQ(printed, hashName);
    EXPECT_EQ(hashName, rowHashName(0));
    EXPECT_STREQ(name, "one");
    EXPECT_STREQ(text, "two");
    EXPECT_STREQ(rowKeyName(5999), "x");
}

TEST_F(EntryAccess, ReplacementTexts) {
    ASSERT_EQ(openGenerated(oneTable('1', {{"FIRST", "first"}, {"A", "original"}})), 0);
    selectTable(0);
    const std::string longest(4095, 'x'), tooLong(4096, 'y');
    const struct {
        const char* text;
        uint32_t length;
        int result;
        std::string shown;
    } cases[] = {{"Hello", 5, 1, "Hello"},
                 {longest.c_str(), 4095, 1, longest},
                 {tooLong.c_str(), 4096, 0, longest},
                 {nullptr, 3, 0, longest},
                 {"ab", 4, 1, "ab"},  // shorter than its length: padded with zeros
                 {"", 0, 1, ""}};
    for (const auto& c : cases) {
        EXPECT_EQ(setRowText(1, c.text, c.length), c.result) << c.length;
        EXPECT_EQ(std::string(rowText(1)), c.shown) << c.length;
        EXPECT_STREQ(rowLoadedText(1), "original");
    }
    EXPECT_STREQ(rowText(0), "first");
    EXPECT_EQ(setEntryText(entryAtRow(1), tooLong.c_str(), 4096), 0);
    EXPECT_EQ(setRowText(2, "x", 1), 0);
    faultArm(FAULT_ALLOC, 1);
    EXPECT_EQ(setRowText(1, "lost", 4), 0);
    EXPECT_STREQ(rowText(1), "");
}
