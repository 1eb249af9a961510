// The converter's reader of CSA on any input the converter could hand
// it (UTF-8, or code page 932 converted), and the problem file written from
// what it accepts.
#include <cstdint>

#include "converter/csa_input.h"
#include "fuzz/converter_checks.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  checkReader(data, size, converter::readCsa);
  return 0;
}
