#include "tsuka/driver/diagnostics.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "tsuka/driver/run.h"
#include "tsuka/platform/platform.h"

void exitAfterKeypress(int status) {
  std::fputs("...", stderr);
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
  std::fputs(text.c_str(), stderr);
}

void failWithSystemError(const char* message, const char* object) {
  // Both codes belong to the failing call: take them before printing.
  const int errorNumber = errno;
  const std::string systemText = platform::errorText(platform::lastError());
  std::fprintf(stderr, "%s: %s - %s\n", programName, message, object);
  std::fprintf(stderr, "%s: (%d) %s\n", programName, errorNumber, systemText.c_str());
  exitAfterKeypress(1);
}

void failWithMessage(const char* format) {
  printWithProgramName(format);
  exitAfterKeypress(1);
}
