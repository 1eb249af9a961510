#include "tsuka/problem/reader.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <functional>
#include <string>

#include "support/checker_state.h"
#include "support/process.h"
#include "tsuka/problem/locate.h"
#include "tsuka/problem/notation.h"
#include "tsuka/problem/pieces.h"

namespace {

class ReaderTest : public testing::Test {
 protected:
  TempDir dir;
  void read(const std::string& content) {
    resetChecker();
    std::string path = dir / "problem.kdb";
    writeFile(path, content);
    std::snprintf(databasePath, sizeof databasePath, "%s", path.c_str());
    readProblemFile();
  }
};

struct ReadCase {
  std::string name;
  std::string content;
  std::function<void()> check;
};

TEST_F(ReaderTest, HeaderLinesFillTheProblemTexts) {
  const ReadCase cases[] = {
      {"all headers",
       "ルール：詰将棋　 \n条件：なし\n手数：3\n攻方：13金23歩\n受方：11玉\n攻方持駒：金2\n"
       "受方持駒：飛\n作意：\n12金打 同玉(11) 22金打\nまで3手詰\n",
       [] {
         EXPECT_STREQ(problem.rule, "詰将棋");
         EXPECT_STREQ(problem.conditions, "なし");
         EXPECT_EQ(problem.moveCount, 3);
         EXPECT_STREQ(problem.attackerBoard, "13金23歩");
         EXPECT_STREQ(problem.defenderBoard, "11玉");
         EXPECT_STREQ(problem.attackerHand, "金2");
         EXPECT_STREQ(problem.defenderHand, "飛");
         EXPECT_TRUE(problem.hasStatedSolution);
         EXPECT_EQ(problem.statedSolution, "12金打 同玉(11) 22金打");
         EXPECT_STREQ(solverName, "KZ.EXE");
       }},
      {"hands of none",
       "攻方持駒：なし\n受方持駒：なし\n",
       [] {
         EXPECT_STREQ(problem.attackerHand, "");
         EXPECT_STREQ(problem.defenderHand, "なし");
       }},
      {"empty defender's hand", "受方持駒：\n", [] { EXPECT_STREQ(problem.defenderHand, ""); }},
      {"none with trailing blanks", "攻方持駒：なし　 \t\n",
       [] { EXPECT_STREQ(problem.attackerHand, ""); }},
      {"a leading blank stays", "攻方持駒： なし\n",
       [] { EXPECT_STREQ(problem.attackerHand, " なし"); }},
      {"header after a blank is skipped", " 手数：5\n", [] { EXPECT_EQ(problem.moveCount, 0); }},
      {"full-width digits", "手数：１２\n", [] { EXPECT_EQ(problem.moveCount, 0); }},
      {"digits then text", "手数：1手\n作意：\n11歩打\n", [] { EXPECT_EQ(problem.moveCount, 1); }},
      {"the later header wins", "ルール：a\nルール：b\n", [] { EXPECT_STREQ(problem.rule, "b"); }},
      {"headers after the solution belong to it", "手数：1\n作意：\n11歩打\n手数：3\n",
       [] {
         EXPECT_EQ(problem.moveCount, 1);
         EXPECT_EQ(problem.statedSolution, "11歩打 手数：3 ");
       }},
      {"end marker before the solution", "手数：0\n／詰将棋終了\nルール：x\n作意：\n11歩打\n",
       [] {
         EXPECT_STREQ(problem.rule, "");
         EXPECT_FALSE(problem.hasStatedSolution);
       }},
      {"solution lines are joined by single blanks",
       "作意：\n 11歩打　\n\n12歩打\t\n",
       [] { EXPECT_EQ(problem.statedSolution, " 11歩打  12歩打 "); }},
      {"まで at a line start ends the solution", "作意：\n11歩打\nまで1手\n12歩打\n",
       [] { EXPECT_EQ(problem.statedSolution, "11歩打"); }},
      {"まで on the first line is kept", "作意：\nまで\n", [] { EXPECT_EQ(problem.statedSolution, "まで "); }},
      {"まで straight after a move is kept", "作意：\n11歩打まで\n",
       [] { EXPECT_EQ(problem.statedSolution, "11歩打まで "); }},
      {"the end marker inside the solution", "作意：\n11歩打\n／詰将棋終了\n",
       [] { EXPECT_EQ(problem.statedSolution, "11歩打 ／詰将棋終了 "); }},
      {"solution header on the last line", "作意：",
       [] {
         EXPECT_TRUE(problem.hasStatedSolution);
         EXPECT_EQ(problem.statedSolution, "");
       }},
      {"CR LF lines read as LF lines", "ルール：ばか詰\r\n手数：1\r\n作意：\r\n11歩打\r\n",
       [] {
         EXPECT_STREQ(problem.rule, "ばか詰");
         EXPECT_EQ(problem.statedSolution, "11歩打 ");
       }},
      {"a header in the second piece of a long line",
       std::string(511, 'a') + "手数：7\n作意：\n11歩打 11歩打 11歩打 11歩打 11歩打 11歩打 11歩打\n",
       [] { EXPECT_EQ(problem.moveCount, 7); }},
      {"values longer than their buffers are cut between characters",
       "条件：" + std::string(125, 'x') + "金金\n",
       [] { EXPECT_EQ(std::string(problem.conditions), std::string(125, 'x') + "金"); }},
  };
  for (const ReadCase& c : cases) {
    SCOPED_TRACE(c.name);
    read(c.content);
    c.check();
  }
}

TEST_F(ReaderTest, RemarksSectionDefinesTheFairyPiece) {
  const struct {
    std::string name;
    std::string content;
    const char* symbol;
    const char* solver;
    const char* line;
  } cases[] = {
      {"symbol after the colon", "備考：\n/EFP=def:Ｆ  \n／備考終了\n", "Ｆ", "KZX.EXE", "/EFP=def:Ｆ  "},
      {"no colon", "備考：\n/EFP=def\n", "FP", "KZX.EXE", "/EFP=def"},
      {"Ｘ becomes FP", "備考：\n/EFP=def:Ｘ\n", "FP", "KZX.EXE", "/EFP=def:Ｘ"},
      {"＊ defines nothing", "備考：\n/EFP=def:＊\n", "＊", "KZ.EXE", "/EFP=def:＊"},
      {"one byte after the colon", "備考：\n/EFP=def:A\n", "FP", "KZX.EXE", "/EFP=def:A"},
      {"colon at the end of the file", "備考：\n/EFP=def:", "FP", "KZX.EXE", "/EFP=def:"},
      {"colon found by characters", "備考：\n/EFP=ソ:Ｆ\n", "Ｆ", "KZX.EXE", "/EFP=ソ:Ｆ"},
      {"the later line wins", "備考：\n/EFP=a:Ｆ\n/EFP=b:Ｇ\n", "Ｇ", "KZX.EXE", "/EFP=b:Ｇ"},
      {"outside the remarks it is skipped", "/EFP=a:Ｆ\n", "＊", "KZ.EXE", ""},
      {"after the end of the remarks", "備考：\n／備考終了\n/EFP=a:Ｆ\n", "＊", "KZ.EXE", ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    read(c.content);
    EXPECT_STREQ(fairyPieceSymbol(), c.symbol);
    EXPECT_STREQ(solverName, c.solver);
    EXPECT_STREQ(problem.fairyPieceLine, c.line);
  }
}

TEST_F(ReaderTest, RemarksWithoutEndTakeTheRestOfTheFile) {
  read("備考：\nルール：ばか詰\n手数：3\n");
  EXPECT_STREQ(problem.rule, "");
  EXPECT_EQ(problem.moveCount, 0);
  read("備考：\nルール：ばか詰\n／備考終了\n手数：3\n作意：\n11歩打 11歩打 11歩打\n");
  EXPECT_STREQ(problem.rule, "");
  EXPECT_EQ(problem.moveCount, 3);
}

TEST_F(ReaderTest, TheSolutionIsParsedWithThePlaceholderFairySymbol) {
  read("備考：\n/EFP=def\n／備考終了\n手数：1\n作意：\n55Ｘ打\n");
  EXPECT_EQ(moveRecords[1].piece, 10);
  EXPECT_STREQ(fairyPieceSymbol(), "FP");
}

TEST_F(ReaderTest, FairyPieceBeforeTheConditionsKeepsTheKings) {
  read("備考：\n/EFP=def:Ｆ\n／備考終了\n条件：異王（Ａ／Ｂ）\n");
  EXPECT_STREQ(pieceTable[8], "王");
  read("条件：異王（Ａ／Ｂ）\n備考：\n/EFP=def:Ｆ\n／備考終了\n");
  EXPECT_STREQ(pieceTable[8], "Ａ");
}

TEST_F(ReaderTest, FailuresEndTheRun) {
  const std::string tooFew = "tsuka: 指定詰手順が解析できません。－ 移動先\n";
  EXPECT_FAILS_WITH(read("手数：1\n"), tooFew);
  EXPECT_FAILS_WITH(read("手数：2\n／詰将棋終了\n作意：\n11歩打 12歩打\n"), tooFew);
  EXPECT_FAILS_WITH(read("手数：1\n作意：\n11竜打\n"), "tsuka: 指定詰手順が解析できません。－ 駒\n");
  EXPECT_FAILS_WITH(read("条件：異王（Ａ）\n"), "tsuka: 条件「異王」が解析できません。\n");

  resetChecker();
  std::string missing = joinPath(missingDirectory(), "missing.kdb");
  std::snprintf(databasePath, sizeof databasePath, "%s", missing.c_str());
  EXPECT_FAILS_WITH(readProblemFile(),
                    "tsuka: KDBファイルオープンエラー - " + missing + " (rt)\n" + systemErrorLine(directoryNotFound()));
}

TEST(TrimHeaderValue, TrimsTheEndOnly) {
  const struct {
    const char* value;
    const char* trimmed;
  } cases[] = {
      {" a b \n", " a b"},      {"a　　\n", "a"},  {"a　 \t\r\n", "a"}, {"a\nb", "a"},
      {"", ""},                 {"　", ""},        {"a\x81", "a\x81"},  {"\x81\x40\x40", "\x81\x40\x40"},
  };
  for (const auto& c : cases) EXPECT_STREQ(trimHeaderValue(c.value), c.trimmed) << c.value;
}

}  // namespace
