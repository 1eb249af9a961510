// The converter's work on one input file: its encoding, its format, the
// reader of that format and the problem file written from what it read.
#pragma once

#include <string>

namespace converter {

struct Conversion {
  std::string problemFile;         // code page 932, lines ending in CR LF
  bool variationsIgnored = false;  // a KIF with variations, which are not read
  // Why the input cannot be converted: the line (1-based; 0: the whole file)
  // and the message.
  int line = 0;
  std::string message;
};

// Converts the bytes of an input file (KIF, KI2, CSA, SFEN / USI, or a
// problem file in UTF-8; code page 932 or UTF-8). False with the line and
// message set when it cannot.
bool convert(const std::string& bytes, Conversion& out);

}  // namespace converter
