// Byte-string helpers for text in code page 932 (Shift_JIS).
//
// Every Japanese character is two bytes. The second byte of a pair can have
// the value of an ASCII '\\' (0x5C), '@' or a letter, so searches for a
// single-byte character step over two-byte characters whole. Nothing here
// ever reads past a text's terminating zero byte.
#pragma once

#include <cstddef>
#include <cstdint>

namespace cp932 {

inline bool isLeadByte(unsigned char c) {
  return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC);
}

// Space, tab, line feed, vertical tab, form feed, carriage return.
inline bool isAsciiSpace(unsigned char c) { return c == ' ' || (c >= '\t' && c <= '\r'); }
inline bool isAsciiDigit(unsigned char c) { return c >= '0' && c <= '9'; }

// First / last occurrence of the single-byte character ch, found by
// characters; nullptr when there is none.
const char* findChar(const char* text, char ch);
const char* findLastChar(const char* text, char ch);

// True when text begins with prefix, compared byte by byte; a text shorter
// than the prefix never matches and is never read past its end.
bool startsWith(const char* text, const char* prefix);

// How many of the first `length` bytes of text fit in `limit` bytes without
// cutting a two-byte character in half.
size_t fittingLength(const char* text, size_t length, size_t limit);

// Copies text (length bytes, or up to its terminator) into a buffer of
// `capacity` bytes, terminated, cut on a character boundary when it is longer.
// Returns the number of bytes copied.
size_t copyText(char* buffer, size_t capacity, const char* text, size_t length);
size_t copyText(char* buffer, size_t capacity, const char* text);

// Appends text to the terminated contents of buffer, cut like copyText.
void appendText(char* buffer, size_t capacity, const char* text);

// Reads a decimal number as the C library's atoi does (leading ASCII white
// space, an optional sign, digits up to the first other byte; no digits give
// 0), but saturates at the limits of a 32-bit integer instead of overflowing.
int32_t parseDecimal(const char* text);

}  // namespace cp932
