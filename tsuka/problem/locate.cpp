#include "tsuka/problem/locate.h"

#include <cstdio>
#include <cstring>
#include <string>

#include "common/cp932.h"
#include "tsuka/driver/diagnostics.h"
#include "tsuka/platform/platform.h"

char inputFullPath[256];
char inputShortPath[256];
char databasePath[256];

static const char kConverterName[] = "KZSHOW.EXE";

// Opens a file for reading and closes it again; on failure reports `message`
// with the path and " (rt)".
static void requireReadable(const char* path, const char* message, const char* shownPath) {
  std::FILE* file = platform::openTextFile(path, "r");
  if (file == nullptr) {
    std::string object = std::string(shownPath) + " (rt)";
    failWithSystemError(message, object.c_str());
  }
  platform::closeTextFile(file);
}

void locateProblemFile(const ArgumentList& arguments) {
  const char* argument = arguments.values[1];
  size_t filePart = 0;
  if (!platform::fullPath(argument, inputFullPath, sizeof inputFullPath, &filePart)) {
    failWithSystemError("詰手順ファイルフルパス取得エラー", argument);
  }
  if (!platform::shortPath(inputFullPath, inputShortPath, sizeof inputShortPath)) {
    failWithSystemError("詰手順ファイル8.3形式パス取得エラー", inputShortPath);
  }
  requireReadable(inputShortPath, "詰手順ファイルオープンエラー", inputFullPath);
}

bool endsWithDatabaseExtension(const char* path) {
  size_t length = std::strlen(path);
  if (length < 4) return false;
  const char* extension = path + length - 4;
  return std::memcmp(extension, ".KDB", 4) == 0 || std::memcmp(extension, ".kdb", 4) == 0;
}

void useDatabaseDirectly() {
  cp932::copyText(databasePath, sizeof databasePath, inputShortPath);
  requireReadable(databasePath, "KDBファイルオープンエラー", databasePath);
}

void convertToDatabase() {
  const char* converter[] = {kConverterName, inputShortPath, nullptr};
  if (!platform::runProgram(converter)) {
    failWithSystemError("kzshow起動エラー", kConverterName);
  }
  std::string path = std::string(programDirectory) + platform::pathSeparator + "KZSHOW.KDB";
  if (path.size() + 1 > sizeof databasePath) {
    // The converter's output cannot be named in the buffer: refused as a
    // file that does not open, naming the whole path.
    platform::setNameTooLong();
    failWithSystemError("KDBファイルオープンエラー", (path + " (rt)").c_str());
  }
  std::memcpy(databasePath, path.c_str(), path.size() + 1);
  requireReadable(databasePath, "KDBファイルオープンエラー", databasePath);
}
