#include "converter/convert.h"

#include <sstream>

#include "converter/csa_input.h"
#include "converter/kdb_writer.h"
#include "converter/kif_input.h"
#include "converter/sfen_input.h"
#include "converter/transcode.h"

namespace converter {

namespace {

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

bool refuse(Conversion& out, int line, const std::string& message) {
  out.line = line;
  out.message = message;
  return false;
}

}  // namespace

bool convert(const std::string& bytes, Conversion& out) {
  out = Conversion{};
  if (bytes.find_first_not_of(" \t\r\n") == std::string::npos) return refuse(out, 0, "the file is empty");

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
    if (!transcode::isUtf8(utf8)) return refuse(out, 0, "the byte-order mark says UTF-8, but the text is not");
  } else {
    size_t at = 0;
    if (!transcode::cp932ToUtf8(bytes, utf8, &at)) {
      return refuse(out, lineOf(bytes, at), "the text is neither UTF-8 nor code page 932");
    }
  }

  if (!looksLikeKif(utf8) && looksLikeProblemFile(utf8)) {
    size_t at = 0;
    std::string problemFile;
    if (!transcode::utf8ToCp932(utf8, problemFile, &at)) {
      return refuse(out, lineOf(utf8, at), "a character that code page 932 does not have");
    }
    out.problemFile = lfToCrLf(problemFile);
    return true;
  }
  Problem problem;
  InputError error;
  bool read;
  if (looksLikeKif(utf8)) {
    read = readKif(utf8, problem, &error, &out.variationsIgnored);  // KI2 too
  } else if (looksLikeSfen(utf8)) {
    read = readSfen(utf8, problem, &error);
  } else if (looksLikeCsa(utf8)) {
    read = readCsa(utf8, problem, &error);
  } else {
    return refuse(out, 0, "not a format this converter reads (KIF, KI2, CSA, SFEN, or a problem file in UTF-8)");
  }
  if (!read) return refuse(out, error.line, error.message);
  out.problemFile = writeProblemFile(problem);
  return true;
}

}  // namespace converter
