#include "tsuka/driver/diagnostics.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "common/console.h"
#include "tsuka/driver/run.h"
#include "tsuka/platform/platform.h"

void (*failedRunEnd)(int status) = nullptr;

void exitAfterKeypress(int status) {
  if (failedRunEnd != nullptr) failedRunEnd(status);
  console::write(stderr, "...");
  std::fflush(stderr);
  platform::waitForKeyPress();
  std::exit(status);
}

void printWithProgramName(const char* format) {
  std::string text;
  for (const char* p = format; *p != '\0'; ++p) {
    if (p[0] == '%' && p[1] == 's') {
      text += programName;
      ++p;
    } else if (p[0] == '%' && p[1] == '%') {
      text += '%';
      ++p;
    } else {
      text += *p;
    }
  }
  console::write(stderr, text);
}

void failWithSystemError(const char* message, const char* object) {
  // Both codes belong to the failing call: take them before printing.
  const int errorNumber = errno;
  const std::string systemText = platform::errorText(platform::lastError());
  console::write(stderr, std::string(programName) + ": " + message + " - " + object + "\n");
  console::write(stderr, std::string(programName) + ": (" + std::to_string(errorNumber) + ") " + systemText + "\n");
  exitAfterKeypress(1);
}

void failWithMessage(const char* format) {
  printWithProgramName(format);
  exitAfterKeypress(1);
}
