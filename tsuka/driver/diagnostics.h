// The ends of a failing run. None of these returns.
#pragma once

// Prints "...", waits for one key press on the console and ends the process
// with the given status; when failedRunEnd is set, calls it first.
[[noreturn]] void exitAfterKeypress(int status);

// Null in the checker. A program that runs the checker's reading and writing
// in-process (the fuzz targets) sets it to end a failed run by throwing,
// after the messages are printed; it must not return. The files the checker
// has open are closed as the stack unwinds.
extern void (*failedRunEnd)(int status);

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
