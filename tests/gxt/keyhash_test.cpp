#include <gtest/gtest.h>

#include "gxt/gxt.h"
#include "test_support.h"

TEST(KeyHash, WorkedValuesOfBothFunctions) {
    EXPECT_EQ(crcKeyHash(""), 0xFFFFFFFFu);
    EXPECT_EQ(crcKeyHash("a"), 0x2C266174u);
    EXPECT_EQ(crcKeyHash("abc"), 0x5C7CFCB7u);
    EXPECT_EQ(crcKeyHash("ABC"), 0x5C7CFCB7u);
    EXPECT_EQ(crcKeyHash("Abc"), 0x5C7CFCB7u);
    EXPECT_EQ(oneAtATimeKeyHash(""), 0u);
    EXPECT_EQ(oneAtATimeKeyHash("a"), 0xCA2E9442u);
    EXPECT_EQ(oneAtATimeKeyHash("abc"), 0xED131F5Bu);
    EXPECT_EQ(oneAtATimeKeyHash("ABC"), 0xED131F5Bu);
    EXPECT_EQ(oneAtATimeKeyHash("aBc"), 0xED131F5Bu);
}

TEST(KeyHash, OneAtATimeQuotesAndSlashes) {
    EXPECT_EQ(oneAtATimeKeyHash("\"abc\"rest"), 0xED131F5Bu);
    EXPECT_EQ(oneAtATimeKeyHash("\"abc\""), 0xED131F5Bu);
    EXPECT_EQ(oneAtATimeKeyHash("\""), 0u);
    // Without a closing quote the name is hashed to its end.
    EXPECT_EQ(oneAtATimeKeyHash("\"abc"), 0xED131F5Bu);
    // Only a leading quote is special.
    EXPECT_NE(oneAtATimeKeyHash("ab\"c"), 0xED131F5Bu);
    EXPECT_EQ(oneAtATimeKeyHash("a\\b"), 0x88D8A887u);
    EXPECT_EQ(oneAtATimeKeyHash("a/b"), 0x88D8A887u);
    EXPECT_EQ(crcKeyHash("a\\b"), 0xFF3AF3FEu);
    EXPECT_EQ(crcKeyHash("a/b"), 0xFB28D9CBu);
}

TEST(KeyHash, HighBytesAreNotFoldedAndAddNegatively) {
    // 0xC9 and 0xE9 are a capital and small letter in the ANSI page, but the
    // hashes fold ASCII only.
    EXPECT_NE(crcKeyHash("\xc9"), crcKeyHash("\xe9"));
    EXPECT_NE(oneAtATimeKeyHash("\xc9"), oneAtATimeKeyHash("\xe9"));
    // A single byte x gives: h = x + (x << 10), then h ^= h >> 6, then the
    // final mix; with x = 0x80 added as 0xFFFFFF80.
    uint32_t h = 0xFFFFFF80u;
    h += h << 10;
    h ^= h >> 6;
    h += h << 3;
    h ^= h >> 11;
    h += h << 15;
    EXPECT_EQ(oneAtATimeKeyHash("\x80"), h);
    // The CRC key hash is the complement of the standard CRC-32.
    EXPECT_EQ(crcKeyHash("123456789"), ~0xCBF43926u);
}

class KeyHashOfDocument : public CoreTest {};

TEST_F(KeyHashOfDocument, ChosenByTheOpenLayout) {
    EXPECT_EQ(keyHash("abc"), 0u);  // no document
    EXPECT_EQ(keyHash(nullptr), 0u);
    for (char v : {'0', '1', '2', '@'}) {
        GenDocument doc;
        doc.variant = v;
        doc.tables.push_back({"MAIN", {{"K1", 0, "x"}}});
        ASSERT_EQ(openGenerated(doc), 0) << v;
        uint32_t expected = v == '2' ? 0x5C7CFCB7u : v == '@' ? 0xED131F5Bu : 0u;
        EXPECT_EQ(keyHash("abc"), expected) << v;
        EXPECT_EQ(keyHash(nullptr), 0u);
        closeDocument();
    }
}
