// Runs the built checker as a user would: in a directory of its own, without
// a controlling terminal, with fake converter and solver programs, comparing
// standard error byte for byte.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "support/checker_state.h"
#include "support/process.h"

namespace {

const std::string kBanner = "tsuka 0.09 - Copyright (C) 2026 the tsuka developers\n";
const std::string kUsage = "入力形式: tsuka [/N<n>] <詰手順ファイル> [<ｋｚオプションリスト>]\n";
const std::string kTsuka = std::string("tsuka") + kProgramSuffix;

// The PATH with `directory` in front.
std::string pathWith(const std::string& directory) {
  const char* inherited = std::getenv("PATH");
  return "PATH=" + directory + kPathListSeparator + (inherited != nullptr ? inherited : "");
}

class Tsuka : public testing::Test {
 protected:
  TempDir dir;
  void SetUp() override { installProgram(TSUKA_BINARY, dir / kTsuka); }

  // Installs the fake program under `name` and gives it its plan.
  void fake(const std::string& name, const std::string& plan) {
    installProgram(FAKE_PROGRAM, dir / name);
    writeFile(dir / "plan", readFile(dir / "plan") + plan);
  }
  // Forgets the fakes' plan and how often each fake has run.
  void resetPlan() {
    for (const char* suffix : {"", ".KZ.EXE.count", ".KZX.EXE.count", ".KZSHOW.EXE.count"}) {
      std::remove((dir / ("plan" + std::string(suffix))).c_str());
    }
  }
  ProcessResult run(const std::vector<std::string>& arguments, const std::string& program = "./" + kTsuka) {
    std::vector<std::string> argv = {program};
    argv.insert(argv.end(), arguments.begin(), arguments.end());
    return runProcess(dir.path(), argv, {"FAKE_PLAN=" + (dir / "plan")});
  }
  // A path the checker forms in its program directory, which it names by
  // the short form.
  std::string work(const std::string& name) { return joinPath(shortPathOf(dir.path()), name); }
};

TEST_F(Tsuka, UsageWhenNoProblemFileRemains) {
  for (const auto& arguments : std::vector<std::vector<std::string>>{{}, {"/N3"}, {"/n12x"}}) {
    ProcessResult r = run(arguments);
    EXPECT_EQ(r.err, kBanner + kUsage + "...") << testing::PrintToString(arguments);
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.out, "");
  }
}

TEST_F(Tsuka, StartOptionsThatAreNotOptionsNameTheProblemFile) {
  for (const char* argument : {"/N0", "/N", "/Nx", "/N-2", "/M3"}) {
    ProcessResult r = run({argument});
    EXPECT_EQ(r.err, kBanner + "tsuka: 詰手順ファイル8.3形式パス取得エラー - \n" +
                         systemErrorLine({0, fileNotFound().code}) + "...")
        << argument;
    EXPECT_EQ(r.status, 1);
  }
}

TEST_F(Tsuka, ProgramNameFollowsTheNameAsTyped) {
  installProgram(TSUKA_BINARY, dir / "TSUKA.EXE");
  ProcessResult r = run({}, "./TSUKA.EXE");
  EXPECT_EQ(r.err, "TSUKA 0.09 - Copyright (C) 2026 the tsuka developers\n"
                   "入力形式: TSUKA [/N<n>] <詰手順ファイル> [<ｋｚオプションリスト>]\n...");

  // A name longer than the program name's buffer is cut to 63 bytes.
  std::string longName = std::string(70, 'n') + kProgramSuffix;
  installProgram(TSUKA_BINARY, dir / longName);
  r = run({}, "./" + longName);
  EXPECT_EQ(r.err.substr(0, 64), std::string(63, 'n') + " ");
}

