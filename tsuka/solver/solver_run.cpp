#include "tsuka/solver/solver_run.h"

#include <cstring>
#include <string>

#include "common/cp932.h"
#include "tsuka/driver/diagnostics.h"
#include "tsuka/platform/platform.h"
#include "tsuka/problem/reader.h"
#include "tsuka/solver/input_files.h"

const char* solverArguments[20];
int32_t lValue;

void initSolverArguments() {
  solverArguments[0] = solverName;
  solverArguments[1] = inputArgument;
  solverArguments[2] = outputArgument;
  solverArguments[3] = nullptr;
}

void appendUserOptions(const ArgumentList& arguments) {
  int entry = 3;
  for (int i = 2; i < arguments.count && entry < 3 + kMaxUserOptions; ++i) {
    const char* option = arguments.values[i];
    solverArguments[entry++] = option;
    if (option[0] == '/' && (option[1] == 'L' || option[1] == 'l')) {
      lValue = cp932::parseDecimal(option + 2);
    }
  }
  solverArguments[entry] = nullptr;
}

static std::FILE* openOutputFile() {
  std::FILE* file = platform::openTextFile(outputFilePath, "r");
  if (file == nullptr) {
    std::string object = std::string(outputFilePath) + " (rt)";
    failWithSystemError("ｋｚ出力ファイルオープンエラー", object.c_str());
  }
  return file;
}

void runSolver() {
  nameOutputFile();
  platform::removeFile(outputFilePath);  // a stale output is never read as this run's
  if (!platform::runProgram(solverArguments)) failWithSystemError("ｋｚ起動エラー", solverArguments[0]);
  platform::closeTextFile(openOutputFile());
}

// Output lines are read in pieces of at most 511 bytes; each piece is
// tested as a line of its own.
static constexpr int kLineBuffer = 512;

static bool isTimeLineWith(const char* line, const char* word) {
  return cp932::startsWith(line, "解析時間：") && std::strstr(line, word) != nullptr;
}

int readWholeProblemVerdict() {
  std::FILE* file = openOutputFile();
  int verdict = -1;
  char line[kLineBuffer];
  while (platform::readTextLine(file, line, sizeof line)) {
    if (isTimeLineWith(line, "手順成立")) {
      verdict = 0;
      break;
    }
  }
  platform::closeTextFile(file);
  return verdict;
}

int readStepVerdict() {
  std::FILE* file = openOutputFile();
  int verdict = -1;
  char line[kLineBuffer];
  while (platform::readTextLine(file, line, sizeof line)) {
    if (cp932::startsWith(line, "中断")) {
      verdict = 1;
      break;
    }
    if (cp932::startsWith(line, "不詰") || (isTimeLineWith(line, "全検完了") && lValue >= 2)) {
      verdict = 0;
      break;
    }
  }
  platform::closeTextFile(file);
  return verdict;
}
