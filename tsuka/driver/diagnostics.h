// The ends of a failing run. None of these returns.
#pragma once

// Prints "...", waits for one key press on the console and ends the process
// with the given status.
[[noreturn]] void exitAfterKeypress(int status);

// The two-line report of a failed system or library service:
//   "<program>: <message> - <object>"
//   "<program>: (<errno>) <system text of the last error>"
// then exitAfterKeypress(1). Call it right after the failing call.
[[noreturn]] void failWithSystemError(const char* message, const char* object);

// Prints `format` with the program name for its "%s" and ends through
// exitAfterKeypress(1).
[[noreturn]] void failWithMessage(const char* format);

// Prints `format` to standard error with the program name for its "%s"
// ("%%" gives "%"); nothing else of printf's is interpreted.
void printWithProgramName(const char* format);
