// The converter's reader of KIF and KI2 (one reader for both) on any input
// the converter could hand it (UTF-8, or code page 932 converted), and the
// problem file written from what it accepts.
#include <cstdint>
#include <string>

#include "converter/kif_input.h"
#include "fuzz/converter_checks.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  checkReader(data, size, [](const std::string& utf8, converter::Problem& problem, converter::InputError* error) {
    bool variations = false;
    return converter::readKif(utf8, problem, error, &variations);
  });
  return 0;
}
