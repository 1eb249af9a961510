#include "tsuka/driver/run.h"

#include <cstdio>
#include <cstring>
#include <string>

#include "common/console.h"
#include "common/cp932.h"
#include "tsuka/driver/diagnostics.h"
#include "tsuka/platform/platform.h"
#include "tsuka/problem/locate.h"
#include "tsuka/problem/reader.h"
#include "tsuka/solver/input_files.h"
#include "tsuka/solver/solver_run.h"

char programName[64];
char programDirectory[256];
int32_t checkNumber;

static const char kCopyright[] = "Copyright (C) 2026 the tsuka developers";

const char* baseName(const char* path) {
  static char result[256];
  std::string name = path;
  for (;;) {
    const char* separator = cp932::findLastChar(name.c_str(), '\\');
    if (separator == nullptr) separator = cp932::findLastChar(name.c_str(), '/');
    if (separator == nullptr) break;
    size_t at = static_cast<size_t>(separator - name.c_str());
    if (at + 1 == name.size()) {
      name.erase(at);  // a trailing separator: drop it and look again
      continue;
    }
    name.erase(0, at + 1);
    break;
  }
  if (const char* dot = cp932::findLastChar(name.c_str(), '.')) {
    name.erase(static_cast<size_t>(dot - name.c_str()));
  }
  cp932::copyText(result, sizeof result, name.c_str(), name.size());
  return result;
}

void findProgramDirectory(const ArgumentList& arguments) {
  char full[512];
  size_t filePart = 0;
  if (!platform::fullPath(arguments.values[0], full, sizeof full, &filePart)) {
    failWithSystemError("tsuka.exeフルパス取得エラー", arguments.values[0]);
  }
  full[filePart - 1] = '\0';  // the separator before the file part
  if (!platform::shortPath(full, programDirectory, sizeof programDirectory)) {
    failWithSystemError("tsuka.exe8.3形式パス取得エラー", "");
  }
}

// A verdict on move N: the template takes N first, then the program name.
[[noreturn]] static void failWithVerdict(const char* verdictTemplate, int moveNumber) {
  char message[512];
  std::snprintf(message, sizeof message, verdictTemplate, moveNumber);
  failWithMessage(message);
}

// Takes "/N<n>" (or "/n<n>") out of the second element when n > 0 and makes
// it the check number; anything else there stays as the problem file.
static void takeStartOption(ArgumentList& arguments) {
  checkNumber = 0;
  if (arguments.count < 2) return;
  const char* option = arguments.values[1];
  if (option[0] != '/' || (option[1] != 'N' && option[1] != 'n')) return;
  int32_t n = cp932::parseDecimal(option + 2);
  if (n <= 0) return;
  checkNumber = n;
  for (int i = 1; i < arguments.count; ++i) arguments.values[i] = arguments.values[i + 1];
  --arguments.count;
}

int runChecker(int count, char** values) {
  ArgumentList arguments{count, values};
  resetProblem();
  cp932::copyText(programName, sizeof programName, baseName(arguments.values[0]));
  console::write(stderr, std::string(programName) + " " + kVersion + " - " + kCopyright + "\n");
  findProgramDirectory(arguments);
  // The converter writes KZSHOW.KDB into the program directory; it learns
  // where from its environment.
  platform::setChildEnvironment("TSUKA_PROGRAM_DIR", programDirectory);

  takeStartOption(arguments);
  if (arguments.count < 2) {
    failWithMessage("入力形式: %s [/N<n>] <詰手順ファイル> [<ｋｚオプションリスト>]\n");
  }

  locateProblemFile(arguments);
  if (endsWithDatabaseExtension(inputShortPath)) {
    useDatabaseDirectly();
  } else {
    convertToDatabase();
  }
  readProblemFile();
  platform::deleteOldWorkFiles();
  initSolverArguments();

  if (checkNumber == 0) {
    writeWholeProblemFile();
    runSolver();
    if (readWholeProblemVerdict() != 0) failWithMessage("%s: 指定詰手順が成立していません。\n");
  } else {
    --checkNumber;
  }
  appendUserOptions(arguments);

  // Step checks from the last move back to the first.
  for (;;) {
    ++checkNumber;
    if (checkNumber > problem.moveCount) break;
    const int moveNumber = problem.moveCount - checkNumber + 1;
    writeStepFile(moveNumber);
    runSolver();
    const int verdict = readStepVerdict();
    if (verdict == -1) failWithVerdict("%%s: 指定詰手順 %d手目の図で余詰がありました。\n", moveNumber);
    if (verdict == 1) failWithVerdict("%%s: 指定詰手順 %d手目の図で中断されました。\n", moveNumber);
  }
  printWithProgramName("%s: 指定詰手順が成立しています。\n");
  return 0;
}