// A directory whose short form has exactly `length` bytes, made of 8.3
// names below `base`.
std::string deepDirectory(const std::string& base, size_t length) {
  std::string deep = base;
  for (size_t size = shortPathOf(deep).size(); size < length; size = shortPathOf(deep).size()) {
    size_t room = length - size - 1;  // after the separator
    deep = joinPath(deep, std::string(room <= 8 ? room : room == 9 ? 4 : 8, 'd'));
    makeDirectory(deep);
  }
  return deep;
}

TEST_F(Tsuka, ProgramDirectoryTooLongIsRefused) {
  std::string deep = deepDirectory(dir.path(), 300);
  std::string program = joinPath(deep, kTsuka);
  try {
    installProgram(TSUKA_BINARY, program);
  } catch (const std::exception&) {
    GTEST_SKIP() << "this system keeps no program in a directory of 300 bytes";
  }
  ProcessResult r = run({}, program);
  if (r.status == 127 && r.err.empty()) GTEST_SKIP() << "this system starts no program from a directory of 300 bytes";
  EXPECT_EQ(r.err, kBanner + "tsuka: tsuka.exe8.3形式パス取得エラー - \n" + systemErrorLine({0, nameTooLong().code}) + "...");
}

TEST_F(Tsuka, PathsTooLongForTheirBuffersAreRefused) {
  std::string name = std::string(300 - dir.path().size(), 'p') + ".kdb";
  ProcessResult r = run({name});
  EXPECT_EQ(r.err, kBanner + "tsuka: 詰手順ファイルフルパス取得エラー - " + name + "\n" +
                       systemErrorLine({0, nameTooLong().code}) + "...");

  // The converter's output path in a program directory of 247 bytes: the
  // directory fits its buffer, the path of the converter's output not. The
  // checker is started by its short path, which stays within the 259 bytes
  // of a Windows path.
  std::string deep = deepDirectory(dir.path(), 247);
  installProgram(TSUKA_BINARY, joinPath(deep, kTsuka));
  fake("KZSHOW.EXE", "");
  writeFile(dir / "p.kif", "");
  r = runProcess(dir.path(), {joinPath(shortPathOf(deep), kTsuka), "p.kif"}, {"FAKE_PLAN=" + (dir / "plan")});
  EXPECT_EQ(r.err, kBanner + "tsuka: KDBファイルオープンエラー - " + joinPath(shortPathOf(deep), "KZSHOW.KDB") +
                       " (rt)\n" + systemErrorLine(nameTooLong()) + "...") << r.status;
}

TEST_F(Tsuka, ProblemFileThatCannotBeOpened) {
  makeDirectory(dir / "problem.kdb");
  ProcessResult r = run({"problem.kdb"});
  EXPECT_EQ(r.err, kBanner + "tsuka: 詰手順ファイルオープンエラー - " + (dir / "problem.kdb") +
                       " (rt)\n" + systemErrorLine(directoryOpened()) + "...");
}

TEST_F(Tsuka, OtherExtensionsGoThroughTheConverter) {
  for (const char* name : {"problem.Kdb", "problem.txt", "problem", "problem.kif"}) {
    writeFile(dir / name, "");
    ProcessResult r = run({name});
    EXPECT_EQ(r.err, kBanner + "tsuka: kzshow起動エラー - KZSHOW.EXE\n" + systemErrorLine(programNotFound()) + "...")
        << name;
  }
}

TEST_F(Tsuka, ConverterThatWritesNothing) {
  writeFile(dir / "problem.kif", "");
  fake("KZSHOW.EXE", "KZSHOW.EXE log args\n");
  ProcessResult r = run({"problem.kif"});
  EXPECT_EQ(readFile(dir / "args"), "KZSHOW.EXE\n" + shortPathOf(dir / "problem.kif") + "\n--\n");
  EXPECT_EQ(r.err, kBanner + "tsuka: KDBファイルオープンエラー - " + work("KZSHOW.KDB") + " (rt)\n" +
                       systemErrorLine(fileNotFound()) + "...");
}

