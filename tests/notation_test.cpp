#include "tsuka/problem/notation.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "support/checker_state.h"
#include "tsuka/problem/pieces.h"

void PrintTo(const MoveRecord& r, std::ostream* os) {
  *os << "{piece " << r.piece << ", " << r.origin << "->" << r.destination << ", flags 0x" << std::hex
      << r.flags << std::dec << ", rebirth " << r.rebirthSquare << "/" << r.rebirthPiece << "}";
}

namespace {

constexpr uint16_t A = MOVE_BY_ATTACKER;
constexpr uint16_t D = MOVE_BY_DEFENDER;
constexpr uint16_t P = MOVE_PROMOTES;

void parse(const char* rule, int32_t count, const std::string& text) {
  resetChecker();
  std::snprintf(problem.rule, sizeof problem.rule, "%s", rule);
  problem.moveCount = count;
  problem.statedSolution = text;
  problem.hasStatedSolution = true;
  parseStatedSolution();
}

struct ParseCase {
  const char* rule;
  int32_t count;
  std::string text;
  std::vector<MoveRecord> moves;  // moves 1..count
};

TEST(Notation, ParsesMovesIntoRecords) {
  const ParseCase cases[] = {
      {"", 1, "76歩(77)", {{1, 77, 76, A, 0, 0}}},
      {"", 3, "23銀成(34) 同玉(12) 34銀生(45)",
       {{4, 34, 23, A | P, 0, 0}, {9, 12, 23, D, 0, 0}, {4, 45, 34, A, 0, 0}}},
      {"", 1, "同歩(23)", {{1, 23, 0, A, 0, 0}}},  // "same square" as move 1
      {"", 2, "76歩(77)34歩(33)", {{1, 77, 76, D, 0, 0}, {1, 33, 34, A, 0, 0}}},
      {"", 1, "45角成打", {{6, 0, 45, A | P, 0, 0}}},  // legality is not judged
      {"", 1, "52金打 同玉(51) 余計", {{5, 0, 52, A, 0, 0}}},  // surplus ignored
      {"", 1, "12香(19)/11桂", {{2, 19, 12, A, 11, 3}}},
      {"", 2, "12龍(19)\t\n 13と(14)  ", {{23, 19, 12, D, 0, 0}, {17, 14, 13, A, 0, 0}}},
      // The side of the last move: the attacker's, the defender's under 自.
      {"自玉詰", 3, "11歩打 12歩打 13歩打", {{1, 0, 11, D, 0, 0}, {1, 0, 12, A, 0, 0}, {1, 0, 13, D, 0, 0}}},
      {"自玉詰", 2, "11歩打 12歩打", {{1, 0, 11, A, 0, 0}, {1, 0, 12, D, 0, 0}}},
      {"ばか詰", 2, "11歩打 12歩打", {{1, 0, 11, D, 0, 0}, {1, 0, 12, A, 0, 0}}},
  };
  for (const ParseCase& c : cases) {
    parse(c.rule, c.count, c.text);
    ASSERT_EQ(moveRecords.size(), c.moves.size() + 2) << c.text;
    EXPECT_EQ(moveRecords.front(), MoveRecord{}) << c.text;
    EXPECT_EQ(moveRecords.back(), MoveRecord{}) << c.text;
    for (size_t k = 0; k < c.moves.size(); ++k) EXPECT_EQ(moveRecords[k + 1], c.moves[k]) << c.text;
  }
}

TEST(Notation, NoMovesForCountsBelowOne) {
  for (int32_t count : {0, -1, -5, INT32_MIN}) {
    parse("", count, "76歩(77)");
    EXPECT_EQ(moveRecords.size(), 2u) << count;
  }
}

TEST(Notation, ReportsTheStepThatFails) {
  const std::string head = "tsuka: 指定詰手順が解析できません。－ ";
  const struct {
    int32_t count;
    std::string text;
    const char* what;
  } cases[] = {
      {1, "", "移動先"},
      {2, "76歩(77)", "移動先"},               // fewer moves than the count
      {2, "76歩(77)　34歩(33)", "移動先"},      // a full-width blank is not white space
      {1, "7", "移動先"},
      {1, "７６歩(77)", "移動先"},
      {1, "76", "駒"},
      {1, "76竜(77)", "駒"},
      {1, "123歩(11)", "駒"},                   // three digits
      {1, "76\x95", "駒"},                      // half a name, then the end
      {1, "76歩", "移動元"},
      {1, "76歩(7", "移動元"},
      {1, "76歩(77", "移動元"},
      {1, "76歩77", "移動元"},
      {1, "23銀成生(34)", "移動元"},            // one promotion mark only
      {1, "12香(19)/11竜", "キルケ移動先"},
      {1, "12香(19)/11", "キルケ移動先"},
      {1, "12香(19)/1", "キルケ移動先"},
      {1, "12香(19)/", "キルケ移動先"},
      {1, "12香(19)/10桂", "キルケ移動先"},      // not a square of the board
      {1, "12香(19)/x1桂", "キルケ移動先"},
  };
  for (const auto& c : cases) {
    EXPECT_FAILS_WITH(parse("", c.count, c.text), head + c.what + "\n") << c.text;
  }
}

TEST(Notation, LooksUpNamesInTheTableAsItStands) {
  resetChecker();
  std::snprintf(problem.conditions, sizeof problem.conditions, "%s", "異王（Ａ／Ｂ）");
  applyConditions();
  problem.moveCount = 1;
  problem.statedSolution = "12Ａ(11)";
  parseStatedSolution();
  EXPECT_EQ(moveRecords[1].piece, 8);
}

}  // namespace
