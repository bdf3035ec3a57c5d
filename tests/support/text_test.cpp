#include <gtest/gtest.h>

#include <cstring>

#include "support/text.h"

TEST(TextHelpers, CopyBoundedPadsOrCutsToExactlyN) {
    char buf[12];
    memset(buf, 'x', sizeof buf);
    EXPECT_EQ(copyBounded(buf, "MAIN", 8), 8u);
    EXPECT_EQ(0, memcmp(buf, "MAIN\0\0\0\0x", 9));

    memset(buf, 'x', sizeof buf);
    EXPECT_EQ(copyBounded(buf, "ABCDEFGHIJ", 8), 8u);
    EXPECT_EQ(0, memcmp(buf, "ABCDEFGHx", 9));  // no terminator, nothing past n

    memset(buf, 'x', sizeof buf);
    EXPECT_EQ(copyBounded(buf, "abc", 0), 0u);
    EXPECT_EQ(buf[0], 'x');
}

TEST(TextHelpers, CopyTextAndLengthCountCharactersBeforeTheTerminator) {
    char buf[16];
    uint32_t n = copyText(buf, "Hello");
    EXPECT_EQ(n, 5u);
    EXPECT_STREQ(buf, "Hello");
    n += copyText(buf + n, ", you");
    EXPECT_STREQ(buf, "Hello, you");
    EXPECT_EQ(n, textLength(buf));
    EXPECT_EQ(textLength(""), 0u);
}

TEST(TextHelpers, CompareTextFoldsCaseUnlessExact) {
    EXPECT_EQ(compareText("abc", "ABC", 4, 0), 0);
    EXPECT_EQ(compareText("abc", "ABC", 4, 1), 0x61 - 0x41);
    EXPECT_EQ(compareText("ab", "abc", 3, 0), -99);
    EXPECT_EQ(compareText("ab", "abc", 2, 0), 0);
    // Bytes are compared unsigned.
    EXPECT_EQ(compareText("\xff", "a", 1, 1), 0xff - 'a');
    // Differences after folding are computed from the folded characters.
    EXPECT_EQ(compareText("B", "c", 1, 0), 'b' - 'c');
    // A zero in a's place leaves b's character unfolded.
    EXPECT_EQ(compareText("", "A", 1, 0), -'A');
}

TEST(TextHelpers, CompareTextFoldsAccentedCapitals) {
    // Windows-1252 capitals fold to their small letters.
    EXPECT_EQ(compareText("\xc9t\xe9", "\xe9T\xc9", 4, 0), 0);
    EXPECT_NE(compareText("\xd7", "\xf7", 1, 0), 0);  // the multiplication sign is no letter
}

TEST(TextHelpers, NumberToTextPadsAndUsesLowerCaseDigits) {
    char buf[40];
    EXPECT_EQ(numberToText(buf, 255, 8, 16), 8u);
    EXPECT_STREQ(buf, "000000ff");
    EXPECT_EQ(numberToText(buf, 0, 8, 16), 8u);
    EXPECT_STREQ(buf, "00000000");
    EXPECT_EQ(numberToText(buf, 255, 0, 10), 3u);
    EXPECT_STREQ(buf, "255");
    EXPECT_EQ(numberToText(buf, 0, 1, 10), 1u);
    EXPECT_STREQ(buf, "0");
    EXPECT_EQ(numberToText(buf, 0xFFFFFFFFu, 0, 10), 10u);
    EXPECT_STREQ(buf, "4294967295");
    EXPECT_EQ(numberToText(buf, 0xDEADBEEFu, 2, 16), 8u);
    EXPECT_STREQ(buf, "deadbeef");
    EXPECT_EQ(numberToText(buf, 35, 0, 36), 1u);
    EXPECT_STREQ(buf, "z");
}

TEST(TextHelpers, TextToNumberReadsDigitsUntilAnyOtherCharacter) {
    EXPECT_EQ(textToNumber("ff", 16), 255u);
    EXPECT_EQ(textToNumber("FF", 16), 255u);
    EXPECT_EQ(textToNumber("12z", 10), 155u);
    EXPECT_EQ(textToNumber("1g", 16), 32u);
    // Every letter is a digit, x included: prefixes are the caller's to remove.
    EXPECT_EQ(textToNumber("0x1f", 16), 33u * 256 + 0x1f);
    EXPECT_EQ(textToNumber(" 12", 10), 0u);
    EXPECT_EQ(textToNumber("-5", 10), 0u);
    EXPECT_EQ(textToNumber("", 10), 0u);
    // Wraps at 32 bits.
    EXPECT_EQ(textToNumber("4294967296", 10), 0u);
    EXPECT_EQ(textToNumber("4294967297", 10), 1u);
}

TEST(TextHelpers, NumberTextRoundTrip) {
    char buf[40];
    for (uint32_t v : {0u, 1u, 9u, 10u, 4095u, 65535u, 0x80000000u, 0xFFFFFFFFu})
        for (uint32_t base : {10u, 16u}) {
            numberToText(buf, v, 0, base);
            EXPECT_EQ(textToNumber(buf, base), v) << buf;
        }
}