TEST_F(Tsuka, ParseErrorsPrintOneLine) {
  const struct {
    std::string content;
    std::string message;
  } cases[] = {
      {"条件：異王（Ａ）\n", "tsuka: 条件「異王」が解析できません。\n"},
      {"手数：1\n作意：\n76歩\n", "tsuka: 指定詰手順が解析できません。－ 移動元\n"},
      {"手数：1\n作意：\n76竜(77)\n", "tsuka: 指定詰手順が解析できません。－ 駒\n"},
      {"手数：2\n作意：\n76歩(77)\n", "tsuka: 指定詰手順が解析できません。－ 移動先\n"},
      {"手数：1\n作意：\n12香(19)/11竜\n", "tsuka: 指定詰手順が解析できません。－ キルケ移動先\n"},
      {"手数：1\n", "tsuka: 指定詰手順が解析できません。－ 移動先\n"},
  };
  for (const auto& c : cases) {
    writeFile(dir / "problem.kdb", c.content);
    ProcessResult r = run({"problem.kdb"});
    EXPECT_EQ(r.err, kBanner + c.message + "...") << c.content;
    EXPECT_EQ(r.status, 1);
  }
}

// A three-move problem: the defender captures on move 2.
const std::string kThreeMoves =
    "ルール：詰将棋\n手数：3\n攻方：21飛\n受方：11玉12歩\n攻方持駒：金2\n受方持駒：なし\n"
    "作意：\n22金打 同玉(11) 23金打\nまで3手詰\n";
const std::string kHolds = "解析時間：0.1秒 手順成立\n";
const std::string kNoMate = "不詰\n解析時間：0.1秒 全検完了\n";
const std::string kMate = "余詰：23金打\n解析時間：0.1秒\n";
const std::string kSuccess = "tsuka: 指定詰手順が成立しています。\n";

class TsukaChecks : public Tsuka {
 protected:
  // The solver answers `whole` to the whole-problem check and `steps[k-1]`
  // to step check k (the last one for all later checks); it logs its
  // arguments to "args" and its input files to "inputs".
  void solver(const std::string& whole, const std::vector<std::string>& steps,
              const std::string& name = "KZ.EXE") {
    writeFile(dir / "whole.out", whole);
    std::string plan = name + " log args\n" + name + " append @I inputs\n";
    for (size_t k = 0; k < steps.size(); ++k) {
      writeFile(dir / ("step" + std::to_string(k) + ".out"), steps[k]);
    }
    plan += name + " copy step" + std::to_string(steps.size() - 1) + ".out @O\n";
    for (size_t k = 0; k + 1 < steps.size(); ++k) {
      plan += name + "#" + std::to_string(k + 2) + " copy step" + std::to_string(k) + ".out @O\n";
    }
    plan += name + "#1 copy whole.out @O\n";
    fake(name, plan);
  }
};

TEST_F(TsukaChecks, AllChecksPass) {
  writeFile(dir / "p.kdb", kThreeMoves);
  solver(kHolds, {kNoMate});
  ProcessResult r = run({"p.kdb", "/T10", "/H64"});
  EXPECT_EQ(r.err, kBanner + kSuccess);
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.out, "");
  // The whole-problem run never gets the user's options; every step run does.
  std::string args;
  args += "KZ.EXE\n/I" + work("TSUKA000.KZI") + "\n/O" + work("TSUKA000.KZO") + "\n--\n";
  for (const char* n : {"001", "002", "003"}) {
    args += "KZ.EXE\n/I" + work(std::string("TSUKA") + n + ".KZI") + "\n/O" +
            work(std::string("TSUKA") + n + ".KZO") + "\n/T10\n/H64\n--\n";
  }
  EXPECT_EQ(readFile(dir / "args"), args);
  EXPECT_EQ(readFile(dir / "TSUKA000.KZI"),
            "詰将棋 @@\r\n21飛 +金2,\r\n11玉12歩 @+\r\n| 22金打 同玉(11) 23金打\r\n#3\r\n");
  EXPECT_EQ(readFile(dir / "TSUKA001.KZI"),
            "/EEXCEPT=23金打\r\n詰将棋 @@\r\n21飛 +金,\r\n12歩22玉 @+金\r\n#1\r\n");
  EXPECT_EQ(readFile(dir / "TSUKA002.KZI"),
            "/EEXCEPT=22玉(11)\r\n詰将棋 @@\r\n21飛22金 +金,\r\n11玉12歩 @+\r\n#2\r\n");
  EXPECT_EQ(readFile(dir / "TSUKA003.KZI"),
            "/EEXCEPT=22金打\r\n詰将棋 @@\r\n21飛 +金2,\r\n11玉12歩 @+\r\n#3\r\n");
}

