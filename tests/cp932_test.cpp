#include "common/cp932.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

// "ソ" and "表" end in the byte of '\\' (0x5C); "ー" ends in '['.
TEST(Cp932, SearchesStepOverTwoByteCharacters) {
  struct Case {
    std::string text;
    char ch;
    int first;  // -1: none
    int last;
  } cases[] = {
      {"ソ\\表", '\\', 2, 2},
      {"a\\b\\c", '\\', 1, 3},
      {"表", '\\', -1, -1},
      {"ab.c.d", '.', 2, 4},
      {"", '.', -1, -1},
      {"\x83", '\\', -1, -1},  // a lead byte alone at the end
      {"x\x83", 'x', 0, 0},
  };
  for (const Case& c : cases) {
    const char* first = cp932::findChar(c.text.c_str(), c.ch);
    const char* last = cp932::findLastChar(c.text.c_str(), c.ch);
    EXPECT_EQ(first ? first - c.text.c_str() : -1, c.first) << c.text;
    EXPECT_EQ(last ? last - c.text.c_str() : -1, c.last) << c.text;
  }
}

TEST(Cp932, CopyCutsOnCharacterBoundaries) {
  struct Case {
    std::string text;
    size_t capacity;
    std::string expected;
  } cases[] = {
      {"abc", 8, "abc"},     {"abcdef", 4, "abc"},  {"金金金", 6, "金金"},
      {"金金金", 5, "金金"}, {"a金", 3, "a"},       {"a金", 4, "a金"},
      {"", 1, ""},
  };
  for (const Case& c : cases) {
    char buffer[16];
    std::memset(buffer, '#', sizeof buffer);
    cp932::copyText(buffer, c.capacity, c.text.c_str());
    EXPECT_EQ(std::string(buffer), c.expected) << c.text << " in " << c.capacity;
    EXPECT_EQ(buffer[c.capacity], '#') << "wrote past the buffer";
  }
}

TEST(Cp932, ParseDecimalReadsLikeAtoiWithoutOverflow) {
  struct Case {
    const char* text;
    int32_t value;
  } cases[] = {
      {"12", 12},          {"12手", 12},   {"  \t7", 7},      {"-2", -2},
      {"+5x", 5},          {"x5", 0},      {"", 0},           {"１２", 0},
      {"- 3", 0},          {"2147483647", 2147483647},        {"99999999999999999999", INT32_MAX},
      {"-2147483648", INT32_MIN},          {"-99999999999", INT32_MIN},
  };
  for (const Case& c : cases) EXPECT_EQ(cp932::parseDecimal(c.text), c.value) << c.text;
}

}  // namespace
