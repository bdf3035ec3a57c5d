#include <gtest/gtest.h>

#include <string>

#include "gxt/gxt.h"
#include "gxt_test_util.h"
#include "test_support.h"

class EntryAccess : public CoreTest {};

TEST_F(EntryAccess, FindByNameIgnoresCaseButNotLength) {
    GenDocument doc = oneTable('1', {{"ABC", "first abc"}, {"Abc", "second abc"}, {"ABCD", "d"}}, "T1");
    doc.tables.push_back({"T2", {{"ZED", 0, "zed"}}});
    ASSERT_EQ(openGenerated(doc), 0);
    GxtEntry* e = findEntry("abc", 0);
    ASSERT_NE(e, nullptr);
    EXPECT_STREQ(entryText(e), "first abc");
    EXPECT_STREQ(entryText(findEntry("abcd", 0)), "d");
    EXPECT_EQ(findEntry("ab", 0), nullptr);
    EXPECT_EQ(findEntry("abcde", 0), nullptr);
    EXPECT_EQ(findEntry("a-very-long-name-that-is-longer-than-any-field", 0), nullptr);
    EXPECT_STREQ(entryText(findEntry("zed", 0)), "zed");
    EXPECT_EQ(findEntry(nullptr, 0), nullptr);
    EXPECT_EQ(findEntry(nullptr, 12345), nullptr);
}

TEST_F(EntryAccess, FindByHashInEveryTableSize) {
    for (uint32_t size : {1u, 2u, 3u, 4u, 5u, 7u, 8u, 9u, 16u, 17u, 100u, 257u, 600u}) {
        GenDocument doc = oneTable('@', {});
        for (uint32_t i = 0; i < size; ++i) doc.tables[0].entries.push_back({"", 1000 + 7 * ((i * 37) % size), "t"});
        ASSERT_EQ(openGenerated(doc), 0);
        for (uint32_t i = 0; i < size; ++i) {
            uint32_t h = 1000 + 7 * i;
            GxtEntry* e = findEntry(nullptr, h);
            ASSERT_NE(e, nullptr) << size << " " << i;
            EXPECT_EQ(e->hash, h);
            EXPECT_EQ(findEntry(nullptr, h + 1), nullptr);
        }
        EXPECT_EQ(findEntry(nullptr, 999), nullptr);
        EXPECT_EQ(findEntry(nullptr, 0xFFFFFFFF), nullptr);
        closeDocument();
    }
}

TEST_F(EntryAccess, FindByHashRules) {
    GenDocument doc = oneTable('@', {}, "T1");
    doc.tables[0].entries = {{"", 10, "ten"}, {"", 20, "twenty"}};
    doc.tables.push_back({"EMPTY", {}});
    doc.tables.push_back({"T3", {{"", 20, "later twenty"}, {"", 30, "thirty"}}});
    ASSERT_EQ(openGenerated(doc), 0);
    EXPECT_STREQ(entryText(findEntry(nullptr, 20)), "twenty");  // the first table wins
    EXPECT_STREQ(entryText(findEntry(nullptr, 30)), "thirty");  // empty tables are skipped
    EXPECT_EQ(findEntry(nullptr, 15), nullptr);
    EXPECT_EQ(findEntry(nullptr, 0), nullptr);
    closeDocument();

    // With a name, the hash argument is ignored.
    ASSERT_EQ(openGenerated(oneTable('@', {{"ABC", "abc"}, {"X", "x"}})), 0);
    EXPECT_STREQ(entryText(findEntry("abc", genKeyHash('@', "X"))), "abc");
    EXPECT_EQ(findEntry("nothing", genKeyHash('@', "X")), nullptr);
    EXPECT_STREQ(entryText(findEntry(nullptr, genKeyHash('@', "X"))), "x");
}

TEST_F(EntryAccess, EqualHashesInOneTableAlwaysGiveTheSameEntry) {
    // Several entries with one hash: the search returns the one it probes
    // first, which for these seven is the middle one of the hash order.
    GenDocument doc = oneTable('2', {});
    for (int i = 0; i < 7; ++i) doc.tables[0].entries.push_back({"", 5, "five " + std::to_string(i)});
    ASSERT_EQ(openGenerated(doc), 0);
    EXPECT_STREQ(entryText(findEntry(nullptr, 5)), "five 3");
}