TEST_F(TsukaChecks, StatedSolutionThatDoesNotHold) {
  writeFile(dir / "p.kdb", kThreeMoves);
  // Only a time line with 手順成立 counts; an interruption is no exception.
  for (const std::string& output : {std::string("手順成立\n解析時間：1秒\n"), std::string("中断\n"),
                                    std::string(""), std::string("x解析時間：手順成立\n")}) {
    solver(output, {kNoMate});
    ProcessResult r = run({"p.kdb"});
    EXPECT_EQ(r.err, kBanner + "tsuka: 指定詰手順が成立していません。\n...") << output;
    EXPECT_EQ(r.status, 1);
    resetPlan();
  }
}

TEST_F(TsukaChecks, StepVerdictsNameTheMove) {
  const std::string seven =
      "手数：7\n受方：11玉\n作意：\n11歩打 11歩打 11歩打 11歩打 11歩打 11歩打 11歩打\n";
  const std::string alternative = "tsuka: 指定詰手順 %d手目の図で余詰がありました。\n...";
  const std::string interrupted = "tsuka: 指定詰手順 %d手目の図で中断されました。\n...";
  const struct {
    std::vector<std::string> steps;
    std::string message;
    int move;
  } cases[] = {
      {{kMate}, alternative, 7},
      {{kNoMate, "中断\n"}, interrupted, 6},
      {{kNoMate, kNoMate, kNoMate, ""}, alternative, 4},  // an empty output is a mate
      {{"不詰\n中断\n"}, "", 0},
      {{"中断\n不詰\n"}, interrupted, 7},
      {{" 中断\n 不詰\n"}, alternative, 7},  // not at a line start
      {{std::string(511, 'x') + "中断\n"}, interrupted, 7},  // a 512th byte starts a piece
  };
  for (const auto& c : cases) {
    writeFile(dir / "p.kdb", seven);
    resetPlan();
    solver(kHolds, c.steps);
    ProcessResult r = run({"p.kdb"});
    std::string expected = c.message.empty() ? kSuccess : c.message;
    if (size_t at = expected.find("%d"); at != std::string::npos) expected.replace(at, 2, std::to_string(c.move));
    EXPECT_EQ(r.err, kBanner + expected) << c.steps.back();
    EXPECT_EQ(r.status, c.message.empty() ? 0 : 1);
  }
}

TEST_F(TsukaChecks, CompleteSearchCountsAsNoMateFromLevelTwo) {
  const std::string complete = "変同：...\n解析時間：1秒 全検完了\n";
  const struct {
    std::vector<std::string> options;
    bool holds;
  } cases[] = {
      {{"/L2"}, true},       {{"/l3"}, true},         {{"/L1"}, false},   {{}, false},
      {{"/L"}, false},       {{"/Lx"}, false},        {{"/L1", "/L5"}, true}, {{"/L5", "/L1"}, false},
  };
  for (const auto& c : cases) {
    writeFile(dir / "p.kdb", kThreeMoves);
    resetPlan();
    solver(kHolds, {complete});
    std::vector<std::string> arguments = {"p.kdb"};
    arguments.insert(arguments.end(), c.options.begin(), c.options.end());
    ProcessResult r = run(arguments);
    EXPECT_EQ(r.status, c.holds ? 0 : 1) << testing::PrintToString(c.options);
  }
}

