// The entry point's work: the command line, the order of the checks and the
// verdict, and the process-wide values every part of the checker reads.
#pragma once

#include <cstdint>

// The process's argument count and vector, edited in place when the start
// option is taken out of it.
struct ArgumentList {
  int count;
  char** values;
};

constexpr const char* kVersion = "0.09";

extern char programName[64];        // base name of the program as typed
extern char programDirectory[256];  // short form, no trailing separator
extern int32_t checkNumber;         // 0: whole-problem check; k: k-th step check

// The last element of a path without its extension, found by characters of
// code page 932. The result lives in a buffer that the next call overwrites.
const char* baseName(const char* path);

// Sets the program directory from the program's name as typed.
void findProgramDirectory(const ArgumentList& arguments);

// One whole run; returns the exit status (0 only when every check passed).
int runChecker(int count, char** values);
