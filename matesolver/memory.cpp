#include "matesolver/memory.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>

#if defined(__linux__)
#include <sys/mman.h>
#endif
#if defined(_WIN32)
#include <windows.h>
#else
#include <unistd.h>
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

size_t largestTableMegabytes() {
  uint64_t megabytes = (SIZE_MAX / 2) >> 20;
#if defined(_WIN32)
  MEMORYSTATUSEX status;
  status.dwLength = sizeof status;
  if (GlobalMemoryStatusEx(&status)) {
    megabytes = std::min<uint64_t>(megabytes, std::min<uint64_t>(status.ullTotalPhys, status.ullTotalVirtual) >> 20);
  }
#else
  const long pages = sysconf(_SC_PHYS_PAGES), pageSize = sysconf(_SC_PAGESIZE);
  if (pages > 0 && pageSize > 0) {
    megabytes = std::min<uint64_t>(megabytes, (uint64_t(pages) * uint64_t(pageSize)) >> 20);
  }
#endif
  return size_t(std::max<uint64_t>(megabytes, 1));
}

}  // namespace matesolver
