// tsumeconv: turns a problem kept in another format into a problem file.
// tsuka runs it as KZSHOW.EXE with the problem's path as its one argument,
// and reads the result, KZSHOW.KDB, from its own program directory, which
// it passes in the environment variable TSUKA_PROGRAM_DIR (the current
// directory when that is not set).
//
// Any failure: a message naming the line on standard error, exit status 2,
// and no KZSHOW.KDB at all (an old one is deleted first, so that a failed
// conversion never leaves a stale problem to be checked).
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>

#include "common/console.h"
#include "converter/convert.h"
#include "converter/transcode.h"

namespace {

std::string program = "tsumeconv";

// Messages are code page 932, as the checker's own are (a terminal of
// another character set gets them converted); they may quote the input,
// which is read as UTF-8.
void report(const std::string& utf8) {
  std::string text;
  if (!transcode::utf8ToCp932(utf8, text, nullptr)) text = utf8;
  console::write(stderr, text);
}

[[noreturn]] void fail(const std::string& where, const std::string& message) {
  report(program + ": " + (where.empty() ? "" : where + ": ") + message + "\n");
  std::exit(2);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc > 0) {
    program = argv[0];
    if (size_t slash = program.find_last_of("/\\"); slash != std::string::npos) program.erase(0, slash + 1);
  }
  if (argc != 2) fail("", "usage: tsumeconv <problem in KIF, KI2, CSA, SFEN, or as a problem file in UTF-8>");
  const std::string input = argv[1];
  const char* directory = std::getenv("TSUKA_PROGRAM_DIR");
  const std::string output = std::string(directory != nullptr && *directory != '\0' ? directory : ".") + "/KZSHOW.KDB";
  if (std::remove(output.c_str()) != 0) {
    std::ifstream stale(output);
    if (stale) fail(output, "cannot delete the previous conversion");
  }

  std::ifstream in(input, std::ios::binary);
  if (!in) fail(input, "cannot open");
  const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  converter::Conversion conversion;
  if (!converter::convert(bytes, conversion)) {
    fail(input + (conversion.line > 0 ? ", line " + std::to_string(conversion.line) : ""), conversion.message);
  }
  if (conversion.variationsIgnored) report(program + ": " + input + ": variations (変化) are not converted\n");
  const std::string& problemFile = conversion.problemFile;

  const std::string temporary = output + ".tmp";
  {
    std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
    out << problemFile;
    if (!out.flush()) {
      std::remove(temporary.c_str());
      fail(output, "cannot write");
    }
  }
  if (std::rename(temporary.c_str(), output.c_str()) != 0) {
    std::remove(temporary.c_str());
    fail(output, "cannot write");
  }
  return 0;
}
