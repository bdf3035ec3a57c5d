#include <gtest/gtest.h>

#include <string>

#include "dialogs/find_core.h"
#include "gxt/gxt.h"
#include "gxt/gxt_test_util.h"
#include "support/text.h"
#include "test_support.h"

// The edges the random comparison below does not reach: no text or
// pattern, empty ones, the terminator, bytes above 127.
TEST(FindText, Edges) {
    EXPECT_EQ(findChar("abcabc", 'C', 1), kNotFound);
    EXPECT_EQ(findChar("abcabc", 'C', 0), 2);
    EXPECT_EQ(findChar(nullptr, 'a', 0), kNotFound);
    EXPECT_EQ(findChar("abc", 0, 1), kNotFound);
    EXPECT_EQ(findChar("caf\xC9", '\xE9', 0), 3);
    EXPECT_EQ(findChar("caf\xC9", '\xE9', 1), kNotFound);
    const struct {
        const char* text;
        const char* pattern;
        int32_t at;
    } cases[] = {{"abc", "abc", 0}, {"abc", "abcd", kNotFound}, {"xab", "abc", kNotFound}, {"", "a", kNotFound},
                 {"abc", "", kNotFound}, {nullptr, "a", kNotFound}, {"a", nullptr, kNotFound},
                 {"~r~\xA9\xFF!", "\xFF!", 4}};
    for (const auto& c : cases) EXPECT_EQ(findSubstring(c.text, c.pattern, 1), c.at) << (c.pattern ? c.pattern : "-");
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

// Each mode from a start row to the last row, never wrapping; the hit named
// by the text of its row. Named keys are found only where known, the hash
// mode only in a document of hashed keys, and edited texts are searched.
TEST_F(FindRows, EachModeFromAStartRowWithoutWrapping) {
    EXPECT_EQ(findRow("a", FIND_STRINGS, 0, 0), kNotFound);  // no document
    struct Case {
        const char* pattern;
        int mode, matchCase;
        uint32_t start;
        const char* hit;  // the found row's text, null: none
    };
    GenDocument hashed = oneTable('2', {{"FIRST", "1"}, {"SECOND", "2"}, {"", "empty name"}, {"KNOWN", "k"}});
    hashed.tables[0].entries[3].name.clear();
    hashed.tables[0].entries[3].hash = genKeyHash('2', "KNOWN");
    const struct {
        GenDocument doc;
        std::vector<Case> cases;
    } documents[] = {
        {oneTable('1', {{"A1", "Hello world"}, {"MAIN_2", "say hello"}, {"C3", "nothing"}}),
         {{"hello", FIND_STRINGS, 0, 0, "Hello world"}, {"hello", FIND_STRINGS, 0, 1, "say hello"},
          {"hello", FIND_STRINGS, 0, 2, nullptr}, {"hello", FIND_STRINGS, 1, 0, "say hello"},
          {"hello", FIND_STRINGS, 0, 99, nullptr}, {"", FIND_STRINGS, 0, 0, nullptr},
          {nullptr, FIND_STRINGS, 0, 0, nullptr}, {"main", FIND_IDS, 0, 0, "say hello"},
          {"main", FIND_IDS, 1, 0, nullptr}, {"_", FIND_IDS, 1, 1, "say hello"}, {"A1", FIND_HASHES, 0, 0, nullptr},
          {"", FIND_HASHES, 0, 0, nullptr}}},
        {hashed,
         {{"second", FIND_HASHES, 1, 0, "2"}, {"SECOND", FIND_HASHES, 0, 0, "2"}, {"SECON", FIND_HASHES, 0, 0, nullptr},
          {"", FIND_HASHES, 0, 0, "empty name"}, {"NOWN", FIND_IDS, 0, 0, nullptr},
          {"0", FIND_IDS, 0, 0, nullptr}}},
    };
    for (const auto& d : documents) {
        ASSERT_EQ(openGenerated(d.doc), 0);
        EXPECT_EQ(findRow("1", FIND_STRINGS, 0, 0), kNotFound) << "no table selected";
        ASSERT_TRUE(selectTable(0));
        for (const Case& c : d.cases) {
            SCOPED_TRACE(testing::Message() << (c.pattern ? c.pattern : "-") << " mode " << c.mode);
            const int32_t row = findRow(c.pattern, c.mode, c.matchCase, c.start);
            EXPECT_EQ(std::string(row < 0 ? "-" : rowText((uint32_t)row)), c.hit ? c.hit : "-");
        }
    }
    // A name found later is a name; a text edited shorter hides what was
    // cut off, one edited longer shows what was added.
    const int32_t known = findRow("k", FIND_STRINGS, 1, 0);
    ASSERT_TRUE(setRowName((uint32_t)known, "KNOWN"));
    EXPECT_EQ(findRow("NOWN", FIND_IDS, 0, 0), known);
    const std::string filler(40, '.'), longer = filler + "needle";
    ASSERT_TRUE(setRowText((uint32_t)known, filler.c_str(), (uint32_t)filler.size()));
    EXPECT_EQ(findRow(".", FIND_STRINGS, 1, 0), known);
    EXPECT_EQ(findRow("k", FIND_STRINGS, 1, 0), kNotFound);
    ASSERT_TRUE(setRowText(0, longer.c_str(), (uint32_t)longer.size()));
    EXPECT_EQ(findRow("NEEDLE", FIND_STRINGS, 0, 0), 0);
}
