// The checker's reading of the solver's output file: the verdict of the
// whole-problem check and of a step check, at tolerance level 0 and 2. A
// verdict must rest on what the file says: a confirmed solution on a time
// line that says 手順成立, an interruption on 中断, no alternative on 不詰
// (or, at level 2, on 全検完了).
#include <cstdint>
#include <cstring>
#include <string>

#include "fuzz/checker_run.h"
#include "tsuka/solver/input_files.h"
#include "tsuka/solver/solver_run.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  startCheckerRun();
  checkNumber = 1;
  nameOutputFile();
  writeWorkFile(std::strrchr(outputFilePath, '/') + 1, data, size);
  const std::string text(reinterpret_cast<const char*>(data), size);
  auto says = [&](const char* word) { return text.find(word) != std::string::npos; };

  try {
    if (readWholeProblemVerdict() == 0) FUZZ_CHECK(says("解析時間：") && says("手順成立"));
    for (int32_t level : {0, 2}) {
      lValue = level;
      const int verdict = readStepVerdict();
      FUZZ_CHECK(verdict >= -1 && verdict <= 1);
      if (verdict == 1) FUZZ_CHECK(says("中断"));
      if (verdict == 0) FUZZ_CHECK(says("不詰") || (level >= 2 && says("全検完了")));
    }
  } catch (const FailedRun&) {
    FUZZ_CHECK(!"the output file written just now did not open");
  }
  return 0;
}
