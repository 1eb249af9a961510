// Runs the built solver as the checker does: an input file in, an output
// file out, in a directory of its own and without a controlling terminal.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/process.h"
#include "support/sfen_problem.h"

namespace {

// The output file without its two header lines (program and version; rule,
// plies and excluded move) and with
// the seconds of the time line replaced by "T"; CR LF checked and dropped.
std::string verdict(const std::string& output) {
  std::string text;
  for (size_t i = 0; i < output.size(); ++i) {
    if (output[i] == '\n') {
      EXPECT_TRUE(i > 0 && output[i - 1] == '\r') << "a line does not end in CR LF";
    }
    if (output[i] != '\r') text += output[i];
  }
  for (int header = 0; header < 2; ++header) text.erase(0, text.find('\n') + 1);
  const std::string label = "解析時間：";
  const size_t from = text.find(label);
  if (from != std::string::npos) {
    const size_t begin = from + label.size();
    const size_t end = text.find("秒", begin);
    if (end != std::string::npos) {
      text.erase(begin, end - begin);
      text.insert(text.begin() + std::ptrdiff_t(begin), 'T');
    }
  }
  return text;
}

std::string withCrLf(const std::string& text) {
  std::string out;
  for (char c : text) out += c == '\n' ? std::string("\r\n") : std::string(1, c);
  return out;
}

struct Case {
  const char* name;
  std::string input;
  std::vector<std::string> options;
  std::string expected;  // the output file as verdict() gives it
};

class Solver : public testing::Test {
 protected:
  TempDir dir;
  void SetUp() override { installProgram(MATESOLVER_BINARY, dir / "KZ.EXE"); }
  ProcessResult solve(const std::string& input, std::vector<std::string> options = {}) {
    std::remove((dir / "out.kzo").c_str());
    writeFile(dir / "in.kzi", input);
    std::vector<std::string> argv = {"./KZ.EXE", "/I" + (dir / "in.kzi"), "/O" + (dir / "out.kzo")};
    argv.insert(argv.end(), options.begin(), options.end());
    return runProcess(dir.path(), argv);
  }
  void expectVerdicts(const std::vector<Case>& cases) {
    for (const Case& c : cases) {
      ProcessResult r = solve(c.input, c.options);
      EXPECT_EQ(r.status, 0) << c.name << "\n" << r.err;
      EXPECT_EQ(verdict(readFile(dir / "out.kzo")), c.expected) << c.name;
    }
  }
};

// The five-move example: 43歩打 同玉 41龍 53玉 62銀打.
const std::string kFive = "詰将棋 @@\n71龍24龍74桂64歩 +銀歩2,\n42玉11角 @+角金銀香歩\n";
// A one-move position with two mates: 12金打 and 22金打.
const std::string kTwoMates = "詰将棋 @@\n23と +金,\n11玉 @+\n";

TEST_F(Solver, VerdictsOfStandardProblems) {
  const std::vector<Case> cases = {
      {"stated line holds", kFive + "| 43歩打 同玉(42) 41龍(71) 53玉(43) 62銀打\n#5\n", {},
       "判定：作意どおり詰む\n解析時間：T秒 手順成立\n"},
      {"stated line over lines, no blanks", kFive + "| 43歩打同玉(42) \n41龍(71)53玉(43)62銀打\n#5\n", {},
       "判定：作意どおり詰む\n解析時間：T秒 手順成立\n"},
      {"a move that cannot be played", kFive + "| 43歩打 同玉(42) 42龍(71) 53玉(43) 62銀打\n#5\n", {},
       "判定：作意不成立　3手目 42龍(71) は指せない\n解析時間：T秒\n"},
      {"a move that does not read", kFive + "| 43歩打 同玉(42) 41飛(71) 53玉(43) 62銀打\n#5\n", {},
       "判定：作意不成立　3手目が読めない（移動元の駒が駒名と違う）\n解析時間：T秒\n"},
      {"an attacker move that is no check", kFive + "| 43歩打 同玉(42) 51龍(71) 53玉(43) 62銀打\n#5\n", {},
       "判定：作意不成立　3手目 51龍(71) が王手ではない\n解析時間：T秒\n"},
      {"a last move that is no check", kTwoMates + "| 13金打\n#1\n", {},
       "判定：作意不成立　1手目 13金打 が王手ではない\n解析時間：T秒\n"},
      {"CR LF lines", withCrLf(kFive + "| 43歩打 同玉(42) 41龍(71) 53玉(43) 62銀打\n#5\n"),
       {}, "判定：作意どおり詰む\n解析時間：T秒 手順成立\n"},
  };
  expectVerdicts(cases);
}

// Step checks: the position after the moves before, the move to exclude.
TEST_F(Solver, StepChecksOfStandardProblems) {
  const std::string afterTwo = "詰将棋 @@\n71龍24龍74桂64歩 +銀歩,\n43玉11角 @+角金銀香歩2\n";
  const std::string afterThree = "詰将棋 @@\n41龍24龍74桂64歩 +銀歩,\n43玉11角 @+角金銀香歩2\n";
  const std::vector<Case> cases = {
      {"first move, nothing else mates", "/EEXCEPT=43歩打\n" + kFive + "#5\n", {}, "不詰\n解析時間：T秒 全検完了\n"},
      {"attacker move after a capture", "/EEXCEPT=41龍生(71)\n" + afterTwo + "#3\n", {},
       "不詰\n解析時間：T秒 全検完了\n"},
      {"a defence as long as the stated one counts at /L0", "/EEXCEPT=53玉(43)\n" + afterThree + "#2\n", {},
       "変同：42歩打 54銀打\n解析時間：T秒\n"},
      {"and is tolerated at /L2", "/EEXCEPT=53玉(43)\n" + afterThree + "#2\n", {"/L2"},
       "変同：42歩打 54銀打\n解析時間：T秒 全検完了\n"},
      {"an alternative mate in one counts at /L0", "/EEXCEPT=12金打\n" + kTwoMates + "#1\n", {},
       "余詰：22金打\n解析時間：T秒\n"},
      {"and is the tolerated last-move alternative at /L2", "/EEXCEPT=12金打\n" + kTwoMates + "#1\n", {"/L2"},
       "最終手余詰：22金打\n解析時間：T秒 全検完了\n"},
      {"an alternative first move",
       "/EEXCEPT=53角成(62)\n詰将棋 @@\n51金82飛62角84龍 +香2,\n63玉65金 @+角金銀桂歩\n#3\n", {},
       "余詰：73角成(62) 53玉(63) 52飛成(82)\n解析時間：T秒\n"},
      {"an escape of the defender",
       "/EEXCEPT=12玉(11)\n詰将棋 @@\n21金,\n11玉 @+\n#2\n", {}, "逃れ：21玉(11)\n解析時間：T秒\n"},
  };
  expectVerdicts(cases);
}

TEST_F(Solver, Helpmates) {
  const std::string position = "ばか詰 @@\n51と +金歩,\n82玉81馬72杏94歩 @+飛角金銀桂香歩\n";
  const std::vector<Case> cases = {
      {"stated line holds", position + "| 83歩打 71玉(82) 61金打\n#3\n", {}, "判定：作意どおり詰む\n解析時間：T秒 手順成立\n"},
      {"a line that ends without mate", position + "| 83歩打 71玉(82) 62金打\n#3\n", {},
       "判定：作意不成立　最終手で詰んでいない\n解析時間：T秒\n"},
      {"no other first move", "/EEXCEPT=83歩打\n" + position + "#3\n", {}, "不詰\n解析時間：T秒 全検完了\n"},
      {"another first move when the stated one is left in", "/EEXCEPT=61金打\n" + position + "#3\n", {},
       "余詰：83歩打 71玉(82) 61金打\n解析時間：T秒\n"},
      {"協力詰 is the same rule", "/EEXCEPT=83歩打\n協力詰" + position.substr(6) + "#3\n", {},
       "不詰\n解析時間：T秒 全検完了\n"},
  };
  expectVerdicts(cases);
}

TEST_F(Solver, TimeLimitInterrupts) {
  // 将棋図巧 第1番 (69 plies): far beyond one second.
  std::string error;
  const std::string input = sfen_problem::openStepCheck(
      "1pG1B4/Gs+P6/pP7/n1ls5/3k5/nL4+r1b/1+p1p+R4/1S7/2N6 b SP2gn2l11p 1", 69, "詰将棋", &error);
  ASSERT_FALSE(input.empty()) << error;
  ProcessResult r = solve(input, {"/T1"});
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(verdict(readFile(dir / "out.kzo")), "中断\n解析時間：T秒\n");
}

TEST_F(Solver, InterruptSignalEndsTheSearchWithItsVerdict) {
  std::string error;
  const std::string input = sfen_problem::openStepCheck(
      "1pG1B4/Gs+P6/pP7/n1ls5/3k5/nL4+r1b/1+p1p+R4/1S7/2N6 b SP2gn2l11p 1", 69, "詰将棋", &error);
  ASSERT_FALSE(input.empty()) << error;
  writeFile(dir / "in.kzi", input);
  // Ctrl-C at the console: the solver stops and still writes its output.
  ProcessResult r = runProcess(dir.path(), {"/bin/sh", "-c",
                                            "./KZ.EXE /Iin.kzi /Oout.kzo & pid=$!; sleep 1; kill -INT $pid; "
                                            "wait $pid; echo status $?"});
  EXPECT_EQ(r.out, "status 0\n") << r.err;
  EXPECT_EQ(verdict(readFile(dir / "out.kzo")), "中断\n解析時間：T秒\n");
}

// Anything the solver cannot honour: exit status 2, a message, no output.
TEST_F(Solver, RefusesWhatItCannotDo) {
  struct Refusal {
    const char* name;
    std::string input;
    std::vector<std::string> options;
    std::string message;  // a part of standard error
  };
  const std::vector<Refusal> cases = {
      {"unknown option", kTwoMates + "| 12金打\n#1\n", {"/X"}, "unknown or malformed option \"/X\""},
      {"time limit not a number", kTwoMates + "| 12金打\n#1\n", {"/Tx"}, "\"/Tx\""},
      {"Circe", "/EEXCEPT=12金打\nキルケ詰将棋 @@\n23と +金,\n11玉 @+\n#1\n", {}, "line 2: not supported yet"},
      {"a fairy king", "/EEXCEPT=12金打\nクイーン王ばか詰 @@\n23と +金,\n11Ｑ @+\n#1\n", {}, "line 2: not supported"},
      {"selfmate", "/EEXCEPT=12金打\n自玉詰 @@\n23と +金,\n11玉 @+\n#1\n", {}, "line 2: not supported"},
      {"a fairy piece", "/EFP=xyz:Ｘ\n詰将棋 @@\n23と +金,\n11玉 @+\n#1\n", {}, "line 1: fairy pieces"},
      {"unknown rule", "/EEXCEPT=12金打\n詰め物 @@\n23と +金,\n11玉 @+\n#1\n", {}, "line 2: unknown rule"},
      {"no \" @@\"", "/EEXCEPT=12金打\n詰将棋\n23と +金,\n11玉 @+\n#1\n", {}, "line 2:"},
      {"attacker line without comma", "/EEXCEPT=12金打\n詰将棋 @@\n23と +金\n11玉 @+\n#1\n", {}, "line 3:"},
      {"square off the board", "/EEXCEPT=12金打\n詰将棋 @@\n20と +金,\n11玉 @+\n#1\n", {}, "line 3:"},
      {"no defender's king", "/EEXCEPT=12金打\n詰将棋 @@\n23と +金,\n11歩 @+\n#1\n", {}, "the defender has no king"},
      {"no number of plies", "/EEXCEPT=12金打\n詰将棋 @@\n23と +金,\n11玉 @+\n", {}, "#n"},
      {"plies not a number", "/EEXCEPT=12金打\n詰将棋 @@\n23と +金,\n11玉 @+\n#x\n", {}, "line 5:"},
      {"excluded move unreadable", "/EEXCEPT=12金\n詰将棋 @@\n23と +金,\n11玉 @+\n#1\n", {}, "/EEXCEPT=12金"},
      {"empty file", "", {}, "line"},
  };
  for (const Refusal& c : cases) {
    ProcessResult r = solve(c.input, c.options);
    EXPECT_EQ(r.status, 2) << c.name;
    EXPECT_NE(r.err.find(c.message), std::string::npos) << c.name << ": " << r.err;
    EXPECT_FALSE(fileExists(dir / "out.kzo")) << c.name;
  }
  ProcessResult r = runProcess(dir.path(), {"./KZ.EXE", "/I" + (dir / "missing.kzi"), "/O" + (dir / "out.kzo")});
  EXPECT_EQ(r.status, 2);
  EXPECT_FALSE(fileExists(dir / "out.kzo"));
}

// The checker with our solver on the bundled examples, as the README runs it.
}  // namespace