TEST_F(TsukaChecks, AtMostSixteenOptionsArePassedOn) {
  writeFile(dir / "p.kdb", "手数：1\n受方：11玉\n作意：\n12金打\n");
  solver(kHolds, {"変同：\n解析時間：1秒 全検完了\n"});
  std::vector<std::string> arguments = {"p.kdb"};
  for (int i = 1; i <= 16; ++i) arguments.push_back("/X" + std::to_string(i));
  for (int i = 17; i <= 20; ++i) arguments.push_back("/L9");
  ProcessResult r = run(arguments);
  // The "/L9" options beyond the sixteenth are neither passed nor read.
  EXPECT_EQ(r.err, kBanner + "tsuka: 指定詰手順 1手目の図で余詰がありました。\n...");
  std::string args = readFile(dir / "args");
  std::string stepRun = args.substr(args.find("--\n") + 3);
  std::string expected = "KZ.EXE\n/I" + work("TSUKA001.KZI") + "\n/O" + work("TSUKA001.KZO") + "\n";
  for (int i = 1; i <= 16; ++i) expected += "/X" + std::to_string(i) + "\n";
  EXPECT_EQ(stepRun, expected + "--\n");
}

TEST_F(TsukaChecks, StartOptionSkipsTheWholeProblemCheck) {
  const std::string five = "手数：5\n受方：11玉\n作意：\n11歩打 11歩打 11歩打 11歩打 11歩打\n";
  const struct {
    std::string option;
    std::vector<std::string> firstInputs;  // work files the runs write, in order
  } cases[] = {
      {"/N2", {"TSUKA002.KZI", "TSUKA003.KZI", "TSUKA004.KZI", "TSUKA005.KZI"}},
      {"/n5x", {"TSUKA005.KZI"}},
      {"/N1", {"TSUKA001.KZI", "TSUKA002.KZI", "TSUKA003.KZI", "TSUKA004.KZI", "TSUKA005.KZI"}},
      {"/N6", {}},
  };
  for (const auto& c : cases) {
    TempDir fresh;
    installProgram(TSUKA_BINARY, fresh / kTsuka);
    installProgram(FAKE_PROGRAM, fresh / "KZ.EXE");
    writeFile(fresh / "plan", "KZ.EXE log args\nKZ.EXE copy step.out @O\n");
    writeFile(fresh / "step.out", kNoMate);
    writeFile(fresh / "p.kdb", five);
    writeFile(fresh / "TSUKA000.KZO", "old");
    ProcessResult r = runProcess(fresh.path(), {"./" + kTsuka, c.option, "p.kdb"}, {"FAKE_PLAN=" + (fresh / "plan")});
    EXPECT_EQ(r.err, kBanner + kSuccess) << c.option;
    std::string expected;
    for (const std::string& input : c.firstInputs) {
      std::string output = input.substr(0, 9) + "KZO";
      std::string directory = shortPathOf(fresh.path());
      expected += "KZ.EXE\n/I" + joinPath(directory, input) + "\n/O" + joinPath(directory, output) + "\n--\n";
    }
    EXPECT_EQ(readFile(fresh / "args"), expected) << c.option;
    EXPECT_FALSE(fileExists(fresh / "TSUKA000.KZO")) << "the start-up clean-up runs with " << c.option;
  }
}

TEST_F(TsukaChecks, NoMovesMeansOnlyTheWholeProblemCheck) {
  writeFile(dir / "p.kdb", "手数：0\n受方：11玉\n");
  solver(kHolds, {kMate});
  ProcessResult r = run({"p.kdb", "/L2"});
  EXPECT_EQ(r.err, kBanner + kSuccess);
  EXPECT_EQ(readFile(dir / "args"), "KZ.EXE\n/I" + work("TSUKA000.KZI") + "\n/O" + work("TSUKA000.KZO") + "\n--\n");
}

