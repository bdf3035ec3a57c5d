#include <gtest/gtest.h>

#include "gxt/gxt.h"

// Values worked by hand (the CRC ones also as the complement of the standard
// CRC-32 of the upper-cased name).
TEST(KeyHash, WorkedValuesOfBothFunctions) {
    const struct {
        const char* name;
        uint32_t crc, oneAtATime;
    } cases[] = {
        {"", 0xFFFFFFFF, 0},
        {"a", 0x2C266174, 0xCA2E9442},
        {"abc", 0x5C7CFCB7, 0xED131F5B},
        {"ABC", 0x5C7CFCB7, 0xED131F5B},
        // Both ends of each letter range fold; the bytes next to them do not.
        {"Zz@[`{", 0xC85CF8D8, 0xED1AEB01},
        {"123456789", ~0xCBF43926u, 0xC66B58C5},
        // A leading quote: the name ends at the next one, or at its end.
        {"\"abc\"rest", 0x5B5AF089, 0xED131F5B},
        {"\"abc", 0x88429D0C, 0xED131F5B},
        {"\"", 0xF89D5196, 0},
        // A quote later in the name is hashed like any byte.
        {"ab\"c", 0xC66A101F, 0x91088022},
        {"a\\b", 0xFF3AF3FE, 0x88D8A887},
        {"a/b", 0xFB28D9CB, 0x88D8A887},
        // Bytes from 0x80 are not folded; they add negatively.
        {"\x80", 0xC0459352, 0xC31D4E27},
        {"\xc9", 0xCF456A66, 0x08E2D98D},
        {"\xe9", 0xF42B4AAE, 0x409848FF},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(crcKeyHash(c.name), c.crc) << c.name;
        EXPECT_EQ(oneAtATimeKeyHash(c.name), c.oneAtATime) << c.name;
    }
}
