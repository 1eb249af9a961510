#include "common/cp932.h"

#include <cstring>

namespace cp932 {

// Steps to the next character: two bytes for a lead byte followed by another
// byte, else one. A lead byte right before the terminator counts alone.
static const char* nextChar(const char* p) {
  if (isLeadByte(static_cast<unsigned char>(p[0])) && p[1] != '\0') return p + 2;
  return p + 1;
}

const char* findChar(const char* text, char ch) {
  for (const char* p = text; *p != '\0'; p = nextChar(p)) {
    if (*p == ch) return p;
  }
  return nullptr;
}

const char* findLastChar(const char* text, char ch) {
  const char* found = nullptr;
  for (const char* p = text; *p != '\0'; p = nextChar(p)) {
    if (*p == ch) found = p;
  }
  return found;
}

bool startsWith(const char* text, const char* prefix) {
  return std::strncmp(text, prefix, std::strlen(prefix)) == 0;
}

size_t fittingLength(const char* text, size_t length, size_t limit) {
  if (length <= limit) return length;
  size_t at = 0;
  while (at < limit) {
    size_t width = (isLeadByte(static_cast<unsigned char>(text[at])) && at + 1 < length) ? 2 : 1;
    if (at + width > limit) break;
    at += width;
  }
  return at;
}

size_t copyText(char* buffer, size_t capacity, const char* text, size_t length) {
  if (capacity == 0) return 0;
  size_t n = fittingLength(text, length, capacity - 1);
  std::memmove(buffer, text, n);
  buffer[n] = '\0';
  return n;
}

size_t copyText(char* buffer, size_t capacity, const char* text) {
  return copyText(buffer, capacity, text, std::strlen(text));
}

void appendText(char* buffer, size_t capacity, const char* text) {
  size_t used = std::strlen(buffer);
  if (used >= capacity) return;
  copyText(buffer + used, capacity - used, text);
}

int32_t parseDecimal(const char* text) {
  const unsigned char* p = reinterpret_cast<const unsigned char*>(text);
  while (isAsciiSpace(*p)) ++p;
  bool negative = false;
  if (*p == '+' || *p == '-') {
    negative = (*p == '-');
    ++p;
  }
  int64_t value = 0;
  const int64_t limit = negative ? int64_t{INT32_MAX} + 1 : INT32_MAX;
  for (; isAsciiDigit(*p); ++p) {
    value = value * 10 + (*p - '0');
    if (value > limit) value = limit;
  }
  return static_cast<int32_t>(negative ? -value : value);
}

}  // namespace cp932
