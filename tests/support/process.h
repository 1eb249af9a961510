// Helpers for tests that work with files and run programs.
#pragma once

#include <string>
#include <vector>

// A fresh directory under the system's temporary directory, removed with
// everything in it when the object goes.
class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;
  const std::string& path() const { return path_; }
  std::string operator/(const std::string& name) const { return path_ + "/" + name; }

 private:
  std::string path_;
};

void writeFile(const std::string& path, const std::string& bytes);
std::string readFile(const std::string& path);
bool fileExists(const std::string& path);
// Copies a file and makes the copy executable.
void installProgram(const std::string& from, const std::string& to);

struct ProcessResult {
  int status = -1;     // exit status, or -1 when it did not exit normally
  std::string out;     // everything written to standard output
  std::string err;     // everything written to standard error
};

// Runs argv[0] (a path) with the arguments in `directory`, in a session of
// its own without a controlling terminal, with `environment` entries
// ("NAME=value") added to the inherited ones, and waits for it.
ProcessResult runProcess(const std::string& directory, const std::vector<std::string>& argv,
                         const std::vector<std::string>& environment = {});
