#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "support/text.h"

// copyBounded pads or cuts to exactly n (no terminator, nothing past n);
// copyText and textLength count the characters before the terminator.
TEST(TextHelpers, CopiesAndLengths) {
    const struct {
        const char* source;
        uint32_t n;
        std::string bytes;
    } cases[] = {{"MAIN", 8, std::string("MAIN\0\0\0\0x", 9)}, {"ABCDEFGHIJ", 8, "ABCDEFGHx"}, {"abc", 0, "x"}};
    for (const auto& c : cases) {
        char buf[12];
        memset(buf, 'x', sizeof buf);
        EXPECT_EQ(copyBounded(buf, c.source, c.n), c.n);
        EXPECT_EQ(std::string(buf, c.bytes.size()), c.bytes);
    }
    char buf[16];
    uint32_t n = copyText(buf, "Hello");
    n += copyText(buf + n, ", you");
    EXPECT_STREQ(buf, "Hello, you");
    EXPECT_EQ(n, 10u);
    EXPECT_EQ(textLength(buf), 10u);
    EXPECT_EQ(textLength(""), 0u);
}

// Folds A to Z and the Windows-1252 capitals unless exact; bytes compare
// unsigned, differences come from the folded characters.
TEST(TextHelpers, CompareText) {
    const struct {
        const char *a, *b;
        uint32_t n;
        int exact, result;
    } cases[] = {
        {"abc", "ABC", 4, 0, 0},          {"abc", "ABC", 4, 1, 'a' - 'A'}, {"ab", "abc", 3, 0, -99},
        {"ab", "abc", 2, 0, 0},           {"\xff", "a", 1, 1, 0xff - 'a'}, {"B", "c", 1, 0, 'b' - 'c'},
        {"", "A", 1, 0, -'A'},            // a zero leaves the other character unfolded
        {"\xc9t\xe9", "\xe9T\xc9", 4, 0, 0}, {"\xd7", "\xf7", 1, 0, 0xd7 - 0xf7},  // the sign is no letter
    };
    for (const auto& c : cases) EXPECT_EQ(compareText(c.a, c.b, c.n, c.exact), c.result) << c.a << " " << c.b;
}

TEST(TextHelpers, NumberToTextPadsAndUsesLowerCaseDigits) {
    const struct {
        uint32_t value, width, base;
        const char* text;
    } cases[] = {{255, 8, 16, "000000ff"},        {0, 8, 16, "00000000"}, {255, 0, 10, "255"},
                 {0, 1, 10, "0"},                 {0, 0, 10, "0"},        {0xFFFFFFFFu, 0, 10, "4294967295"},
                 {0xDEADBEEFu, 2, 16, "deadbeef"}, {35, 0, 36, "z"}};
    for (const auto& c : cases) {
        char buf[40];
        EXPECT_EQ(numberToText(buf, c.value, c.width, c.base), strlen(c.text)) << c.text;
        EXPECT_STREQ(buf, c.text);
    }
}

TEST(TextHelpers, TextToNumberReadsDigitsUntilAnyOtherCharacter) {
    const struct {
        const char* text;
        uint32_t base, value;
    } cases[] = {{"ff", 16, 255}, {"FF", 16, 255}, {"12z", 10, 155}, {"1g", 16, 32},
                 {"0x1f", 16, 33u * 256 + 0x1f},  // every letter is a digit, x included
                 {" 12", 10, 0},  {"-5", 10, 0},   {"", 10, 0},
                 {"4294967296", 10, 0}, {"4294967297", 10, 1}};  // wraps at 32 bits
    for (const auto& c : cases) EXPECT_EQ(textToNumber(c.text, c.base), c.value) << c.text;
}
