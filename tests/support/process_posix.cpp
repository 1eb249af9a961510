#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <stdexcept>

#include "support/process.h"

const char kPathSeparator[] = "/";
const char kPathListSeparator[] = ":";
const char kProgramSuffix[] = "";

std::string shortPathOf(const std::string& path) { return path; }

SystemFailure fileNotFound() { return {ENOENT, ENOENT}; }
SystemFailure directoryNotFound() { return {ENOENT, ENOENT}; }
SystemFailure programNotFound() { return {ENOENT, ENOENT}; }
SystemFailure nameTooLong() { return {ENAMETOOLONG, ENAMETOOLONG}; }
SystemFailure directoryOpened() { return {EISDIR, EISDIR}; }

// An executable file; the PATH's empty entry stands for the current directory.
std::string programIn(const std::string& directory, const std::string& name) {
  std::string candidate = joinPath(directory.empty() ? "." : directory, name);
  return access(candidate.c_str(), X_OK) == 0 ? candidate : "";
}

ProcessResult runProcess(const std::string& directory, const std::vector<std::string>& argv,
                         const std::vector<std::string>& environment) {
  std::string program = argv[0];
  if (program.find('/') == std::string::npos) {
    const char* inherited = std::getenv("PATH");
    std::string path = inherited != nullptr ? inherited : "";
    for (const std::string& entry : environment) {
      if (entry.rfind("PATH=", 0) == 0) path = entry.substr(5);
    }
    program = lookUpProgram(program, path);
  }
  TempDir capture;
  std::string outPath = capture / "stdout";
  std::string errPath = capture / "stderr";
  pid_t child = fork();
  if (child < 0) throw std::runtime_error("fork failed");
  if (child == 0) {
    // A session of its own: no controlling terminal to wait for a key on.
    setsid();
    int out = open(outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    int err = open(errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    int in = open("/dev/null", O_RDONLY);
    if (out < 0 || err < 0 || in < 0 || chdir(directory.c_str()) != 0) _exit(127);
    dup2(in, 0);
    dup2(out, 1);
    dup2(err, 2);
    for (const std::string& entry : environment) putenv(const_cast<char*>(entry.c_str()));
    std::vector<char*> args;
    for (const std::string& a : argv) args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);
    execv(program.c_str(), args.data());
    _exit(127);
  }
  int status = 0;
  waitpid(child, &status, 0);
  ProcessResult result;
  result.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  result.out = readFile(outPath);
  result.err = readFile(errPath);
  return result;
}
