#include "support/text.h"

#include "platform/platform.h"

uint32_t copyBounded(char* destination, const char* source, uint32_t n) {
    if (n == 0) return 0;
    uint32_t k = 0;
    while (k < n && source[k] != 0) {
        destination[k] = source[k];
        ++k;
    }
    while (k < n) destination[k++] = 0;
    return n;
}

uint32_t copyText(char* destination, const char* source) {
    uint32_t k = 0;
    while ((destination[k] = source[k]) != 0) ++k;
    return k;
}

uint32_t textLength(const char* text) {
    uint32_t k = 0;
    while (text[k] != 0) ++k;
    return k;
}

int compareText(const char* a, const char* b, uint32_t n, int exact) {
    for (uint32_t i = 0; i < n; ++i) {
        uint8_t x = (uint8_t)a[i];
        uint8_t y = (uint8_t)b[i];
        if (x == y) continue;
        if (!exact) {
            // Folded as one text: a zero in a's place ends the text, so b's
            // character then stays as it is.
            char pair[3] = {(char)x, (char)y, 0};
            ansiLowerText(pair);
            x = (uint8_t)pair[0];
            y = (uint8_t)pair[1];
        }
        if (x != y) return (int)x - (int)y;
    }
    return 0;
}

uint32_t numberToText(char* destination, uint32_t value, uint32_t width, uint32_t base) {
    if (base < 2) base = 10;
    uint32_t digits = 0;
    uint32_t v = value;
    do {
        ++digits;
        v /= base;
    } while (v != 0);
    uint32_t length = width > digits ? width : digits;
    uint32_t pos = 0;
    for (; pos < length - digits; ++pos) destination[pos] = '0';
    v = value;
    for (uint32_t i = length; i > pos; --i) {
        uint32_t digit = v % base;
        v /= base;
        destination[i - 1] = (char)(digit < 10 ? '0' + digit : 'a' + (digit - 10));
    }
    destination[length] = 0;
    return length;
}

uint32_t textToNumber(const char* text, uint32_t base) {
    uint32_t result = 0;
    for (const char* p = text; ; ++p) {
        char c = *p;
        uint32_t digit;
        if (c >= 'a' && c <= 'z') digit = (uint32_t)(c - 'a') + 10;
        else if (c >= 'A' && c <= 'Z') digit = (uint32_t)(c - 'A') + 10;
        else if (c >= '0' && c <= '9') digit = (uint32_t)(c - '0');
        else break;
        result = result * base + digit;
    }
    return result;
}