TEST_F(TsukaChecks, FairyPieceUsesTheOtherSolver) {
  writeFile(dir / "p.kdb", "備考：\n/EFP=def:Ｆ\n／備考終了\n手数：1\n受方：11玉\n作意：\n12Ｆ打\n");
  solver(kHolds, {kNoMate}, "KZX.EXE");
  ProcessResult r = run({"p.kdb"});
  EXPECT_EQ(r.err, kBanner + kSuccess);
  EXPECT_EQ(readFile(dir / "inputs"), "/EFP=def:Ｆ\r\n @@\r\n,\r\n11玉\r\n| 12Ｆ打 \r\n#1\r\n"
                                      "/EFP=def:Ｆ\r\n/EEXCEPT=12Ｆ打\r\n @@\r\n,\r\n11玉\r\n#1\r\n");
}

TEST_F(TsukaChecks, SolverFailures) {
  writeFile(dir / "p.kdb", kThreeMoves);
  ProcessResult r = run({"p.kdb"});
  EXPECT_EQ(r.err, kBanner + "tsuka: ｋｚ起動エラー - KZ.EXE\n" + systemErrorLine(programNotFound()) + "...");

  fake("KZ.EXE", "KZ.EXE log args\n");  // runs, writes nothing
  r = run({"p.kdb"});
  EXPECT_EQ(r.err, kBanner + "tsuka: ｋｚ出力ファイルオープンエラー - " + work("TSUKA000.KZO") + " (rt)\n" +
                       systemErrorLine(fileNotFound()) + "...");
}

TEST_F(TsukaChecks, WorkFilesLiveInTheProgramDirectory) {
  const std::string bin = dir / "bin";
  const std::string workDirectory = dir / "work";
  makeDirectory(bin);
  makeDirectory(workDirectory);
  installProgram(TSUKA_BINARY, joinPath(bin, kTsuka));
  writeFile(joinPath(workDirectory, "p.kdb"), kThreeMoves);
  installProgram(FAKE_PROGRAM, dir / "KZ.EXE");
  // A stale output of the same check is removed before the solver runs.
  writeFile(joinPath(bin, "TSUKA001.KZO"), kNoMate);
  writeFile(joinPath(bin, "TSUKA000.KZI"), "old");
  writeFile(joinPath(workDirectory, "tsuka009.kzi"), "old");
  writeFile(dir / "plan", "KZ.EXE log " + (dir / "args") + "\n");
  ProcessResult r = runProcess(workDirectory, {joinPath(bin, kTsuka), "/N3", "p.kdb"},
                               {"FAKE_PLAN=" + (dir / "plan"), pathWith(dir.path())});
  EXPECT_EQ(r.err, kBanner + "tsuka: ｋｚ出力ファイルオープンエラー - " + joinPath(shortPathOf(bin), "TSUKA003.KZO") +
                       " (rt)\n" + systemErrorLine(fileNotFound()) + "...");
  EXPECT_TRUE(fileExists(joinPath(bin, "TSUKA000.KZI"))) << "not in the current directory";
  EXPECT_FALSE(fileExists(joinPath(workDirectory, "tsuka009.kzi")));
  EXPECT_TRUE(fileExists(joinPath(bin, "TSUKA003.KZI")));

  // Started by a bare name found on the PATH, the current directory is the
  // program directory.
  writeFile(dir / "plan", "KZ.EXE copy " + (dir / "nomate.out") + " @O\n");
  writeFile(dir / "nomate.out", kNoMate);
  r = runProcess(workDirectory, {"tsuka", "/N1", "p.kdb"},
                 {"FAKE_PLAN=" + (dir / "plan"), pathWith(bin + kPathListSeparator + dir.path())});
  EXPECT_EQ(r.err, kBanner + kSuccess);
  EXPECT_TRUE(fileExists(joinPath(workDirectory, "TSUKA001.KZI")));
}

}  // namespace
