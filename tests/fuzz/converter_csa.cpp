// The converter's reader of CSA on any input the converter could hand
// it (UTF-8, or code page 932 converted), and the problem file written from
// what it accepts.
#include <cstdint>
#include <string>

#include "converter/csa_input.h"
#include "fuzz/converter_checks.h"
#include "fuzz/fuzz_check.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string utf8;
  if (!asConverterReads(std::string(reinterpret_cast<const char*>(data), size), utf8)) return 0;
  converter::Problem problem;
  converter::InputError error;
  if (!converter::readCsa(utf8, problem, &error)) {
    FUZZ_CHECK(!error.message.empty() && error.line >= 0);
    return 0;
  }
  checkAcceptedProblem(problem);
  return 0;
}
