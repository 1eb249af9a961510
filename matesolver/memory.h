// Large zeroed tables for the searches: memory the system hands out lazily,
// backed by large pages where the system offers them (a table of hundreds
// of megabytes is probed at random, and small pages make every probe a
// page-table walk as well as a cache miss).
#pragma once

#include <cstddef>

namespace matesolver {

// Zeroed memory for `bytes`, released with std::free; nullptr when there is
// not enough.
void* allocateTable(size_t bytes);

// The largest table a search may be given, in MiB: the machine's physical
// memory (the memory is handed out lazily, so a larger table would be
// granted and then exhaust the machine as the search fills it), and at most
// half of what the address space can hold.
size_t largestTableMegabytes();

}  // namespace matesolver
