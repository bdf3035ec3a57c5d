#include "sidefiles/text_encoding.h"

namespace {

// Bytes in the UTF-8 character that starts with the byte c (1 for a byte
// that cannot start one, so that it is looked at alone).
uint32_t utf8Length(uint8_t c) {
    if (c >= 0xF0 && c < 0xF8) return 4;
    if (c >= 0xE0) return c < 0xF0 ? 3 : 1;
    if (c >= 0xC0) return 2;
    return 1;
}

uint32_t utf8CodePoint(const uint8_t* p, uint32_t n) {
    if (n == 1) return p[0] < 0x80 ? p[0] : 0xFFFFFFFF;
    uint32_t c = p[0] & (0x7F >> n);
    for (uint32_t i = 1; i < n; ++i) {
        if ((p[i] & 0xC0) != 0x80) return 0xFFFFFFFF;
        c = c << 6 | (p[i] & 0x3F);
    }
    return c;
}

// The first byte of a code-page text that does not convert to UTF-8 (a
// lead byte is tried with the byte after it, for the double-byte code pages).
uint32_t firstUnconvertibleByte(uint32_t codePage, const char* text, uint32_t length) {
    char out[8];
    uint32_t written = 0;
    for (uint32_t i = 0; i < length; ++i) {
        if (codePageToUtf8(codePage, text + i, 1, out, sizeof out, &written) == CODE_PAGE_OK) continue;
        if (i + 1 < length && codePageToUtf8(codePage, text + i, 2, out, sizeof out, &written) == CODE_PAGE_OK) {
            ++i;
            continue;
        }
        return (uint8_t)text[i];
    }
    return 0xFFFFFFFF;
}

bool isLineEnd(char c) { return c == '\r' || c == '\n'; }

}  // namespace

bool firstUnconvertibleCharacter(uint32_t codePage, const char* text, uint32_t length, uint32_t* character) {
    const uint8_t* p = reinterpret_cast<const uint8_t*>(text);
    char out[8];
    uint32_t written = 0;
    for (uint32_t i = 0; i < length;) {
        uint32_t n = utf8Length(p[i]);
        if (n > length - i) n = length - i;
        if (utf8ToCodePage(codePage, text + i, n, out, sizeof out, &written) != CODE_PAGE_OK) {
            *character = utf8CodePoint(p + i, n);
            return true;
        }
        i += n;
    }
    return false;
}

CodePageResult convertTextLines(bool toUtf8, uint32_t codePage, const char* in, uint32_t length, char* out,
                                uint32_t capacity, uint32_t* written, TextConversionFailure* failure) {
    auto convert = toUtf8 ? codePageToUtf8 : utf8ToCodePage;
    CodePageResult result = convert(codePage, in, length, out, capacity, written);
    if (result != CODE_PAGE_UNREPRESENTABLE) return result;
    // Line by line, to name the first line that fails.
    failure->line = 1;
    for (uint32_t start = 0; start < length;) {
        uint32_t end = start;
        while (end < length && !isLineEnd(in[end])) ++end;
        uint32_t n = 0;
        if (end > start && convert(codePage, in + start, end - start, out, capacity, &n) == CODE_PAGE_UNREPRESENTABLE) {
            if (toUtf8) failure->character = firstUnconvertibleByte(codePage, in + start, end - start);
            else firstUnconvertibleCharacter(codePage, in + start, end - start, &failure->character);
            break;
        }
        start = end;
        if (start < length && in[start] == '\r') ++start;
        if (start < length && in[start] == '\n' && (start == end || in[end] == '\r')) ++start;
        ++failure->line;
    }
    *written = 0;
    return result;
}
