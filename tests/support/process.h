// Helpers for tests that work with files and run programs. The same tests
// run on every system: paths, program names and error reports the checker
// prints are formed here, by the system's own rules.
#pragma once

#include <string>
#include <vector>

// The separator of the system's paths, and of the directories in PATH.
extern const char kPathSeparator[];
extern const char kPathListSeparator[];
// What a program file's name ends with on this system ("" or ".exe").
extern const char kProgramSuffix[];

// `directory` and `name` joined with the system's separator.
std::string joinPath(const std::string& directory, const std::string& name);

// A fresh directory under the system's temporary directory, named by its
// full (long) path, removed with everything in it when the object goes.
class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;
  const std::string& path() const { return path_; }
  std::string operator/(const std::string& name) const { return joinPath(path_, name); }

 private:
  std::string path_;
};

// A directory under the system's temporary directory that no test makes:
// the same in every process, also in the processes a death test starts.
std::string missingDirectory();

void writeFile(const std::string& path, const std::string& bytes);
std::string readFile(const std::string& path);
bool fileExists(const std::string& path);
void makeDirectory(const std::string& path);
// Copies a file and makes the copy executable.
void installProgram(const std::string& from, const std::string& to);

// The short (8.3) form the system gives an existing path; the path itself
// where the system has no short names.
std::string shortPathOf(const std::string& path);

// A failure as the checker reports it: the C library's error number and the
// system's own error code, whose text the second line of the report shows.
struct SystemFailure {
  int errorNumber;
  int code;
};
SystemFailure fileNotFound();     // a file opened for reading that is not there
SystemFailure directoryNotFound();  // a file opened in a directory that is not there
SystemFailure programNotFound();  // a program started by name that is not there
SystemFailure nameTooLong();      // a path refused for its length
SystemFailure directoryOpened();  // a directory opened as a file

// The program file a bare name stands for: the first one along `path`
// (directories joined by kPathListSeparator) that programIn accepts; the
// name itself when there is none.
std::string lookUpProgram(const std::string& name, const std::string& path);
// The program file `name` in `directory` ("" for the PATH's empty entry), or
// "" when there is none there. One per system.
std::string programIn(const std::string& directory, const std::string& name);

struct ProcessResult {
  int status = -1;     // exit status, or -1 when it did not exit normally
  std::string out;     // everything written to standard output
  std::string err;     // everything written to standard error
};

// Runs argv[0] with the arguments in `directory`, without a console or
// controlling terminal to read keys from, with `environment` entries
// ("NAME=value") added to the inherited ones, and waits for it. argv[0] is a
// path (relative ones start in `directory`) or a bare name looked up along
// the PATH that `environment` gives, or else the inherited one; the program
// gets argv[0] as written.
ProcessResult runProcess(const std::string& directory, const std::vector<std::string>& argv,
                         const std::vector<std::string>& environment = {});

// Text written by a program in text mode, with the CR before each LF that
// some systems add taken out.
std::string withoutCarriageReturns(const std::string& text);
