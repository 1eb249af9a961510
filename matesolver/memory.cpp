#include "matesolver/memory.h"

#include <cstdint>
#include <cstdlib>

#if defined(__linux__)
#include <sys/mman.h>
#endif

namespace matesolver {

void* allocateTable(size_t bytes) {
  void* p = std::calloc(bytes, 1);
#if defined(MADV_HUGEPAGE)
  // Large pages for the whole 2 MiB blocks inside the area; a hint only.
  constexpr uintptr_t kHuge = uintptr_t(2) << 20;
  if (p != nullptr && bytes >= 2 * kHuge) {
    const uintptr_t begin = (reinterpret_cast<uintptr_t>(p) + kHuge - 1) & ~(kHuge - 1);
    const uintptr_t end = (reinterpret_cast<uintptr_t>(p) + bytes) & ~(kHuge - 1);
    if (end > begin) madvise(reinterpret_cast<void*>(begin), end - begin, MADV_HUGEPAGE);
  }
#endif
  return p;
}

}  // namespace matesolver
