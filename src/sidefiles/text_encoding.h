// The encodings of text files: the display bytes as they are, or UTF-8
// converted through a Windows code page, and where a conversion fails.
#pragma once

#include <cstdint>

#include "platform/platform.h"

struct TextEncoding {
    bool utf8;          // false: the display bytes as they are
    uint32_t codePage;  // the code page of the display bytes; 0: the display code page
};

// The UTF-8 byte-order mark, which the UTF-8 exports begin with.
constexpr uint8_t kUtf8ByteOrderMark[3] = {0xEF, 0xBB, 0xBF};
inline bool startsWithUtf8Mark(const uint8_t* bytes, uint32_t size) {
    return size >= 3 && bytes[0] == 0xEF && bytes[1] == 0xBB && bytes[2] == 0xBF;
}

// Where a conversion failed: the line (from 1; CR, LF and CR LF each end
// one) and the character: the Unicode code point that the code page lacks
// (UTF-8 to the code page; 0xFFFFFFFF for bytes that are not UTF-8), or the
// byte that the code page gives no character (to UTF-8).
struct TextConversionFailure {
    uint32_t line;
    uint32_t character;
};

// The first character of a UTF-8 text that the code page cannot hold, as
// above; false when every character converts.
bool firstUnconvertibleCharacter(uint32_t codePage, const char* text, uint32_t length, uint32_t* character);

// Converts a whole text of lines, UTF-8 to the code page or (toUtf8) the
// code page to UTF-8, into out (capacity bytes). On CODE_PAGE_UNREPRESENTABLE
// the failure names the first line that does not convert and its character.
CodePageResult convertTextLines(bool toUtf8, uint32_t codePage, const char* in, uint32_t length, char* out,
                                uint32_t capacity, uint32_t* written, TextConversionFailure* failure);