TEST_F(EntryAccess, HashedEntriesAreNamedOnce) {
    ASSERT_EQ(openGenerated(oneTable('@', {{"FIRST", "1"}, {"SECOND", "2"}})), 0);
    selectTable(0);
    EXPECT_EQ(setRowName(0, nullptr), 0);
    EXPECT_EQ(setRowName(5, "X"), 0);
    ASSERT_EQ(setRowName(0, "first"), 1);
    EXPECT_STREQ(rowKeyName(0), "first");
    EXPECT_EQ(rowHashName(0), nullptr);
    EXPECT_EQ(setRowName(0, "again"), 0);
    EXPECT_STREQ(rowKeyName(0), "first");

    std::string n32(32, 'N'), n40(40, 'M');
    ASSERT_EQ(setRowName(1, n40.c_str()), 1);
    EXPECT_EQ(std::string(rowKeyName(1)), std::string(32, 'M'));
    closeDocument();

    GenDocument two = oneTable('@', {{"Q", "q"}});
    ASSERT_EQ(openGenerated(two), 0);
    selectTable(0);
    ASSERT_EQ(setRowName(0, n32.c_str()), 1);
    EXPECT_EQ(std::string(rowKeyName(0)), n32);
    closeDocument();

    ASSERT_EQ(openGenerated(oneTable('2', {{"Q", "q"}})), 0);
    selectTable(0);
    ASSERT_EQ(setRowName(0, "ABCDEFGHIJK"), 1);
    EXPECT_STREQ(rowKeyName(0), "ABCDEFGH");
    closeDocument();

    // Named layouts know their names from the start.
    ASSERT_EQ(openGenerated(oneTable('0', {{"NAMED", "n"}})), 0);
    selectTable(0);
    EXPECT_EQ(setRowName(0, "OTHER"), 0);
    EXPECT_STREQ(rowKeyName(0), "NAMED");
}

TEST_F(EntryAccess, NamesAndTextsStayWhereTheyWereHandedOut) {
    // Printed hashes, names and edited texts handed out early must still be
    // there after thousands of other entries have been named and edited.
    GenDocument doc = oneTable('@', {});
    for (uint32_t i = 0; i < 6000; ++i) doc.tables[0].entries.push_back({"K" + std::to_string(i), 0, "t"});
    ASSERT_EQ(openGenerated(doc), 0);
    selectTable(0);
    const char* hashName = rowHashName(0);
    ASSERT_NE(hashName, nullptr);
    const std::string printed = hashName;
    ASSERT_EQ(setRowName(1, "one"), 1);
    const char* name = rowKeyName(1);
    ASSERT_EQ(setRowText(2, "two", 3), 1);
    const char* text = rowText(2);
    for (uint32_t r = 3; r < 6000; ++r) {
        ASSERT_NE(rowHashName(r), nullptr);
        ASSERT_EQ(setRowName(r, "x"), 1);
        ASSERT_EQ(setRowText(r, "y", 1), 1);
    }
    EXPECT_EQ(printed, hashName);
    EXPECT_EQ(hashName, rowHashName(0));
    EXPECT_STREQ(name, "one");
    EXPECT_STREQ(text, "two");
    EXPECT_STREQ(rowKeyName(5999), "x");
}

TEST_F(EntryAccess, ReplacementTexts) {
    ASSERT_EQ(openGenerated(oneTable('1', {{"A", "original"}})), 0);
    selectTable(0);
    ASSERT_EQ(setRowText(0, "Hello", 5), 1);
    EXPECT_STREQ(rowText(0), "Hello");
    EXPECT_STREQ(rowLoadedText(0), "original");
    EXPECT_EQ(gDocument.tables[0].entries[0].storedLength, 6);

    std::string longest(4095, 'x'), tooLong(4096, 'y');
    EXPECT_EQ(setRowText(0, longest.c_str(), 4095), 1);
    EXPECT_EQ(std::string(rowText(0)), longest);
    EXPECT_EQ(setRowText(0, tooLong.c_str(), 4096), 0);
    EXPECT_EQ(setEntryText(entryAtRow(0), tooLong.c_str(), 4096), 0);
    EXPECT_EQ(std::string(rowText(0)), longest);
    EXPECT_EQ(setRowText(0, nullptr, 3), 0);
    EXPECT_EQ(setRowText(1, "x", 1), 0);

    // A text shorter than its length is padded with zeros.
    ASSERT_EQ(setRowText(0, "ab", 4), 1);
    EXPECT_STREQ(rowText(0), "ab");
    // An empty text.
    ASSERT_EQ(setRowText(0, "", 0), 1);
    EXPECT_STREQ(rowText(0), "");
    EXPECT_EQ(gDocument.tables[0].entries[0].storedLength, 1);

    faultArm(FAULT_ALLOC, 1);
    EXPECT_EQ(setRowText(0, "lost", 4), 0);
    EXPECT_STREQ(rowText(0), "");
}

