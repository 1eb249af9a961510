// Runs the built checker as a user would: in a directory of its own, without
// a controlling terminal, with fake converter and solver programs, comparing
// standard error byte for byte.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <string>
#include <vector>

#include "support/process.h"

namespace {

const std::string kBanner = "tsuka 0.09 - Copyright (C) 2026 the tsuka developers\n";
const std::string kUsage = "入力形式: tsuka [/N<n>] <詰手順ファイル> [<ｋｚオプションリスト>]\n";

class Tsuka : public testing::Test {
 protected:
  TempDir dir;
  void SetUp() override { installProgram(TSUKA_BINARY, dir / "tsuka"); }

  // Installs the fake program under `name` and gives it its plan.
  void fake(const std::string& name, const std::string& plan) {
    installProgram(FAKE_PROGRAM, dir / name);
    writeFile(dir / "plan", readFile(dir / "plan") + plan);
  }
  ProcessResult run(const std::vector<std::string>& arguments, const std::string& program = "./tsuka") {
    std::vector<std::string> argv = {program};
    argv.insert(argv.end(), arguments.begin(), arguments.end());
    return runProcess(dir.path(), argv, {"FAKE_PLAN=" + (dir / "plan")});
  }
  std::string line2(int errorNumber, const std::string& text) {
    return "tsuka: (" + std::to_string(errorNumber) + ") " + text + "\n";
  }
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
                         line2(0, "No such file or directory") + "...")
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
  std::string longName = std::string(70, 'n');
  installProgram(TSUKA_BINARY, dir / longName);
  r = run({}, "./" + longName);
  EXPECT_EQ(r.err.substr(0, 64), std::string(63, 'n') + " ");
}

TEST_F(Tsuka, ProgramDirectoryTooLongIsRefused) {
  std::string deep = dir.path();
  while (deep.size() < 300) {
    deep += "/" + std::string(40, 'd');
    mkdir(deep.c_str(), 0755);
  }
  installProgram(TSUKA_BINARY, deep + "/tsuka");
  ProcessResult r = run({}, deep + "/tsuka");
  EXPECT_EQ(r.err, kBanner + "tsuka: tsuka.exe8.3形式パス取得エラー - \n" +
                       line2(0, "File name too long") + "...");
}

TEST_F(Tsuka, ProblemFileThatCannotBeOpened) {
  mkdir((dir / "problem.kdb").c_str(), 0755);
  ProcessResult r = run({"problem.kdb"});
  EXPECT_EQ(r.err, kBanner + "tsuka: 詰手順ファイルオープンエラー - " + (dir / "problem.kdb") +
                       " (rt)\n" + line2(21, "Is a directory") + "...");
}

TEST_F(Tsuka, OtherExtensionsGoThroughTheConverter) {
  for (const char* name : {"problem.Kdb", "problem.txt", "problem", "problem.kif"}) {
    writeFile(dir / name, "");
    ProcessResult r = run({name});
    EXPECT_EQ(r.err, kBanner + "tsuka: kzshow起動エラー - KZSHOW.EXE\n" +
                         line2(2, "No such file or directory") + "...")
        << name;
  }
}

TEST_F(Tsuka, ConverterThatWritesNothing) {
  writeFile(dir / "problem.kif", "");
  fake("KZSHOW.EXE", "KZSHOW.EXE log args\n");
  ProcessResult r = run({"problem.kif"});
  EXPECT_EQ(readFile(dir / "args"), "KZSHOW.EXE\n" + (dir / "problem.kif") + "\n--\n");
  EXPECT_EQ(r.err, kBanner + "tsuka: KDBファイルオープンエラー - " + (dir / "KZSHOW.KDB") +
                       " (rt)\n" + line2(2, "No such file or directory") + "...");
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

}  // namespace
