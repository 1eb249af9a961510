// Console text in the user's encoding: the decision table, the conversion,
// and the three programs on a pseudo-terminal and on a pipe.
#include <gtest/gtest.h>
#include <poll.h>
#include <pty.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <string>
#include <vector>

#include "common/console.h"
#include "support/process.h"

namespace {

// UTF-8 bytes whatever the execution character set; plain literals of this
// file are code page 932.
std::string utf8(const char8_t* text) { return std::string(reinterpret_cast<const char*>(text)); }

TEST(Console, WhenTextIsConverted) {
  struct Row {
    bool terminal;
    const char* locale;
    const char* override;
    const char* target;  // "" for the bytes as they are
  };
  const Row rows[] = {
      {true, "UTF-8", nullptr, "UTF-8"},
      {false, "UTF-8", nullptr, ""},          // a pipe or a file keeps the bytes
      {true, "CP932", nullptr, ""},           // a terminal that speaks code page 932
      {true, "SHIFT_JIS", nullptr, ""},
      {true, "EUC-JP", nullptr, "EUC-JP"},
      {true, "", nullptr, ""},                // no character set known
      {true, "UTF-8", "CP932", ""},           // the override keeps the bytes on a terminal
      {true, "UTF-8", "sjis", ""},
      {false, "UTF-8", "UTF-8", "UTF-8"},     // and converts on a pipe
      {false, "CP932", "EUC-JP", "EUC-JP"},
      {true, "UTF-8", "", "UTF-8"},           // set but empty: as if not set
  };
  for (const Row& r : rows) {
    EXPECT_EQ(console::targetCharset(r.terminal, r.locale, r.override), r.target)
        << r.terminal << " " << r.locale << " " << (r.override ? r.override : "(none)");
  }
}

TEST(Console, ConversionKeepsWhatItCannotTake) {
  EXPECT_EQ(console::fromCp932("指定詰手順が成立しています。\n", "UTF-8"), utf8(u8"指定詰手順が成立しています。\n"));
  // A byte that is no character of code page 932 (0xA0 here is one, 0x80
  // is not), and a lead byte cut off at the end, pass through.
  EXPECT_EQ(console::fromCp932("a\x80" "b\x88", "UTF-8"), "a\x80" "b\x88");
  // Characters the target has no room for stay as they were.
  EXPECT_EQ(console::fromCp932("ok 詰", "ASCII"), "ok 詰");
}

struct TerminalResult {
  int status = -1;
  std::string output;  // what the terminal showed, CR LF turned into LF
};

// Runs argv[0] in `directory` on a pseudo-terminal of its own (standard
// input, output and error), with `environment` entries added, and collects
// what it writes; a program still running after 60 seconds is killed.
TerminalResult runOnTerminal(const std::string& directory, const std::vector<std::string>& argv,
                             const std::vector<std::string>& environment) {
  TerminalResult result;
  int master = -1;
  const pid_t pid = forkpty(&master, nullptr, nullptr, nullptr);
  if (pid < 0) {
    ADD_FAILURE() << "forkpty: " << errno;
    return result;
  }
  if (pid == 0) {
    if (chdir(directory.c_str()) != 0) _exit(126);
    unsetenv("TSUKA_CONSOLE_ENCODING");
    for (const std::string& e : environment) putenv(const_cast<char*>(e.c_str()));
    std::vector<char*> args;
    for (const std::string& a : argv) args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);
    execv(args[0], args.data());
    _exit(127);
  }
  std::string raw;
  for (;;) {
    pollfd p{master, POLLIN, 0};
    if (poll(&p, 1, 60000) <= 0) {
      kill(pid, SIGKILL);
      ADD_FAILURE() << argv[0] << " did not end";
      break;
    }
    char buffer[4096];
    const ssize_t n = read(master, buffer, sizeof buffer);
    if (n <= 0) break;  // EIO once the program has ended
    raw.append(buffer, size_t(n));
  }
  close(master);
  int status = 0;
  waitpid(pid, &status, 0);
  result.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  for (char c : raw) {
    if (c != '\r') result.output += c;
  }
  return result;
}

