#include "common/console.h"

#include <cctype>

namespace console {

bool isCp932(const std::string& charset) {
  std::string name;
  for (char c : charset) {
    if (c != '-' && c != '_') name += char(std::toupper(static_cast<unsigned char>(c)));
  }
  return name == "CP932" || name == "SHIFTJIS" || name == "SJIS" || name == "WINDOWS31J" || name == "MS932";
}

std::string targetCharset(bool isTerminal, const std::string& localeCharset, const char* override) {
  if (override != nullptr && *override != '\0') return isCp932(override) ? std::string() : std::string(override);
  if (!isTerminal || localeCharset.empty() || isCp932(localeCharset)) return std::string();
  return localeCharset;
}

}  // namespace console
