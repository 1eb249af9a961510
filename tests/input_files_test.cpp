#include "tsuka/solver/input_files.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "support/checker_state.h"
#include "support/process.h"
#include "tsuka/problem/locate.h"
#include "tsuka/problem/notation.h"

namespace {

class InputFiles : public testing::Test {
 protected:
  TempDir dir;
  void SetUp() override {
    resetChecker();
    std::snprintf(programDirectory, sizeof programDirectory, "%s", dir.path().c_str());
    checkNumber = 0;
  }
  // Reads a problem file as the checker does.
  void load(const std::string& content) {
    resetChecker();
    writeFile(dir / "p.kdb", content);
    std::snprintf(databasePath, sizeof databasePath, "%s", (dir / "p.kdb").c_str());
    readProblemFile();
  }
  std::string wholeFile() {
    writeWholeProblemFile();
    return readFile(inputFilePath);
  }
  std::string stepFile(int moveNumber) {
    writeStepFile(moveNumber);
    return readFile(inputFilePath);
  }
};

TEST_F(InputFiles, WorkFileNamesKeepTheShortForm) {
  const struct {
    int32_t check;
    const char* name;
  } cases[] = {{0, "TSUKA000"}, {7, "TSUKA007"},   {999, "TSUKA999"},
               {1234, "TSUKA234"}, {1000, "TSUKA000"}, {10000, "TSUKA10000"}};
  for (const auto& c : cases) {
    checkNumber = c.check;
    nameInputFile();
    nameOutputFile();
    EXPECT_EQ(std::string(inputFilePath), dir / (std::string(c.name) + ".KZI"));
    EXPECT_EQ(std::string(outputFilePath), dir / (std::string(c.name) + ".KZO"));
    EXPECT_EQ(std::string(inputArgument), "/I" + std::string(inputFilePath));
    EXPECT_EQ(std::string(outputArgument), "/O" + std::string(outputFilePath));
  }
}

TEST_F(InputFiles, WholeProblemFileLines) {
  const std::string position = "攻方：13金\n受方：11玉\n";
  const struct {
    std::string name;
    std::string problem;
    std::string file;
  } cases[] = {
      {"no move", "ルール：詰将棋\n条件：なし\n" + position, "なし詰将棋 @@\r\n13金,\r\n11玉\r\n| \r\n#0\r\n"},
      {"hands", position + "攻方持駒：金2\n受方持駒：飛\n手数：1\n作意：\n12金打\n",
       " @@\r\n13金 +金2,\r\n11玉 @+飛\r\n| 12金打 \r\n#1\r\n"},
      {"defender's hand of none", position + "受方持駒：なし\n", " @@\r\n13金,\r\n11玉 @+\r\n| \r\n#0\r\n"},
      {"surplus moves left out", position + "手数：1\n作意：\n12金打 同玉(11) 22金打\n",
       " @@\r\n13金,\r\n11玉\r\n| 12金打 \r\n#1\r\n"},
      {"a full-width blank joins two moves", position + "手数：1\n作意：\n12金打　同玉(11) 22金打\n",
       " @@\r\n13金,\r\n11玉\r\n| 12金打　同玉(11) \r\n#1\r\n"},
      {"a long first token", position + "手数：1\n作意：\n12金打" + std::string(70, 'x') + "\n",
       " @@\r\n13金,\r\n11玉\r\n| \r\n12金打" + std::string(70, 'x') + " \r\n#1\r\n"},
      {"lines of 72 bytes",
       position + "手数：12\n作意：\n" + [] {
         std::string s;
         for (int i = 0; i < 12; ++i) s += "12金打 ";
         return s;
       }() + "\n",
       " @@\r\n13金,\r\n11玉\r\n| 12金打 12金打 12金打 12金打 12金打 12金打 12金打 12金打 12金打 12金打 \r\n"
       "12金打 12金打 \r\n#12\r\n"},
      {"fairy piece", "備考：\n/EFP=def:Ｆ\n／備考終了\n" + position,
       "/EFP=def:Ｆ\r\n @@\r\n13金,\r\n11玉\r\n| \r\n#0\r\n"},
      {"no fairy piece behind ＊", "備考：\n/EFP=def:＊\n／備考終了\n" + position, " @@\r\n13金,\r\n11玉\r\n| \r\n#0\r\n"},
  };
  for (const auto& c : cases) {
    load(c.problem);
    EXPECT_EQ(wholeFile(), c.file) << c.name;
  }
}

TEST_F(InputFiles, ExclusionLineNamesTheMove) {
  constexpr uint16_t A = MOVE_BY_ATTACKER, D = MOVE_BY_DEFENDER, P = MOVE_PROMOTES;
  const struct {
    MoveRecord move;
    const char* line;
  } cases[] = {
      {{5, 0, 52, A, 0, 0}, "/EEXCEPT=52金打"},
      {{6, 0, 45, A | P, 0, 0}, "/EEXCEPT=45角打"},      // a drop gets 打 alone
      {{6, 45, 23, A | P, 0, 0}, "/EEXCEPT=23角成(45)"},
      {{6, 45, 23, A, 0, 0}, "/EEXCEPT=23角生(45)"},
      {{1, 57, 56, A, 0, 0}, "/EEXCEPT=56歩(57)"},
      {{4, 33, 44, A, 0, 0}, "/EEXCEPT=44銀生(33)"},      // leaving the zone
      {{5, 23, 22, A, 0, 0}, "/EEXCEPT=22金生(23)"},      // the kind is not consulted
      {{9, 11, 12, D, 0, 0}, "/EEXCEPT=12玉(11)"},
      {{4, 66, 67, D, 0, 0}, "/EEXCEPT=67銀生(66)"},
      {{4, 77, 66, D, 0, 0}, "/EEXCEPT=66銀生(77)"},
      {{4, 77, 66, D | P, 0, 0}, "/EEXCEPT=66銀成(77)"},
      {{22, 55, 11, A, 11, 3}, "/EEXCEPT=11馬生(55)"},
  };
  for (const auto& c : cases) {
    moveRecords = {MoveRecord{}, c.move, MoveRecord{}};
    char line[512];
    formatExclusionLine(1, line, sizeof line);
    EXPECT_STREQ(line, c.line);
  }
}

TEST_F(InputFiles, StepFileStatesThePositionBeforeTheMove) {
  load("手数：3\n攻方：21飛\n受方：11玉12歩\n攻方持駒：金\n受方持駒：なし\n作意：\n22金打 同玉(11) 23金打\n");
  checkNumber = 1;
  EXPECT_EQ(stepFile(3), "/EEXCEPT=23金打\r\n @@\r\n21飛,\r\n12歩22玉 @+金\r\n#1\r\n");
  checkNumber = 3;
  EXPECT_EQ(stepFile(1), "/EEXCEPT=22金打\r\n @@\r\n21飛 +金,\r\n11玉12歩 @+\r\n#3\r\n");
}

TEST_F(InputFiles, StepFileDefenderLineStatesTheRealHand) {
  const struct {
    std::string name;
    std::string declared;  // the defender's hand line, or "" for none
    std::string defenderLine;
  } cases[] = {
      {"none declared, a piece captured", "受方持駒：なし\n", "22玉 @+金\r\n"},
      {"explicit hand, a piece captured", "受方持駒：飛\n", "22玉 @+金飛\r\n"},
      {"all remaining pieces", "", "22玉\r\n"},
  };
  for (const auto& c : cases) {
    load("手数：3\n攻方：\n受方：11玉\n攻方持駒：金2\n" + c.declared + "作意：\n22金打 同玉(11) 23金打\n");
    std::string file = stepFile(3);
    EXPECT_EQ(file.substr(file.find(",\r\n") + 3), c.defenderLine + "#1\r\n") << c.name;
  }
  // The defender holds nothing while pieces are out of play: an empty hand.
  load("手数：3\n攻方：\n受方：11玉\n攻方持駒：金2\n受方持駒：なし\n作意：\n12金打 22玉(11) 23金打\n");
  std::string file = stepFile(3);
  EXPECT_EQ(file.substr(file.find(",\r\n") + 3), "22玉 @+\r\n#1\r\n");
}

TEST_F(InputFiles, StepFileReplaysRebirths) {
  load("条件：キルケ\n手数：3\n攻方：29飛\n受方：21玉22全\n受方持駒：なし\n作意：\n"
       "22飛(29)/71銀 31玉(21) 32金打\n");
  EXPECT_EQ(stepFile(3), "/EEXCEPT=32金打\r\nキルケ @@\r\n22飛,\r\n31玉71銀 @+\r\n#1\r\n");
}

TEST_F(InputFiles, UnopenableInputFileFails) {
  load("手数：0\n");
  std::snprintf(programDirectory, sizeof programDirectory, "%s", missingDirectory().c_str());
  EXPECT_FAILS_WITH(writeWholeProblemFile(), "tsuka: KZIファイルオープンエラー - " +
                                                 joinPath(missingDirectory(), "TSUKA000.KZI") + " (wt)\n" +
                                                 systemErrorLine(directoryNotFound()));
}

}  // namespace
