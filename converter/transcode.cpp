#include "converter/transcode.h"

namespace transcode {

bool isUtf8(const std::string& text) {
  size_t i = 0;
  while (i < text.size()) {
    const unsigned char c = static_cast<unsigned char>(text[i]);
    size_t extra;
    unsigned minimum;
    if (c < 0x80) {
      ++i;
      continue;
    } else if (c >= 0xC2 && c <= 0xDF) {
      extra = 1, minimum = 0x80;
    } else if (c >= 0xE0 && c <= 0xEF) {
      extra = 2, minimum = 0x800;
    } else if (c >= 0xF0 && c <= 0xF4) {
      extra = 3, minimum = 0x10000;
    } else {
      return false;
    }
    if (i + extra >= text.size()) return false;
    unsigned value = c & (0x3F >> extra);
    for (size_t k = 1; k <= extra; ++k) {
      const unsigned char d = static_cast<unsigned char>(text[i + k]);
      if ((d & 0xC0) != 0x80) return false;
      value = (value << 6) | (d & 0x3F);
    }
    if (value < minimum || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF)) return false;
    i += extra + 1;
  }
  return true;
}

}  // namespace transcode
