# Cross-compiles orvex for 32-bit Windows with MinGW-w64 (Debian packages
# g++-mingw-w64-i686-win32 for the program, g++-mingw-w64-i686-posix
# for the tests). The executables are console programs, linked statically so
# that they run on a bare Windows with no extra DLLs.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86)

set(ORVEX_MINGW_TRIPLET i686-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64-common.cmake)
