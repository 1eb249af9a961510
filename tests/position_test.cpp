#include "tsuka/position/position.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "support/checker_state.h"
#include "tsuka/problem/notation.h"
#include "tsuka/problem/pieces.h"

namespace {

constexpr uint16_t D = DEFENDER_PIECE;

struct Problem {
  const char* attackerBoard;
  const char* defenderBoard;
  const char* attackerHand;
  const char* defenderHand;
};

void state(const Problem& p, const char* conditions = "") {
  resetChecker();
  std::snprintf(problem.attackerBoard, sizeof problem.attackerBoard, "%s", p.attackerBoard);
  std::snprintf(problem.defenderBoard, sizeof problem.defenderBoard, "%s", p.defenderBoard);
  std::snprintf(problem.attackerHand, sizeof problem.attackerHand, "%s", p.attackerHand);
  std::snprintf(problem.defenderHand, sizeof problem.defenderHand, "%s", p.defenderHand);
  std::snprintf(problem.conditions, sizeof problem.conditions, "%s", conditions);
}

std::vector<int> counts(const Hand& hand) { return {hand.counts + 1, hand.counts + 8}; }

TEST(PositionSetup, CompletesTheDefendersHandFromTheFullSet) {
  const struct {
    Problem p;
    std::vector<int> attacker, defender;  // kinds 1 to 7
  } cases[] = {
      // three pawns on the board (one promoted), two in hand: 18 - 5 = 13
      {{"13歩24と", "15歩11玉", "歩2", ""}, {2, 0, 0, 0, 0, 0, 0}, {13, 4, 4, 4, 4, 2, 2}},
      {{"", "11玉", "金2", ""}, {0, 0, 0, 0, 2, 0, 0}, {18, 4, 4, 4, 2, 2, 2}},
      {{"", "11玉", "金金", ""}, {0, 0, 0, 0, 1, 0, 0}, {18, 4, 4, 4, 2, 2, 2}},  // set, then set again
      {{"11金12金13金14金15金", "21王22玉", "", ""}, {0, 0, 0, 0, 0, 0, 0}, {18, 4, 4, 4, 0, 2, 2}},
      {{"", "11玉", "飛", "なし"}, {0, 0, 0, 0, 0, 0, 1}, {0, 0, 0, 0, 0, 0, 0}},
      {{"", "11玉", "", "飛"}, {0, 0, 0, 0, 0, 0, 0}, {0, 0, 0, 0, 0, 0, 1}},
      {{"", "11玉", "歩10香", "歩12"}, {10, 1, 0, 0, 0, 0, 0}, {12, 0, 0, 0, 0, 0, 0}},
  };
  for (const auto& c : cases) {
    state(c.p);
    Board board;
    Hand attacker, defender;
    setUpPosition(board, attacker, defender);
    EXPECT_EQ(counts(attacker), c.attacker) << c.p.attackerBoard << " / " << c.p.attackerHand;
    EXPECT_EQ(counts(defender), c.defender) << c.p.attackerBoard << " / " << c.p.defenderHand;
  }
}

TEST(PositionSetup, PlacesPiecesBySquare) {
  state({"19香28と", "11玉99龍", "", ""});
  Board board;
  Hand attacker, defender;
  setUpPosition(board, attacker, defender);
  EXPECT_EQ(board.cells[19], 2);
  EXPECT_EQ(board.cells[28], 17);
  EXPECT_EQ(board.cells[11], 9 + D);
  EXPECT_EQ(board.cells[99], 23 + D);
  int occupied = 0;
  for (uint16_t cell : board.cells) occupied += cell != 0;
  EXPECT_EQ(occupied, 4);
}

TEST(PositionSetup, RefusesTextsItCannotRead) {
  const std::string attackerBoard = "tsuka: 攻方盤上駒が解析できません。\n";
  const std::string defenderBoard = "tsuka: 受方盤上駒が解析できません。\n";
  const std::string attackerHand = "tsuka: 攻方持駒が解析できません。\n";
  const std::string defenderHand = "tsuka: 受方持駒が解析できません。\n";
  const struct {
    Problem p;
    std::string message;
  } cases[] = {
      {{"11竜", "", "", ""}, attackerBoard},
      {{"11香2", "", "", ""}, attackerBoard},     // a short last group
      {{"11香21", "", "", ""}, attackerBoard},
      {{"10香", "", "", ""}, attackerBoard},      // not a square of the board
      {{"01香", "", "", ""}, attackerBoard},
      {{"1a香", "", "", ""}, attackerBoard},
      {{"", "11玉0", "", ""}, defenderBoard},
      {{"", "11玉", "歩123", ""}, attackerHand},  // the third digit starts a name
      {{"", "11玉", "と", ""}, attackerHand},     // promoted pieces are not held
      {{"", "11玉", "玉", ""}, attackerHand},
      {{"", "11玉", "\x95", ""}, attackerHand},
      {{"", "11玉", "", "飛x"}, defenderHand},
      {{"", "11玉", "", "馬"}, defenderHand},
      {{"11竜", "11竜", "竜", "竜"}, attackerBoard},  // the first text decides
  };
  for (const auto& c : cases) {
    state(c.p);
    Board board;
    Hand attacker, defender;
    EXPECT_FAILS_WITH(setUpPosition(board, attacker, defender), c.message)
        << c.p.attackerBoard << "|" << c.p.defenderBoard << "|" << c.p.attackerHand << "|" << c.p.defenderHand;
  }
}

// One move applied to a position of a few pieces; cells and hands after it.
struct MoveCase {
  const char* name;
  const char* conditions;
  MoveRecord move;
  std::vector<std::pair<int, uint16_t>> before;  // square, cell
  std::vector<std::pair<int, uint16_t>> after;   // every non-empty cell
  int attackerHandKind, attackerHandCount;       // one slot to check
  int defenderHandKind, defenderHandCount;
};

TEST(MoveApplication, CapturesPromotionsAndRebirths) {
  constexpr uint16_t A = MOVE_BY_ATTACKER, DF = MOVE_BY_DEFENDER, P = MOVE_PROMOTES;
  const MoveCase cases[] = {
      {"drop", "", {5, 0, 52, A, 0, 0}, {}, {{52, 5}}, 5, -1, 0, 0},
      {"defender's drop", "", {1, 0, 55, DF, 0, 0}, {}, {{55, 1 + D}}, 0, 0, 1, -1},
      {"capture of a promoted piece", "", {7, 29, 22, A, 0, 0}, {{29, 7}, {22, 22 + D}}, {{22, 7}}, 6, 1, 0, 0},
      {"defender captures", "", {9, 11, 12, DF, 0, 0}, {{11, 9 + D}, {12, 20}}, {{12, 9 + D}}, 4, 0, 4, 1},
      {"promotion", "", {6, 55, 22, A | P, 0, 0}, {{55, 6}}, {{22, 22}}, 0, 0, 0, 0},
      {"promoting a promoted piece", "", {22, 55, 22, A | P, 0, 0}, {{55, 22}}, {{22, 22}}, 0, 0, 0, 0},
      {"the board's piece moves, not the record's", "", {1, 55, 54, A, 0, 0}, {{55, 23}}, {{54, 23}}, 0, 0, 0, 0},
      {"capturing a king changes no hand", "", {7, 19, 11, A, 0, 0}, {{19, 7}, {11, 9 + D}}, {{11, 7}}, 0, 0, 0, 0},
      {"dropping a king changes no hand", "", {8, 0, 55, A, 0, 0}, {}, {{55, 8}}, 0, 0, 0, 0},
      {"Anti-Circe", "アンチキルケ", {7, 29, 22, A | P, 59, 0}, {{29, 7}, {22, 4 + D}}, {{59, 23}}, 4, 1, 0, 0},
      {"Circe", "キルケ", {7, 29, 22, A, 73, 0}, {{29, 7}, {22, 20 + D}}, {{22, 7}, {73, 4 + D}}, 4, 0, 0, 0},
      {"PWC", "PWC", {7, 29, 22, A, 73, 0}, {{29, 7}, {22, 20 + D}}, {{22, 7}, {73, 20 + D}}, 4, 0, 0, 0},
      {"Anti-Circe before PWC", "PWCアンチキルケ", {7, 29, 22, A, 59, 0}, {{29, 7}, {22, 4 + D}}, {{59, 7}}, 4, 1, 0, 0},
      {"Circe before PWC", "PWCキルケ", {7, 29, 22, A, 73, 0}, {{29, 7}, {22, 20 + D}}, {{22, 7}, {73, 4 + D}}, 4, 0, 0, 0},
      {"a rebirth without its condition", "", {7, 29, 22, A, 73, 0}, {{29, 7}, {22, 4 + D}}, {{22, 7}}, 4, 1, 0, 0},
      {"Circe without a capture empties the square", "キルケ", {7, 29, 22, A, 73, 0}, {{29, 7}, {73, 1}}, {{22, 7}}, 1, 0, 0, 0},
      {"Anti-Circe on a drop", "アンチキルケ", {5, 0, 52, A, 59, 0}, {}, {{59, 5}}, 5, -1, 0, 0},
  };
  for (const MoveCase& c : cases) {
    resetChecker();
    std::snprintf(problem.conditions, sizeof problem.conditions, "%s", c.conditions);
    moveRecords = {MoveRecord{}, c.move, MoveRecord{}};
    Board board{};
    Hand attacker{}, defender{};
    for (auto [square, cell] : c.before) board.cells[square] = cell;
    applyMove(1, board, attacker, defender);
    std::vector<std::pair<int, uint16_t>> after;
    for (int square = 0; square < 111; ++square) {
      if (board.cells[square] != 0) after.push_back({square, board.cells[square]});
    }
    EXPECT_EQ(after, c.after) << c.name;
    EXPECT_EQ(attacker.counts[c.attackerHandKind], c.attackerHandCount) << c.name;
    EXPECT_EQ(defender.counts[c.defenderHandKind], c.defenderHandCount) << c.name;
  }
}

TEST(PositionText, WritesSquaresFileByFileAndHandsByKind) {
  resetChecker();
  Board board{};
  board.cells[28] = 7;
  board.cells[55] = 22;
  board.cells[19] = 2;
  board.cells[21] = 9 + D;
  board.cells[99] = 17 + D;
  Hand attacker{}, defender{};
  attacker.counts[5] = 2;
  attacker.counts[1] = 1;
  attacker.counts[3] = -1;
  defender.counts[1] = 3;
  defender.counts[5] = 1;
  defender.counts[7] = 10;
  PositionTexts texts;
  writePositionText(board, attacker, defender, texts);
  EXPECT_STREQ(texts.attackerBoard, "19香28飛55馬");
  EXPECT_STREQ(texts.defenderBoard, "21玉99と");
  EXPECT_STREQ(texts.attackerHand, "歩金2");
  EXPECT_STREQ(texts.defenderHand, "歩3金飛10");
  EXPECT_FALSE(texts.fullSet);
}

TEST(PositionText, FullSetLeavesTheDefendersHandEmpty) {
  resetChecker();
  Board board{};
  board.cells[11] = 9 + D;  // kings are not counted
  board.cells[22] = 17;     // a promoted pawn counts as a pawn
  Hand attacker{}, defender{};
  const int full[8] = {0, 18, 4, 4, 4, 4, 2, 2};
  for (int kind = 1; kind <= 7; ++kind) defender.counts[kind] = static_cast<int16_t>(full[kind]);
  defender.counts[1] = 17;
  PositionTexts texts;
  writePositionText(board, attacker, defender, texts);
  EXPECT_TRUE(texts.fullSet);
  EXPECT_STREQ(texts.defenderHand, "");

  defender.counts[7] = 1;  // one rook missing
  writePositionText(board, attacker, defender, texts);
  EXPECT_FALSE(texts.fullSet);
  EXPECT_STREQ(texts.defenderHand, "歩17香4桂4銀4金4角2飛");

  for (int kind = 1; kind <= 7; ++kind) defender.counts[kind] = 0;  // out of play
  writePositionText(board, attacker, defender, texts);
  EXPECT_FALSE(texts.fullSet);
  EXPECT_STREQ(texts.defenderHand, "");
}

TEST(PositionText, UsesTheNamesTheConditionsGive) {
  resetChecker();
  std::snprintf(problem.conditions, sizeof problem.conditions, "%s", "異王（Ａ／Ｂ）");
  applyConditions();
  Board board{};
  board.cells[11] = 9 + D;
  board.cells[59] = 8;
  Hand none{};
  PositionTexts texts;
  writePositionText(board, none, none, texts);
  EXPECT_STREQ(texts.attackerBoard, "59Ａ");
  EXPECT_STREQ(texts.defenderBoard, "11Ｂ");
}

}  // namespace
