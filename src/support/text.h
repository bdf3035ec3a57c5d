// Small text and number routines used throughout the program in place of a
// runtime library. Texts are zero-terminated bytes in the ANSI code page.
#pragma once

#include <cstdint>

// Copies at most n characters of source; when the source ends first, the rest
// of the n bytes is zero-filled. A source of n or more characters fills all n
// bytes and gets no terminator. Returns n.
uint32_t copyBounded(char* destination, const char* source, uint32_t n);
// Copies source with its terminator; returns its length.
uint32_t copyText(char* destination, const char* source);
uint32_t textLength(const char* text);
// Compares n positions (terminators included). With exact 0, characters that
// differ are compared again lower-cased through the ANSI code page. Returns 0
// when all n match, else the difference of the bytes where it stopped.
int compareText(const char* a, const char* b, uint32_t n, int exact);
// Writes value in base (lower-case digits), left-padded with '0' to width,
// and a terminator; returns the number of characters written.
uint32_t numberToText(char* destination, uint32_t value, uint32_t width, uint32_t base);
// Reads digits 0-9, a-z, A-Z (values 0..35, not tested against base) until
// any other character, wrapping at 32 bits.
uint32_t textToNumber(const char* text, uint32_t base);
