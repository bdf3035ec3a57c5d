#include <gtest/gtest.h>

#include <string>

#include "support/text.h"

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
