#include <windows.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <stdexcept>

#include "support/process.h"

const char kPathSeparator[] = "\\";
const char kPathListSeparator[] = ";";
const char kProgramSuffix[] = ".exe";

std::string shortPathOf(const std::string& path) {
  char buffer[MAX_PATH * 4];
  DWORD n = GetShortPathNameA(path.c_str(), buffer, sizeof buffer);
  return n > 0 && n < sizeof buffer ? std::string(buffer, n) : path;
}

// The C runtime's error number with the system's code of the failing call.
SystemFailure fileNotFound() { return {ENOENT, ERROR_FILE_NOT_FOUND}; }
SystemFailure directoryNotFound() { return {ENOENT, ERROR_PATH_NOT_FOUND}; }
SystemFailure programNotFound() { return {ENOENT, ERROR_FILE_NOT_FOUND}; }
SystemFailure nameTooLong() { return {ENAMETOOLONG, ERROR_FILENAME_EXCED_RANGE}; }
SystemFailure directoryOpened() { return {EACCES, ERROR_ACCESS_DENIED}; }

static bool isFile(const std::string& path) {
  DWORD attributes = GetFileAttributesA(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

// The program file a name stands for: as it is or with ".exe" added.
static std::string programFile(const std::string& path) {
  if (isFile(path)) return path;
  if (isFile(path + kProgramSuffix)) return path + kProgramSuffix;
  return "";
}

// The PATH's empty entries name no directory.
std::string programIn(const std::string& directory, const std::string& name) {
  return directory.empty() ? "" : programFile(joinPath(directory, name));
}

static std::string nameOf(const std::string& entry) { return entry.substr(0, entry.find('=')); }

static bool sameName(const std::string& a, const std::string& b) {
  return a.size() == b.size() && CompareStringA(LOCALE_INVARIANT, NORM_IGNORECASE, a.data(), static_cast<int>(a.size()),
                                                b.data(), static_cast<int>(b.size())) == CSTR_EQUAL;
}

// The inherited environment with `changes` applied, as a block of
// NUL-terminated entries ended by another NUL.
static std::string environmentBlock(const std::vector<std::string>& changes, std::string* path) {
  std::vector<std::string> entries;
  char* inherited = GetEnvironmentStringsA();
  for (const char* p = inherited; *p != '\0'; p += std::strlen(p) + 1) entries.emplace_back(p);
  FreeEnvironmentStringsA(inherited);
  for (const std::string& change : changes) {
    bool replaced = false;
    for (std::string& entry : entries) {
      if (sameName(nameOf(entry), nameOf(change))) {
        entry = change;
        replaced = true;
      }
    }
    if (!replaced) entries.push_back(change);
  }
  std::string block;
  for (const std::string& entry : entries) {
    if (sameName(nameOf(entry), "PATH")) *path = entry.substr(5);
    block += entry;
    block += '\0';
  }
  block += '\0';
  return block;
}

static HANDLE inheritable(const std::string& path, DWORD access, DWORD disposition) {
  SECURITY_ATTRIBUTES security{sizeof security, nullptr, TRUE};
  HANDLE h = CreateFileA(path.c_str(), access, FILE_SHARE_READ | FILE_SHARE_WRITE, &security, disposition,
                         FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) throw std::runtime_error("cannot open " + path);
  return h;
}

ProcessResult runProcess(const std::string& directory, const std::vector<std::string>& argv,
                         const std::vector<std::string>& environment) {
  std::string path;
  std::string block = environmentBlock(environment, &path);
  std::string program = argv[0];
  if (program.find_first_of("/\\") == std::string::npos) {
    program = lookUpProgram(program, path);
  } else {
    std::filesystem::path full = std::filesystem::path(program).is_absolute()
                                     ? std::filesystem::path(program)
                                     : std::filesystem::path(directory) / program;
    program = programFile(full.lexically_normal().string());
  }

  // Arguments joined with blanks; those with blanks or none at all quoted.
  std::string commandLine;
  for (const std::string& a : argv) {
    if (!commandLine.empty()) commandLine += ' ';
    commandLine += a.empty() || a.find(' ') != std::string::npos ? "\"" + a + "\"" : a;
  }

  TempDir capture;
  HANDLE in = inheritable("NUL", GENERIC_READ, OPEN_EXISTING);
  HANDLE out = inheritable(capture / "stdout", GENERIC_WRITE, CREATE_ALWAYS);
  HANDLE err = inheritable(capture / "stderr", GENERIC_WRITE, CREATE_ALWAYS);
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdInput = in;
  startup.hStdOutput = out;
  startup.hStdError = err;
  PROCESS_INFORMATION process{};
  // No console: the program under test finds none to wait for a key on.
  BOOL started = CreateProcessA(program.c_str(), commandLine.data(), nullptr, nullptr, TRUE, DETACHED_PROCESS,
                                block.data(), directory.c_str(), &startup, &process);
  CloseHandle(in);
  CloseHandle(out);
  CloseHandle(err);
  ProcessResult result;
  if (started) {
    WaitForSingleObject(process.hProcess, INFINITE);
    DWORD code = 0;
    if (GetExitCodeProcess(process.hProcess, &code)) result.status = static_cast<int>(code);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
  } else {
    result.status = 127;
  }
  result.out = withoutCarriageReturns(readFile(capture / "stdout"));
  result.err = withoutCarriageReturns(readFile(capture / "stderr"));
  return result;
}
