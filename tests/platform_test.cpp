#include "tsuka/platform/platform.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <string>
#include <vector>

#include "support/process.h"

namespace {

// Runs the body with the current directory set to dir.
class InDirectory {
 public:
  explicit InDirectory(const std::string& dir) {
    char buffer[PATH_MAX];
    saved_ = getcwd(buffer, sizeof buffer) ? buffer : "/";
    EXPECT_EQ(chdir(dir.c_str()), 0);
  }
  ~InDirectory() { EXPECT_EQ(chdir(saved_.c_str()), 0); }

 private:
  std::string saved_;
};

TEST(PlatformPaths, FullPathNormalisesLexically) {
  TempDir dir;
  InDirectory here(dir.path());
  const struct {
    std::string name;
    std::string full;
  } cases[] = {
      {"tsuka", dir / "tsuka"},
      {"./tsuka", dir / "tsuka"},
      {"a//b/./c", dir / "a/b/c"},
      {"a/../b", dir / "b"},
      {"/x/y/../../../z", "/z"},
      {"/", "/"},
      {"/a/b/", "/a/b/"},
      {"//a", "/a"},
  };
  for (const auto& c : cases) {
    char out[512];
    size_t filePart = 99;
    errno = 0;
    ASSERT_TRUE(platform::fullPath(c.name.c_str(), out, sizeof out, &filePart)) << c.name;
    EXPECT_EQ(std::string(out), c.full) << c.name;
    EXPECT_EQ(filePart, c.full.rfind('/') + 1) << c.name;
    EXPECT_EQ(errno, 0);
  }
}

TEST(PlatformPaths, FailuresSetTheLastErrorAndLeaveErrno) {
  TempDir dir;
  char out[64];
  size_t filePart = 0;
  errno = 0;
  EXPECT_FALSE(platform::fullPath(std::string(80, 'a').c_str(), out, sizeof out, &filePart));
  EXPECT_EQ(platform::lastError(), ENAMETOOLONG);
  EXPECT_FALSE(platform::shortPath((dir / "missing").c_str(), out, sizeof out));
  EXPECT_EQ(platform::lastError(), ENOENT);
  EXPECT_EQ(errno, 0);

  writeFile(dir / "there", "");
  EXPECT_TRUE(platform::shortPath((dir / "there").c_str(), out, sizeof out));
  EXPECT_EQ(std::string(out), dir / "there");
  char tiny[8];
  EXPECT_FALSE(platform::shortPath((dir / "there").c_str(), tiny, sizeof tiny));
  EXPECT_EQ(platform::lastError(), ENAMETOOLONG);
  EXPECT_TRUE(platform::shortPath("", out, sizeof out));  // the root's directory part
  EXPECT_EQ(std::string(out), "");
}

TEST(PlatformTextFiles, ReadingDropsCarriageReturnsBeforeLineFeeds) {
  TempDir dir;
  const struct {
    std::string bytes;
    std::vector<std::string> lines;
    int size;
  } cases[] = {
      {"a\r\nb\r\n", {"a\n", "b\n"}, 512},
      {"a\rb\r", {"a\rb\r"}, 512},
      {"a\r\r\nb", {"a\r\n", "b"}, 512},
      {"abcdef\r\n", {"abc", "def", "\n"}, 4},
      {"abc\r\n", {"abc", "\n"}, 4},
      {"ab\r\n", {"ab\n"}, 4},
      {std::string(600, 'x') + "\n", {std::string(511, 'x'), std::string(89, 'x') + "\n"}, 512},
      {"", {}, 512},
  };
  for (const auto& c : cases) {
    writeFile(dir / "f", c.bytes);
    std::FILE* file = platform::openTextFile((dir / "f").c_str(), "r");
    ASSERT_NE(file, nullptr);
    std::vector<std::string> lines;
    std::vector<char> buffer(c.size);
    while (platform::readTextLine(file, buffer.data(), c.size)) lines.push_back(buffer.data());
    platform::closeTextFile(file);
    EXPECT_EQ(lines, c.lines) << c.bytes;
  }
}

TEST(PlatformTextFiles, WritingEndsLinesInCrLf) {
  TempDir dir;
  std::FILE* file = platform::openTextFile((dir / "f").c_str(), "w");
  ASSERT_NE(file, nullptr);
  platform::writeText(file, "a\nb\n\n");
  platform::closeTextFile(file);
  EXPECT_EQ(readFile(dir / "f"), "a\r\nb\r\n\r\n");
}

TEST(PlatformTextFiles, OpenFailuresSetBothCodes) {
  TempDir dir;
  errno = 0;
  EXPECT_EQ(platform::openTextFile((dir / "none").c_str(), "r"), nullptr);
  EXPECT_EQ(errno, ENOENT);
  EXPECT_EQ(platform::lastError(), ENOENT);
  EXPECT_EQ(platform::openTextFile(dir.path().c_str(), "r"), nullptr);  // a directory
  EXPECT_EQ(errno, EISDIR);
  EXPECT_EQ(platform::lastError(), EISDIR);
}

class PlatformPrograms : public testing::Test {
 protected:
  TempDir dir;
  // A script that records its arguments in <dir>/ran.
  void script(const std::string& path, bool shebang) {
    writeFile(path, std::string(shebang ? "#!/bin/sh\n" : "") + "echo \"$0 $*\" > '" + (dir / "ran") + "'\n");
    chmod(path.c_str(), 0755);
  }
  std::string ran() { return readFile(dir / "ran"); }
};

TEST_F(PlatformPrograms, FindsTheCurrentDirectoryFirstThenThePath) {
  mkdir((dir / "bin").c_str(), 0755);
  mkdir((dir / "work").c_str(), 0755);
  script(dir / "bin/PROG.EXE", true);
  std::string oldPath = getenv("PATH") ? getenv("PATH") : "";
  setenv("PATH", (dir / "bin").c_str(), 1);
  {
    InDirectory here(dir / "work");
    const char* args[] = {"PROG.EXE", "x", nullptr};
    EXPECT_TRUE(platform::runProgram(args));
    EXPECT_EQ(ran(), dir / "bin/PROG.EXE x\n");
    script(dir / "work/PROG.EXE", true);
    EXPECT_TRUE(platform::runProgram(args));
    EXPECT_EQ(ran(), "./PROG.EXE x\n");
  }
  setenv("PATH", oldPath.c_str(), 1);
}

TEST_F(PlatformPrograms, ScriptWithoutInterpreterLineRunsThroughTheShell) {
  InDirectory here(dir.path());
  script(dir / "PLAIN.EXE", false);
  const char* args[] = {"PLAIN.EXE", "a", "b", nullptr};
  EXPECT_TRUE(platform::runProgram(args));
  EXPECT_EQ(ran(), "./PLAIN.EXE a b\n");
}

TEST_F(PlatformPrograms, MissingProgramSetsBothCodes) {
  InDirectory here(dir.path());
  writeFile(dir / "NOTEXEC.EXE", "#!/bin/sh\n");
  chmod((dir / "NOTEXEC.EXE").c_str(), 0644);
  for (const char* name : {"NO-SUCH-PROGRAM.EXE", "NOTEXEC.EXE"}) {
    errno = 0;
    const char* args[] = {name, nullptr};
    EXPECT_FALSE(platform::runProgram(args)) << name;
    EXPECT_EQ(errno, ENOENT) << name;
    EXPECT_EQ(platform::lastError(), ENOENT) << name;
  }
}

TEST(PlatformWorkFiles, DeletesMatchingNamesInAnyCase) {
  TempDir dir;
  const std::vector<std::string> doomed = {"tsuka000.kzi", "TSUKA001.KZO", "Tsuka.Kzi", "tsukaX.y.kzo"};
  const std::vector<std::string> kept = {"tsuka000.kzx", "xtsuka.kzi", "tsuka.kdb", "tsuk.kzi", "KZSHOW.KDB"};
  for (const auto& name : doomed) writeFile(dir / name, "");
  for (const auto& name : kept) writeFile(dir / name, "");
  mkdir((dir / "tsukadir.kzi").c_str(), 0755);
  {
    InDirectory here(dir.path());
    platform::deleteOldWorkFiles();
  }
  for (const auto& name : doomed) EXPECT_FALSE(fileExists(dir / name)) << name;
  for (const auto& name : kept) EXPECT_TRUE(fileExists(dir / name)) << name;
  EXPECT_TRUE(fileExists(dir / "tsukadir.kzi"));
}

}  // namespace
