// The checker's view of Windows: the services the checker was written for,
// used as they are.
#include <conio.h>
#include <process.h>
#include <windows.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <stdlib.h>

#include "tsuka/platform/platform.h"

namespace platform {

const char pathSeparator[] = "\\";

int lastError() { return static_cast<int>(GetLastError()); }

void setNameTooLong() {
  errno = ENAMETOOLONG;
  SetLastError(ERROR_FILENAME_EXCED_RANGE);
}

void setOutOfMemory() {
  errno = ENOMEM;
  SetLastError(ERROR_NOT_ENOUGH_MEMORY);
}

std::string errorText(int code) {
  char* text = nullptr;
  const DWORD length =
      FormatMessageA(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM, nullptr, static_cast<DWORD>(code),
                     1024, reinterpret_cast<char*>(&text), 0, nullptr);
  std::string result = length > 0 && text != nullptr ? std::string(text, length) : std::string();
  if (text != nullptr) LocalFree(text);
  return result;
}

bool fullPath(const char* name, char* out, size_t capacity, size_t* filePart) {
  char* part = nullptr;
  const DWORD n = GetFullPathNameA(name, static_cast<DWORD>(capacity), out, &part);
  if (n == 0) return false;
  if (n >= capacity) {
    SetLastError(ERROR_FILENAME_EXCED_RANGE);
    return false;
  }
  *filePart = part != nullptr ? static_cast<size_t>(part - out) : n;
  return true;
}

bool shortPath(const char* path, char* out, size_t capacity) {
  const DWORD n = GetShortPathNameA(path, out, static_cast<DWORD>(capacity));
  if (n == 0) return false;
  if (n >= capacity) {
    SetLastError(ERROR_FILENAME_EXCED_RANGE);
    return false;
  }
  return true;
}

std::FILE* openTextFile(const char* path, const char* mode) {
  const char* textMode = mode[0] == 'w' ? "wt" : "rt";
  std::FILE* file = std::fopen(path, textMode);
  return file;
}

bool readTextLine(std::FILE* file, char* buffer, int size) { return std::fgets(buffer, size, file) != nullptr; }

void writeText(std::FILE* file, const char* text) { std::fputs(text, file); }

void closeTextFile(std::FILE* file) { std::fclose(file); }

bool runProgram(const char* const* arguments) {
  // The program is looked up in the current directory, then along the PATH,
  // by the C runtime's own search; _spawnvp's search is not used, as some
  // runtimes stop it at the first directory of the PATH.
  char program[_MAX_PATH];
  _searchenv(arguments[0], "PATH", program);
  if (program[0] == '\0') {
    errno = ENOENT;
    SetLastError(ERROR_FILE_NOT_FOUND);
    return false;
  }
  // The C runtime joins the arguments with single blanks, without quoting.
  const intptr_t rc = _spawnv(_P_WAIT, program, arguments);
  return rc != -1;
}

void setChildEnvironment(const char* name, const char* value) { _putenv_s(name, value); }

void deleteOldWorkFiles() { std::system("DEL /Q tsuka*.kzi tsuka*.kzo 2>NUL"); }

void removeFile(const char* path) { std::remove(path); }

void waitForKeyPress() {
  // Only a console waits: redirected input never does.
  DWORD mode = 0;
  if (GetConsoleMode(GetStdHandle(STD_INPUT_HANDLE), &mode)) _getch();
}

}  // namespace platform
