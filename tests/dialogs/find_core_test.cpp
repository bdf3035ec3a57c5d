#include <gtest/gtest.h>

#include <string>

#include "dialogs/find_core.h"
#include "gxt/gxt.h"
#include "gxt/gxt_test_util.h"
#include "support/text.h"
#include "test_support.h"

TEST(FindText, CharacterPositions) {
    EXPECT_EQ(findChar("abcabc", 'c', 1), 2);
    EXPECT_EQ(findChar("abcabc", 'C', 1), kNotFound);
    EXPECT_EQ(findChar("abcabc", 'C', 0), 2);
    EXPECT_EQ(findChar("xABC", 'b', 0), 2);
    EXPECT_EQ(findChar("", 'a', 0), kNotFound);
    EXPECT_EQ(findChar(nullptr, 'a', 0), kNotFound);
    // The terminator is never a character of the text.
    EXPECT_EQ(findChar("abc", 0, 1), kNotFound);
    // Accented capitals of the code page fold as well ('\xC9' E acute).
    EXPECT_EQ(findChar("caf\xC9", '\xE9', 0), 3);
    EXPECT_EQ(findChar("caf\xC9", '\xE9', 1), kNotFound);
}

TEST(FindText, SubstringWithAndWithoutCase) {
    EXPECT_EQ(findSubstring("xABCx", "abc", 0), 1);
    EXPECT_EQ(findSubstring("xABCx", "abc", 1), kNotFound);
    EXPECT_EQ(findSubstring("xABCx", "ABC", 1), 1);
    // A false start does not hide an occurrence that overlaps it.
    EXPECT_EQ(findSubstring("aaab", "aab", 1), 1);
    EXPECT_EQ(findSubstring("ababac", "abac", 1), 2);
    // The pattern may not run past the end of the text.
    EXPECT_EQ(findSubstring("xab", "abc", 0), kNotFound);
    EXPECT_EQ(findSubstring("abc", "abc", 0), 0);
    EXPECT_EQ(findSubstring("abc", "abcd", 0), kNotFound);
    // Empty texts and patterns: nothing.
    EXPECT_EQ(findSubstring("", "a", 0), kNotFound);
    EXPECT_EQ(findSubstring("abc", "", 0), kNotFound);
    EXPECT_EQ(findSubstring("", "", 1), kNotFound);
    EXPECT_EQ(findSubstring(nullptr, "a", 0), kNotFound);
    EXPECT_EQ(findSubstring("a", nullptr, 0), kNotFound);
    // Bytes above 127 compare as bytes.
    EXPECT_EQ(findSubstring("~r~\xA9\xFF!", "\xFF!", 1), 4);
}

// Every position of every text, against a plain search that folds letters
// the way compareText does: texts long enough for the sixteen-byte blocks,
// with hits at the start, inside, across block edges and at the very end.
TEST(FindText, AgreesWithAPlainSearch) {
    auto plain = [](const std::string& t, const std::string& p, int exact) -> int32_t {
        if (p.empty()) return kNotFound;
        for (size_t i = 0; i + p.size() <= t.size(); ++i)
            if (compareText(t.c_str() + i, p.c_str(), (uint32_t)p.size(), exact) == 0) return (int32_t)i;
        return kNotFound;
    };
    uint32_t x = 2463534242u;
    auto next = [&x] {
        x ^= x << 13;
        x ^= x >> 17;
        x ^= x << 5;
        return x;
    };
    const char alphabet[] = "aAbB~\xE9\xC9 ";
    int hits = 0;
    for (int round = 0; round < 4000; ++round) {
        std::string text, pattern;
        const uint32_t n = next() % 70, m = 1 + next() % 5;
        for (uint32_t i = 0; i < n; ++i) text += alphabet[next() % (sizeof alphabet - 1)];
        for (uint32_t i = 0; i < m; ++i) pattern += alphabet[next() % (sizeof alphabet - 1)];
        for (int exact = 0; exact < 2; ++exact) {
            const int32_t expected = plain(text, pattern, exact);
            ASSERT_EQ(findSubstring(text.c_str(), pattern.c_str(), exact), expected)
                << "text '" << text << "' pattern '" << pattern << "' exact " << exact;
            hits += expected != kNotFound;
        }
    }
    EXPECT_GT(hits, 1000);  // the texts give both outcomes often
}

class FindRows : public CoreTest {};

TEST_F(FindRows, StringsFromAStartRowWithoutWrapping) {
    ASSERT_EQ(openGenerated(oneTable('1', {{"A1", "Hello world"}, {"B2", "say hello"}, {"C3", "nothing"}})), 0);
    ASSERT_TRUE(selectTable(0));
    EXPECT_EQ(findRow("hello", FIND_STRINGS, 0, 0), 0);
    EXPECT_EQ(findRow("hello", FIND_STRINGS, 0, 1), 1);
    EXPECT_EQ(findRow("hello", FIND_STRINGS, 0, 2), kNotFound);
    EXPECT_EQ(findRow("hello", FIND_STRINGS, 1, 0), 1);
    EXPECT_EQ(findRow("hello", FIND_STRINGS, 0, 99), kNotFound);
    EXPECT_EQ(findRow("", FIND_STRINGS, 0, 0), kNotFound);
    EXPECT_EQ(findRow(nullptr, FIND_STRINGS, 0, 0), kNotFound);
    // An edited text is searched, not the one read from the file.
    ASSERT_TRUE(setRowText(2, "HELLO again", 11));
    EXPECT_EQ(findRow("hello", FIND_STRINGS, 1, 2), kNotFound);
    EXPECT_EQ(findRow("hello", FIND_STRINGS, 0, 2), 2);
}

