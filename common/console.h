// Console text of the three programs. Their messages are code page 932, as
// the files they read and write are; a terminal whose character set is
// another one (a UTF-8 terminal on Linux) gets them converted to its own.
// Text written to a pipe or a file stays exactly as it is, so that scripts
// and tests see the same bytes everywhere. The environment variable
// TSUKA_CONSOLE_ENCODING overrides the choice both ways: CP932 (also
// SHIFT_JIS, SJIS, WINDOWS-31J) keeps the bytes as they are, any other
// character set name converts to it. On Windows nothing is converted.
#pragma once

#include <cstdio>
#include <string>

namespace console {

// The character set text for a stream is converted to; empty when it is
// written as it is. `isTerminal`: whether the stream is a terminal;
// `localeCharset`: the character set of the user's locale; `override`:
// TSUKA_CONSOLE_ENCODING, or null when it is not set.
std::string targetCharset(bool isTerminal, const std::string& localeCharset, const char* override);

// Whether a character set name stands for code page 932.
bool isCp932(const std::string& charset);

// Converts code page 932 text to `charset`; bytes the conversion cannot take
// are copied as they are.
std::string fromCp932(const std::string& text, const std::string& charset);

// Writes code page 932 text to standard error or standard output, converted
// as the stream's own target character set asks.
void write(std::FILE* stream, const std::string& text);

}  // namespace console