class OnTerminal : public testing::Test {
 protected:
  TempDir dir;
  void SetUp() override {
    installProgram(TSUKA_BINARY, dir / "tsuka");
    installProgram(MATESOLVER_BINARY, dir / "KZ.EXE");
    installProgram(CONVERTER_BINARY, dir / "KZSHOW.EXE");
    writeFile(dir / "tsume5.kdb", readFile(joinPath(EXAMPLES_DIR, "tsume5.kdb")));
    // The solver input of the README's example: the five-move problem
    // without its solution.
    writeFile(dir / "solve5.kzi", readFile(joinPath(EXAMPLES_DIR, "solve5.kzi")));
  }
};

const std::string kBanner = "tsuka 0.09 - Copyright (C) 2026 the tsuka developers\n";

TEST_F(OnTerminal, TheCheckersVerdictInTheTerminalsEncoding) {
  const std::string holds = "tsuka: 指定詰手順が成立しています。\n";
  const std::string holdsUtf8 = utf8(u8"tsuka: 指定詰手順が成立しています。\n");
  // A UTF-8 terminal shows UTF-8; the override keeps code page 932; a
  // terminal whose character set cannot hold the text gets the bytes.
  TerminalResult r = runOnTerminal(dir.path(), {"./tsuka", "tsume5.kdb", "/L2"}, {"LC_ALL=C.UTF-8"});
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.output, kBanner + holdsUtf8);
  r = runOnTerminal(dir.path(), {"./tsuka", "tsume5.kdb", "/L2"}, {"LC_ALL=C.UTF-8", "TSUKA_CONSOLE_ENCODING=CP932"});
  EXPECT_EQ(r.output, kBanner + holds);
  r = runOnTerminal(dir.path(), {"./tsuka", "tsume5.kdb", "/L2"}, {"LC_ALL=C"});
  EXPECT_EQ(r.output, kBanner + holds);
  // A pipe gets the bytes as they are, unless the override asks otherwise.
  ProcessResult p = runProcess(dir.path(), {"./tsuka", "tsume5.kdb", "/L2"}, {"LC_ALL=C.UTF-8"});
  EXPECT_EQ(p.err, kBanner + holds);
  p = runProcess(dir.path(), {"./tsuka", "tsume5.kdb", "/L2"}, {"LC_ALL=C.UTF-8", "TSUKA_CONSOLE_ENCODING=UTF-8"});
  EXPECT_EQ(p.err, kBanner + holdsUtf8);
}

TEST_F(OnTerminal, TheSolversAnswerAndErrors) {
  TerminalResult r =
      runOnTerminal(dir.path(), {"./KZ.EXE", "/Isolve5.kzi", "/Oout.kzo"}, {"LC_ALL=C.UTF-8"});
  EXPECT_EQ(r.status, 0);
  const std::string solution = utf8(u8"解：43歩打 同玉(42) 41龍(71) 53玉(43) 62銀打\nまで5手詰\n解析時間：");
  EXPECT_EQ(r.output.substr(0, solution.size()), solution) << r.output;
  // The output file stays code page 932.
  EXPECT_NE(readFile(dir / "out.kzo").find("解：43歩打"), std::string::npos);

  writeFile(dir / "bad.kzi", "詰め物 @@\r\n");
  r = runOnTerminal(dir.path(), {"./KZ.EXE", "/Ibad.kzi", "/Oout.kzo"}, {"LC_ALL=C.UTF-8"});
  EXPECT_EQ(r.status, 2);
  EXPECT_NE(r.output.find(utf8(u8"unknown rule or condition: 詰め物")), std::string::npos) << r.output;
}

TEST_F(OnTerminal, TheConvertersErrors) {
  // The five-move example with 同 as its first move.
  std::string kif = readFile(joinPath(EXAMPLES_DIR, "tsume5.kif"));
  const std::string first = "   1 ４三歩打";
  ASSERT_NE(kif.find(first), std::string::npos);
  kif.replace(kif.find(first), first.size(), "   1 同　玉(42)");
  writeFile(dir / "broken.kif", kif);
  const TerminalResult r = runOnTerminal(dir.path(), {"./KZSHOW.EXE", "broken.kif"}, {"LC_ALL=C.UTF-8"});
  EXPECT_EQ(r.status, 2);
  EXPECT_NE(r.output.find(utf8(u8"同 without a previous move")), std::string::npos) << r.output;
}

}  // namespace
