// The console on Windows speaks code page 932 itself: text is written as it
// is.
#include "common/console.h"

namespace console {

std::string fromCp932(const std::string& text, const std::string&) { return text; }

void write(std::FILE* stream, const std::string& text) { std::fputs(text.c_str(), stream); }

}  // namespace console
