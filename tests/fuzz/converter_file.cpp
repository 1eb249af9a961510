// The converter's whole work on an input file's bytes: the encoding (code
// page 932, UTF-8 with or without a byte-order mark, or as the first line
// says), the format, the reader of that format or a problem file in UTF-8
// passed on, and the problem file written. What it writes is code page 932
// in CR LF lines; what it refuses has a message.
#include <cstdint>
#include <string>

#include "converter/convert.h"
#include "converter/transcode.h"
#include "fuzz/fuzz_check.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  converter::Conversion conversion;
  if (!converter::convert(std::string(reinterpret_cast<const char*>(data), size), conversion)) {
    FUZZ_CHECK(!conversion.message.empty() && conversion.line >= 0 && conversion.problemFile.empty());
    return 0;
  }
  const std::string& file = conversion.problemFile;
  FUZZ_CHECK(!file.empty());
  std::string utf8;
  FUZZ_CHECK(transcode::cp932ToUtf8(file, utf8, nullptr));
  for (size_t i = 0; i < file.size(); ++i) {
    if (file[i] == '\n') FUZZ_CHECK(i > 0 && file[i - 1] == '\r');
  }
  return 0;
}
