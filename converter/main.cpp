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
#include <sstream>
#include <string>

#include "common/console.h"
#include "converter/csa_input.h"
#include "converter/kdb_writer.h"
#include "converter/kif_input.h"
#include "converter/sfen_input.h"
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

bool startsWith(const std::string& text, const std::string& prefix) { return text.compare(0, prefix.size(), prefix) == 0; }

// A problem file already (written in UTF-8, or in code page 932 under
// another extension): one of its header lines starts a line.
bool looksLikeProblemFile(const std::string& utf8) {
  std::istringstream in(utf8);
  std::string line;
  while (std::getline(in, line)) {
    for (const char* header : {"作意：", "攻方：", "受方：", "手数：", "ルール："}) {
      if (startsWith(line, header)) return true;
    }
  }
  return false;
}

std::string lfToCrLf(const std::string& text) {
  std::string out;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\n' && (i == 0 || text[i - 1] != '\r')) out += '\r';
    out += text[i];
  }
  return out;
}

int lineOf(const std::string& text, size_t offset) {
  int line = 1;
  for (size_t i = 0; i < offset && i < text.size(); ++i) line += text[i] == '\n';
  return line;
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
  std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  if (bytes.find_first_not_of(" \t\r\n") == std::string::npos) fail(input, "the file is empty");

  // UTF-8 (with or without a byte-order mark) or code page 932.
  std::string utf8;
  const bool bom = startsWith(bytes, "\xEF\xBB\xBF");
  // KIF ("#KIF version=2.0 encoding=…") and CSA ("'encoding=…") files may
  // say their encoding on their first line.
  const std::string firstLine = bytes.substr(bom ? 3 : 0, bytes.find('\n'));
  const bool saysCp932 = (startsWith(firstLine, "#KIF") || startsWith(firstLine, "'")) &&
                         (firstLine.find("encoding=Shift_JIS") != std::string::npos ||
                          firstLine.find("encoding=SHIFT_JIS") != std::string::npos);
  if (!saysCp932 && (bom || transcode::isUtf8(bytes))) {
    utf8 = bom ? bytes.substr(3) : bytes;
    if (!transcode::isUtf8(utf8)) fail(input, "the byte-order mark says UTF-8, but the text is not");
  } else {
    size_t at = 0;
    if (!transcode::cp932ToUtf8(bytes, utf8, &at)) {
      fail(input + ", line " + std::to_string(lineOf(bytes, at)), "the text is neither UTF-8 nor code page 932");
    }
  }

  std::string problemFile;
  if (!converter::looksLikeKif(utf8) && looksLikeProblemFile(utf8)) {
    size_t at = 0;
    if (!transcode::utf8ToCp932(utf8, problemFile, &at)) {
      fail(input + ", line " + std::to_string(lineOf(utf8, at)), "a character that code page 932 does not have");
    }
    problemFile = lfToCrLf(problemFile);
  } else {
    converter::Problem problem;
    converter::InputError error;
    bool variations = false, read;
    if (converter::looksLikeKif(utf8)) {
      read = converter::readKif(utf8, problem, &error, &variations);  // KI2 too
    } else if (converter::looksLikeSfen(utf8)) {
      read = converter::readSfen(utf8, problem, &error);
    } else if (converter::looksLikeCsa(utf8)) {
      read = converter::readCsa(utf8, problem, &error);
    } else {
      fail(input, "not a format this converter reads (KIF, KI2, CSA, SFEN, or a problem file in UTF-8)");
    }
    if (!read) fail(input + (error.line > 0 ? ", line " + std::to_string(error.line) : ""), error.message);
    if (variations) report(program + ": " + input + ": variations (変化) are not converted\n");
    problemFile = converter::writeProblemFile(problem);
  }

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