TEST_F(FindRows, NamesOnlyWhereKnown) {
    ASSERT_EQ(openGenerated(oneTable('1', {{"INTRO_1", "a"}, {"MAIN_2", "b"}})), 0);
    ASSERT_TRUE(selectTable(0));
    EXPECT_EQ(findRow("main", FIND_IDS, 0, 0), 1);
    EXPECT_EQ(findRow("main", FIND_IDS, 1, 0), kNotFound);
    EXPECT_EQ(findRow("_", FIND_IDS, 1, 1), 1);
    closeDocument();

    // Unnamed hashed keys show their hash, but that is not a name.
    GenDocument doc = oneTable('@', {});
    doc.tables[0].entries = {{"", 0xabcdef01, "x"}, {"KNOWN", 0, "y"}, {"", 0x00abcdef, "z"}};
    ASSERT_EQ(openGenerated(doc), 0);
    ASSERT_TRUE(selectTable(0));
    EXPECT_EQ(findRow("abcd", FIND_IDS, 0, 0), kNotFound);
    const uint32_t rows = rowCount();
    int32_t named = kNotFound;
    for (uint32_t r = 0; r < rows; ++r)
        if (rowHash(r) == genKeyHash('@', "KNOWN")) named = (int32_t)r;
    ASSERT_NE(named, kNotFound);
    ASSERT_TRUE(setRowName((uint32_t)named, "KNOWN"));
    EXPECT_EQ(findRow("now", FIND_IDS, 0, 0), named);
}

TEST_F(FindRows, HashesOfTheTypedName) {
    GenDocument doc = oneTable('2', {{"FIRST", "1"}, {"SECOND", "2"}, {"", "empty name"}});
    ASSERT_EQ(openGenerated(doc), 0);
    ASSERT_TRUE(selectTable(0));
    const int32_t second = findRow("2", FIND_STRINGS, 1, 0);
    ASSERT_NE(second, kNotFound);
    // The hash folds case by itself; the match-case flag plays no part.
    EXPECT_EQ(findRow("second", FIND_HASHES, 1, 0), second);
    EXPECT_EQ(findRow("SECOND", FIND_HASHES, 0, 0), second);
    EXPECT_EQ(findRow("SECOND", FIND_HASHES, 0, (uint32_t)second + 1), kNotFound);
    EXPECT_EQ(findRow("SECON", FIND_HASHES, 0, 0), kNotFound);
    // The empty name has a hash too.
    EXPECT_EQ(findRow("", FIND_HASHES, 0, 0), findRow("empty", FIND_STRINGS, 0, 0));
    closeDocument();

    // Named keys have no hash to search: nothing matches, not every row.
    ASSERT_EQ(openGenerated(oneTable('0', {{"A", "a"}, {"B", "b"}})), 0);
    ASSERT_TRUE(selectTable(0));
    EXPECT_EQ(findRow("A", FIND_HASHES, 0, 0), kNotFound);
    EXPECT_EQ(findRow("", FIND_HASHES, 0, 0), kNotFound);
}

TEST_F(FindRows, LongTextsAndEditedTexts) {
    const std::string filler(40, '.');
    ASSERT_EQ(openGenerated(oneTable('1', {{"A", filler + "needle"}, {"B", filler}, {"C", "needle" + filler}})), 0);
    ASSERT_TRUE(selectTable(0));
    // Rows in the order the texts lie in the file: A, B, C.
    EXPECT_EQ(findRow("NEEDLE", FIND_STRINGS, 0, 0), 0);
    EXPECT_EQ(findRow("NEEDLE", FIND_STRINGS, 0, 1), 2);
    EXPECT_EQ(findRow("NEEDLE", FIND_STRINGS, 0, 3), kNotFound);
    // An edit that makes a text shorter hides what was cut off; one that
    // makes it longer shows what was added.
    ASSERT_TRUE(setRowText(0, filler.c_str(), (uint32_t)filler.size()));
    const std::string longer = filler + filler + "needle";
    ASSERT_TRUE(setRowText(1, longer.c_str(), (uint32_t)longer.size()));
    EXPECT_EQ(findRow("needle", FIND_STRINGS, 1, 0), 1);
}

TEST_F(FindRows, NoTableNoRows) {
    EXPECT_EQ(findRow("a", FIND_STRINGS, 0, 0), kNotFound);
    ASSERT_EQ(openGenerated(oneTable('1', {{"A", "a"}})), 0);
    EXPECT_EQ(findRow("a", FIND_STRINGS, 0, 0), kNotFound);  // no table selected
}
