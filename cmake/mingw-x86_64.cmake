# Cross-compiling the Windows programs (64-bit) with MinGW-w64, for running
# the tests under a 64-bit wine.
set(CMAKE_SYSTEM_PROCESSOR x86_64)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)
