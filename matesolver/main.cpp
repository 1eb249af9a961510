// matesolver: the mate solver that tsuka runs as KZ.EXE and KZX.EXE.
//
//   matesolver /I<input> /O<output> [/L<n>] [/T<seconds>] [/H<MiB>]
//
// Reads one check from the input file, decides it and writes the verdict to
// the output file. An input file with neither a stated solution nor an
// excluded move asks for the problem to be solved: the solution goes to the
// output file and to standard output. Bad options or input: a message on
// standard error, exit status 2 and no output file. A time limit is 1 second
// or more (none without /T); a table is 1 MiB up to the machine's physical
// memory.
#include <unistd.h>

#include <csignal>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>

#include "common/console.h"
#include "common/cp932.h"
#include "matesolver/checks.h"
#include "matesolver/input.h"
#include "matesolver/memory.h"

namespace {

constexpr const char* kVersion = "0.1";

volatile std::sig_atomic_t stopRequested = 0;
void requestStop(int) { stopRequested = 1; }

struct Options {
  std::string input, output;
  int level = 0;
  double seconds = 0;  // 0: no limit
  size_t megabytes = 256;
};

[[noreturn]] void refuse(const std::string& program, const std::string& message) {
  console::write(stderr, program + ": " + message + "\n");
  std::exit(2);
}

bool number(const std::string& text, long long& value) {
  if (text.empty() || text.size() > 9 || text.find_first_not_of("0123456789") != std::string::npos) return false;
  value = std::stoll(text);
  return true;
}

Options parseOptions(int argc, char** argv, const std::string& program) {
  Options o;
  for (int i = 1; i < argc; ++i) {
    const std::string a = argv[i];
    const std::string value = a.size() > 2 ? a.substr(2) : "";
    const char letter = a.size() >= 2 && a[0] == '/' ? char(std::toupper(static_cast<unsigned char>(a[1]))) : '\0';
    long long n = 0;
    if (letter == 'I' && !value.empty()) {
      o.input = value;
    } else if (letter == 'O' && !value.empty()) {
      o.output = value;
    } else if (letter == 'L') {
      // The checker reads "/L" alone or with no digits as level 0.
      o.level = cp932::parseDecimal(value.c_str());
    } else if (letter == 'T' && number(value, n)) {
      if (n == 0) refuse(program, a + ": a time limit is 1 second or more (without /T there is none)");
      o.seconds = double(n);
    } else if (letter == 'H' && number(value, n)) {
      if (n == 0) refuse(program, a + ": the table needs 1 MiB or more");
      const size_t most = matesolver::largestTableMegabytes();
      if (uint64_t(n) > most) {
        refuse(program, a + ": more than this machine's memory (a table of " + std::to_string(most) + " MiB at most)");
      }
      o.megabytes = size_t(n);
    } else {
      refuse(program, "unknown or malformed option \"" + a + "\" (options: /I<file> /O<file> /L<n> /T<seconds> /H<MiB>)");
    }
  }
  if (o.input.empty() || o.output.empty()) refuse(program, "both /I<input file> and /O<output file> are needed");
  return o;
}

std::string ruleName(const matesolver::CheckInput& input) {
  if (!input.ruleText.empty()) return input.ruleText;
  switch (input.rule) {
    case matesolver::Rule::Helpmate:
      return "ばか詰";
    case matesolver::Rule::Selfmate:
      return "自玉詰";
    case matesolver::Rule::Helpselfmate:
      return "協力自玉詰";
    case matesolver::Rule::Standard:
      break;
  }
  return "詰将棋";
}

}  // namespace

int main(int argc, char** argv) {
  std::string program = argc > 0 ? argv[0] : "matesolver";
  if (size_t slash = program.find_last_of("/\\"); slash != std::string::npos) program.erase(0, slash + 1);
  const Options options = parseOptions(argc, argv, program);

  matesolver::CheckInput input;
  std::string error;
  if (!matesolver::readCheckInput(options.input, input, &error)) refuse(program, options.input + ": " + error);

  std::signal(SIGINT, requestStop);
  std::signal(SIGTERM, requestStop);
  const int64_t start = matesolver::monotonicMillis();
  matesolver::Limits limits;
  limits.stop = &stopRequested;
  limits.showProgress = isatty(2);
  if (options.seconds > 0) limits.deadline = start + static_cast<int64_t>(options.seconds * 1000);

  matesolver::CheckOutcome outcome;
  try {
    const bool cooperative = input.rule == matesolver::Rule::Helpmate || input.rule == matesolver::Rule::Helpselfmate;
    matesolver::MateSearch mate(cooperative ? 1 : options.megabytes);
    matesolver::HelpmateSearch helpmate(cooperative ? options.megabytes : 1);
    mate.limits = limits;
    helpmate.limits = limits;
    outcome = matesolver::runCheck(input, matesolver::CheckOptions{options.level}, mate, helpmate);
  } catch (const std::bad_alloc&) {
    outcome = matesolver::CheckOutcome{};
    outcome.lines.push_back("中断");
    outcome.lines.push_back("（メモリ不足）");
    outcome.interrupted = true;
  }
  matesolver::clearProgress();
  const double seconds = double(matesolver::monotonicMillis() - start) / 1000;

  std::string text = program + " (matesolver " + kVersion + ")\n";
  text += "ルール：" + ruleName(input) + "　手数：" + std::to_string(input.plies);
  if (input.hasExcluded) text += "　除外：" + input.excludedText;
  text += "\n";
  for (const std::string& line : outcome.lines) text += line + "\n";
  char timeLine[64];
  std::snprintf(timeLine, sizeof timeLine, "解析時間：%.2f秒", seconds);
  text += timeLine;
  if (!outcome.timeSuffix.empty()) text += " " + outcome.timeSuffix;
  text += "\n";

  // A solve request shows its answer on standard output as well.
  if (input.solveRequest) {
    const size_t header = text.find('\n', text.find('\n') + 1) + 1;
    console::write(stdout, text.substr(header));
    std::fflush(stdout);
  }

  std::ofstream out(options.output, std::ios::binary | std::ios::trunc);
  if (!out) refuse(program, "cannot write " + options.output);
  for (char c : text) {
    if (c == '\n') out << '\r';
    out << c;
  }
  return 0;
}
