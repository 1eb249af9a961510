// The checker with our solver and converter on the bundled example
// problems, end to end, as a user runs it.
#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "support/process.h"

namespace {

const std::string kTsuka = std::string("tsuka") + kProgramSuffix;

class Examples : public testing::Test {
 protected:
  TempDir dir;
  void SetUp() override {
    installProgram(TSUKA_BINARY, dir / kTsuka);
    installProgram(MATESOLVER_BINARY, dir / "KZ.EXE");
    installProgram(CONVERTER_BINARY, dir / "KZSHOW.EXE");
  }
  ProcessResult check(const std::string& example, std::vector<std::string> options) {
    writeFile(dir / example, readFile(joinPath(EXAMPLES_DIR, example)));
    std::vector<std::string> argv = {"./" + kTsuka, example};
    argv.insert(argv.end(), options.begin(), options.end());
    return runProcess(dir.path(), argv);
  }
};

TEST_F(Examples, VerdictsEndToEnd) {
  const std::string banner = "tsuka 0.09 - Copyright (C) 2026 the tsuka developers\n";
  struct Run {
    const char* example;
    std::vector<std::string> options;
    int status;
    std::string err;
  };
  const std::vector<Run> runs = {
      {"tsume5.kdb", {"/L2"}, 0, banner + "tsuka: 指定詰手順が成立しています。\n"},
      // At /L0 the defender's equally long defence at move 4 counts.
      {"tsume5.kdb", {}, 1, banner + "tsuka: 指定詰手順 4手目の図で余詰がありました。\n..."},
      {"yozume3.kdb", {"/L2"}, 1, banner + "tsuka: 指定詰手順 1手目の図で余詰がありました。\n..."},
      {"bakazume3.kdb", {}, 0, banner + "tsuka: 指定詰手順が成立しています。\n"},
      // Other formats go through the converter first.
      {"tsume5.kif", {"/L2"}, 0, banner + "tsuka: 指定詰手順が成立しています。\n"},
      {"tsume5.sfen", {}, 1, banner + "tsuka: 指定詰手順 4手目の図で余詰がありました。\n..."},
      // Fairy problems, each with a variant that has an alternative.
      {"circe_helpmate5.kdb", {"/L2"}, 0, banner + "tsuka: 指定詰手順が成立しています。\n"},
      {"circe_helpmate5_alternative.kdb", {"/L2"}, 1, banner + "tsuka: 指定詰手順 3手目の図で余詰がありました。\n..."},
      {"queen_king3.kdb", {}, 0, banner + "tsuka: 指定詰手順が成立しています。\n"},
      // An alternative mate on the last move: counted at /L0, tolerated at /L2.
      {"queen_king3_alternative.kdb", {}, 1, banner + "tsuka: 指定詰手順 3手目の図で余詰がありました。\n..."},
      {"queen_king3_alternative.kdb", {"/L2"}, 0, banner + "tsuka: 指定詰手順が成立しています。\n"},
      {"selfmate4.kdb", {}, 0, banner + "tsuka: 指定詰手順が成立しています。\n"},
      {"selfmate4_alternative.kdb", {}, 1, banner + "tsuka: 指定詰手順 3手目の図で余詰がありました。\n..."},
      {"different_kings3.kdb", {"/L2"}, 0, banner + "tsuka: 指定詰手順が成立しています。\n"},
      {"different_kings3_alternative.kdb", {"/L2"}, 1,
       banner + "tsuka: 指定詰手順 1手目の図で余詰がありました。\n..."},
  };
  for (const Run& run : runs) {
    ProcessResult r = check(run.example, run.options);
    EXPECT_EQ(r.status, run.status) << run.example;
    EXPECT_EQ(r.err, run.err) << run.example;
  }
}

// Solver options it cannot honour reach the user as the solver's message,
// and the check fails without a verdict.
TEST_F(Examples, SolverOptionsOutOfRange) {
  const std::vector<std::pair<std::string, std::string>> runs = {
      {"/T0", "KZ.EXE: /T0: a time limit is 1 second or more"},
      {"/H0", "KZ.EXE: /H0: the table needs 1 MiB or more"},
      {"/H999999999", "KZ.EXE: /H999999999: more than this machine's memory"},
  };
  for (const auto& [option, message] : runs) {
    ProcessResult r = check("tsume5.kdb", {"/L2", option});
    EXPECT_EQ(r.status, 1) << option;
    EXPECT_NE(r.err.find(message), std::string::npos) << option << ": " << r.err;
    EXPECT_EQ(r.err.find("指定詰手順が成立しています"), std::string::npos) << option;
  }
}

}  // namespace