TEST_F(EntryAccess, RowsAndTablesWithoutADocumentOrTable) {
    EXPECT_EQ(tableCount(), 0u);
    EXPECT_EQ(rowCount(), 0u);
    EXPECT_EQ(entryAtRow(0), nullptr);
    EXPECT_EQ(rowHash(0), 0u);
    EXPECT_EQ(rowKeyName(0), nullptr);
    EXPECT_EQ(rowLoadedText(0), nullptr);
    EXPECT_EQ(selectTable(0), 0);
    char name[9] = "unset";
    tableName(0, name);
    EXPECT_STREQ(name, "unset");
    EXPECT_EQ(entryText(nullptr), nullptr);
    EXPECT_EQ(setEntryName(nullptr, "x"), 0);
    EXPECT_EQ(setEntryText(nullptr, "x", 1), 0);

    ASSERT_EQ(openGenerated(oneTable('@', {{"A", "a"}})), 0);
    EXPECT_EQ(rowCount(), 0u);
    EXPECT_EQ(entryAtRow(0), nullptr);
    selectTable(0);
    EXPECT_EQ(entryAtRow(0xFFFFFFFFu), nullptr);
    EXPECT_NE(entryAtRow(0), nullptr);
    EXPECT_EQ(entryAtRow(1), nullptr);
}

TEST_F(EntryAccess, StringListViewReplacesTheTableRows) {
    GenDocument doc = oneTable('@', {{"A", "a"}, {"B", "b"}}, "ONE");
    doc.tables.push_back({"TWO", {{"C", 0, "c"}}});
    ASSERT_EQ(openGenerated(doc), 0);
    selectTable(0);
    GxtEntry* list[2] = {findEntry("C", 0), findEntry("A", 0)};
    gStringList.entries = list;
    gStringList.count = 2;
    gStringList.on = true;
    EXPECT_EQ(tableCount(), 0u);
    EXPECT_EQ(selectTable(1), 0);
    EXPECT_EQ(rowCount(), 2u);
    EXPECT_STREQ(rowText(0), "c");
    EXPECT_STREQ(rowText(1), "a");
    EXPECT_EQ(rowText(2), nullptr);
    char name[9] = "unset";
    tableName(0, name);
    EXPECT_STREQ(name, "unset");
    // Closing the document ends the view.
    closeDocument();
    EXPECT_FALSE(gStringList.on);
    EXPECT_EQ(rowCount(), 0u);
}

TEST_F(EntryAccess, NameLookupFindsTheFirstEntryInTableAndRecordOrder) {
    GenDocument doc = oneTable('1', {{"DUP", "first table"}, {"Mixed", "m"}, {"", "empty name"}}, "T1");
    doc.tables.push_back({"T2", {{"dup", 0, "second table"}, {"LATE", 0, "late"}, {"late", 0, "late again"}}});
    ASSERT_EQ(openGenerated(doc), 0);
    EXPECT_STREQ(entryText(findEntry("Dup", 0)), "first table");
    EXPECT_STREQ(entryText(findEntry("MIXED", 0)), "m");
    EXPECT_STREQ(entryText(findEntry("late", 0)), "late");
    EXPECT_STREQ(entryText(findEntry("", 0)), "empty name");
    EXPECT_EQ(findEntry("mixe", 0), nullptr);
    EXPECT_EQ(findEntry("mixedd", 0), nullptr);
    EXPECT_EQ(findEntry("ninechars", 0), nullptr);
}

TEST_F(EntryAccess, NameLookupAgreesWithASearchOfEveryName) {
    for (uint32_t seed = 1; seed <= 5; ++seed) {
        GenDocument doc = randomDocument(seed % 2 ? '1' : '0', seed, 300);
        // Shared names across tables, differing in case only.
        if (doc.tables.size() > 1 && !doc.tables[0].entries.empty()) {
            GenEntry copy = doc.tables[0].entries[0];
            for (char& c : copy.name) c = (char)tolower((unsigned char)c);
            doc.tables[1].entries.push_back(copy);
        }
        // The index is built with the first lookup; the second document
        // loads with its allocation failing, so every table is searched.
        for (int withIndex = 1; withIndex >= 0; --withIndex) {
            ASSERT_EQ(openGenerated(doc), 0);
            if (!withIndex) faultArm(FAULT_ALLOC, 1);
            for (const GenTable& t : doc.tables) {
                for (const GenEntry& e : t.entries) {
                    std::string lower = e.name;
                    for (char& c : lower) c = (char)tolower((unsigned char)c);
                    GxtEntry* expected = nullptr;
                    for (uint32_t i = 0; i < gDocument.tableCount && !expected; ++i)
                        for (uint32_t k = 0; k < gDocument.tables[i].entryCount && !expected; ++k) {
                            std::string n = entryName(tableKey(gDocument.tables[i], k));
                            for (char& c : n) c = (char)tolower((unsigned char)c);
                            if (n == lower) expected = tableKey(gDocument.tables[i], k);
                        }
                    ASSERT_NE(expected, nullptr);
                    EXPECT_EQ(findEntry(lower.c_str(), 0), expected) << e.name;
                }
            }
            faultReset();
            closeDocument();
        }
    }
}
