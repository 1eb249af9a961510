#include "tsuka/problem/pieces.h"

#include <gtest/gtest.h>

#include <string>

#include "support/checker_state.h"

namespace {

class PieceTableTest : public testing::Test {
 protected:
  void SetUp() override { resetChecker(); }
  static void condition(const char* text) {
    std::snprintf(problem.conditions, sizeof problem.conditions, "%s", text);
    applyConditions();
  }
};

TEST_F(PieceTableTest, LookupByTwoByteName) {
  struct Case {
    const char* text;
    int code;
  } cases[] = {
      {"歩", 1}, {"飛車", 7},  {"王", 8}, {"玉", 9},  {"＊", 10}, {"●", 11}, {"○", 16},
      {"と", 17}, {"龍", 23}, {"竜", 0}, {"宝", 24}, {"・", 0},  {"", 0},    {"a", 0},
      {"\x95", 0},  // a lone lead byte
  };
  for (const Case& c : cases) EXPECT_EQ(pieceCodeOf(c.text), c.code) << c.text;
}

TEST_F(PieceTableTest, FairySymbolSharesTheLowestCode) {
  std::snprintf(pieceTable[10], 3, "%s", "飛");
  EXPECT_EQ(pieceCodeOf("飛"), 7);
  std::snprintf(pieceTable[10], 3, "%s", "Ｘ");
  EXPECT_EQ(pieceCodeOf("＊"), 12);
  EXPECT_EQ(pieceCodeOf("Ｘ"), 10);
}

struct ConditionCase {
  const char* conditions;
  const char* names[4];  // codes 8, 9, 24, 25 afterwards
};

TEST_F(PieceTableTest, ConditionsRenameTheKings) {
  const ConditionCase cases[] = {
      {"", {"王", "玉", "宝", "宝"}},
      {"異王（Ａ／Ｂ）", {"Ａ", "Ｂ", "・", "・"}},
      {"異王（飛／Ｂ）", {"王", "Ｂ", "宝", "・"}},  // a piece's name keeps its king
      {"異王（Ａ／Ａ）", {"Ａ", "玉", "・", "宝"}},  // the second finds the first's name taken
      {"異王（Ａ／玉）", {"Ａ", "玉", "・", "宝"}},
      {"クイーン王", {"Ｑ", "・", "・", "・"}},
      {"キリン王とクイーン王", {"Ｑ", "・", "・", "・"}},  // the earlier row wins
      {"ROOT-50-LEAPER王", {"梧", "・", "・", "・"}},
      {"駆王", {"駆", "・", "・", "・"}},
      {"クイーン王 異王（Ａ／Ｂ）", {"Ａ", "Ｂ", "・", "・"}},  // only the different kings
  };
  for (const ConditionCase& c : cases) {
    resetProblem();
    condition(c.conditions);
    const int codes[4] = {8, 9, 24, 25};
    for (int i = 0; i < 4; ++i) {
      EXPECT_EQ(std::string(pieceTable[codes[i]]), c.names[i]) << c.conditions << " code " << codes[i];
    }
  }
}

TEST_F(PieceTableTest, RenamedKingsNoLongerAnswerToOldNames) {
  condition("異王（Ａ／Ｂ）");
  EXPECT_EQ(pieceCodeOf("王"), 0);
  EXPECT_EQ(pieceCodeOf("玉"), 0);
  EXPECT_EQ(pieceCodeOf("Ａ"), 8);
  resetProblem();
  condition("ナイト王");
  EXPECT_EQ(pieceCodeOf("玉"), 0);
  EXPECT_EQ(pieceCodeOf("騎"), 8);
}

TEST_F(PieceTableTest, DefinedFairyPieceLeavesTheTableAlone) {
  std::snprintf(pieceTable[10], 3, "%s", "Ｘ");
  condition("異王（Ａ／Ｂ）クイーン王");
  EXPECT_STREQ(pieceTable[8], "王");
  EXPECT_STREQ(pieceTable[9], "玉");
}

TEST_F(PieceTableTest, MalformedDifferentKingsFail) {
  const char* cases[] = {
      "異王（Ａ）",   // no "／"
      "異王（",       // nothing after the marker
      "異王（Ａ",     // one symbol, then the end
      "異王（Ａ／",   // nothing after "／"
      "異王（Ａ／B",  // one byte after "／"
  };
  for (const char* c : cases) {
    EXPECT_FAILS_WITH(condition(c), "tsuka: 条件「異王」が解析できません。\n") << c;
  }
}

}  // namespace
