// The platform layer on POSIX systems.
#include "tsuka/platform/platform.h"

#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstring>
#include <string>
#include <vector>

extern char** environ;

namespace platform {

const char pathSeparator[] = "/";

static int theLastError = 0;

int lastError() { return theLastError; }

void setNameTooLong() { errno = theLastError = ENAMETOOLONG; }

void setOutOfMemory() { errno = theLastError = ENOMEM; }

std::string errorText(int code) { return std::strerror(code); }

// A path service failed: record the code without touching errno, as a
// system path service leaves the C library's error number alone.
static bool pathFailure(int code) {
  theLastError = code;
  return false;
}

// Puts an absolute path into lexical normal form: no "." or ".." elements,
// no repeated "/". A trailing "/" of the input stays. Symbolic links are not
// resolved and nothing needs to exist.
static std::string normalise(const std::string& path) {
  std::vector<std::string> parts;
  size_t at = 0;
  while (at <= path.size()) {
    size_t end = path.find('/', at);
    if (end == std::string::npos) end = path.size();
    std::string part = path.substr(at, end - at);
    if (part == "..") {
      if (!parts.empty()) parts.pop_back();
    } else if (!part.empty() && part != ".") {
      parts.push_back(part);
    }
    at = end + 1;
  }
  std::string result;
  for (const std::string& part : parts) result += "/" + part;
  if (result.empty()) return "/";
  if (path.back() == '/') result += "/";
  return result;
}

bool fullPath(const char* name, char* out, size_t capacity, size_t* filePart) {
  const int savedErrno = errno;
  if (name[0] == '\0') return pathFailure(ENOENT);
  std::string joined;
  if (name[0] == '/') {
    joined = name;
  } else {
    std::vector<char> cwd(PATH_MAX + 1);
    while (getcwd(cwd.data(), cwd.size()) == nullptr) {
      int code = errno;
      errno = savedErrno;
      if (code != ERANGE) return pathFailure(code);
      cwd.resize(cwd.size() * 2);
    }
    joined = std::string(cwd.data()) + "/" + name;
  }
  std::string result = normalise(joined);
  if (result.size() + 1 > capacity) return pathFailure(ENAMETOOLONG);
  std::memcpy(out, result.c_str(), result.size() + 1);
  *filePart = result.rfind('/') + 1;
  return true;
}

bool shortPath(const char* path, char* out, size_t capacity) {
  const int savedErrno = errno;
  // An empty directory part of an absolute path is the root directory, whose
  // files are then named "/<name>".
  struct stat info;
  int rc = stat(path[0] == '\0' ? "/" : path, &info);
  int code = errno;
  errno = savedErrno;
  if (rc != 0) return pathFailure(code);
  size_t length = std::strlen(path);
  if (length + 1 > capacity) return pathFailure(ENAMETOOLONG);
  std::memcpy(out, path, length + 1);
  return true;
}

std::FILE* openTextFile(const char* path, const char* mode) {
  const bool forWriting = mode[0] == 'w';
  std::FILE* file = std::fopen(path, forWriting ? "wb" : "rb");
  if (file == nullptr) {
    theLastError = errno;
    return nullptr;
  }
  // A directory opens for reading here but not on Windows; refuse it, so
  // that it fails where it is opened and not at the first read.
  struct stat info;
  if (fstat(fileno(file), &info) == 0 && S_ISDIR(info.st_mode)) {
    std::fclose(file);
    errno = EISDIR;
    theLastError = EISDIR;
    return nullptr;
  }
  return file;
}

bool readTextLine(std::FILE* file, char* buffer, int size) {
  int n = 0;
  while (n < size - 1) {
    int c = std::getc(file);
    if (c == EOF) break;
    if (c == '\r') {
      int next = std::getc(file);
      if (next == '\n') {
        c = '\n';
      } else if (next != EOF) {
        std::ungetc(next, file);
      }
    }
    buffer[n++] = static_cast<char>(c);
    if (c == '\n') break;
  }
  buffer[n] = '\0';
  return n > 0;
}

void writeText(std::FILE* file, const char* text) {
  for (const char* p = text; *p != '\0'; ++p) {
    if (*p == '\n') std::fputc('\r', file);
    std::fputc(*p, file);
  }
}

void closeTextFile(std::FILE* file) { std::fclose(file); }

static bool isExecutableFile(const std::string& path) {
  struct stat info;
  return stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode) &&
         access(path.c_str(), X_OK) == 0;
}

// Where a program name leads: the name itself when it holds a "/", else
// "./name" when that is an executable file, else the first PATH directory
// that holds one. Empty when there is none.
static std::string findProgram(const char* name) {
  if (std::strchr(name, '/') != nullptr) return name;
  std::string local = std::string("./") + name;
  if (isExecutableFile(local)) return local;
  const char* path = std::getenv("PATH");
  std::string directories = path != nullptr ? path : "/bin:/usr/bin";
  size_t at = 0;
  while (at <= directories.size()) {
    size_t end = directories.find(':', at);
    if (end == std::string::npos) end = directories.size();
    std::string directory = directories.substr(at, end - at);
    std::string candidate = (directory.empty() ? std::string(".") : directory) + "/" + name;
    if (isExecutableFile(candidate)) return candidate;
    at = end + 1;
  }
  return {};
}

// Starts file; the child gets the default handling of the signals in
// `defaults` (the ones the parent ignores only while it waits).
static int spawn(pid_t* pid, const char* file, const std::vector<char*>& argv, const sigset_t& defaults) {
  posix_spawnattr_t attributes;
  posix_spawnattr_init(&attributes);
  posix_spawnattr_setsigdefault(&attributes, &defaults);
  posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGDEF);
  int rc = posix_spawn(pid, file, nullptr, &attributes, argv.data(), environ);
  posix_spawnattr_destroy(&attributes);
  return rc;
}

bool runProgram(const char* const* arguments) {
  std::string file = findProgram(arguments[0]);
  if (file.empty()) {
    errno = ENOENT;
    theLastError = ENOENT;
    return false;
  }
  std::vector<char*> argv;
  for (const char* const* a = arguments; *a != nullptr; ++a) argv.push_back(const_cast<char*>(*a));
  argv.push_back(nullptr);

  // While the child runs, an interrupt from the keyboard is the child's to
  // handle (a solver reports it as an interruption); the checker waits on.
  struct sigaction ignore {}, oldInt{}, oldQuit{};
  ignore.sa_handler = SIG_IGN;
  sigemptyset(&ignore.sa_mask);
  sigaction(SIGINT, &ignore, &oldInt);
  sigaction(SIGQUIT, &ignore, &oldQuit);
  sigset_t defaults;
  sigemptyset(&defaults);
  if (oldInt.sa_handler != SIG_IGN) sigaddset(&defaults, SIGINT);
  if (oldQuit.sa_handler != SIG_IGN) sigaddset(&defaults, SIGQUIT);

  pid_t pid = 0;
  int rc = spawn(&pid, file.c_str(), argv, defaults);
  if (rc == ENOEXEC) {
    // A script without a "#!" line runs through the shell, as execvp does.
    std::vector<char*> shellArgv;
    shellArgv.push_back(const_cast<char*>("/bin/sh"));
    shellArgv.push_back(const_cast<char*>(file.c_str()));
    shellArgv.insert(shellArgv.end(), argv.begin() + 1, argv.end());
    rc = spawn(&pid, "/bin/sh", shellArgv, defaults);
  }
  if (rc == 0) {
    int status = 0;
    while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
  }
  sigaction(SIGINT, &oldInt, nullptr);
  sigaction(SIGQUIT, &oldQuit, nullptr);
  if (rc != 0) {
    errno = rc;
    theLastError = rc;
    return false;
  }
  return true;
}

// Case-insensitive test of a name against tsuka*<suffix>.
static bool matchesWorkFile(const char* name, const char* suffix) {
  size_t length = std::strlen(name);
  size_t suffixLength = std::strlen(suffix);
  if (length < 5 + suffixLength) return false;
  return strncasecmp(name, "tsuka", 5) == 0 &&
         strcasecmp(name + length - suffixLength, suffix) == 0;
}

void setChildEnvironment(const char* name, const char* value) { setenv(name, value, 1); }

void deleteOldWorkFiles() {
  const int savedErrno = errno;
  DIR* directory = opendir(".");
  if (directory != nullptr) {
    std::vector<std::string> doomed;
    while (dirent* entry = readdir(directory)) {
      if (matchesWorkFile(entry->d_name, ".kzi") || matchesWorkFile(entry->d_name, ".kzo")) {
        doomed.push_back(entry->d_name);
      }
    }
    closedir(directory);
    for (const std::string& name : doomed) unlink(name.c_str());
  }
  errno = savedErrno;
}

void removeFile(const char* path) {
  const int savedErrno = errno;
  unlink(path);
  errno = savedErrno;
}

void waitForKeyPress() {
  int fd = open("/dev/tty", O_RDWR | O_NOCTTY);
  if (fd < 0) return;
  termios saved;
  if (tcgetattr(fd, &saved) != 0) {
    close(fd);
    return;
  }
  termios raw = saved;
  raw.c_lflag &= ~(ICANON | ECHO | ISIG | IEXTEN);
  raw.c_iflag &= ~(IXON | ICRNL);
  raw.c_cc[VMIN] = 1;
  raw.c_cc[VTIME] = 0;
  tcsetattr(fd, TCSANOW, &raw);
  unsigned char key = 0;
  while (read(fd, &key, 1) < 0 && errno == EINTR) {
  }
  // A key that sends several bytes (an escape sequence, a multi-byte
  // character) is one key press: take the rest of it too, so that nothing
  // is left for the shell to read after we end.
  raw.c_cc[VMIN] = 0;
  raw.c_cc[VTIME] = 1;
  tcsetattr(fd, TCSANOW, &raw);
  unsigned char rest[64];
  while (read(fd, rest, sizeof rest) > 0) {
  }
  tcsetattr(fd, TCSANOW, &saved);
  close(fd);
}

}  // namespace platform
