# Shared by the MinGW-w64 toolchain files, which set ORVEX_MINGW_TRIPLET.
#
# Two thread models of the same GCC are used. The program is built by the
# win32 one (ORVEX_MINGW_PROGRAM_COMPILER): it starts no thread, so its
# runtime is MinGW-w64's alone, with no winpthreads, whose imports would raise
# the oldest Windows the program can start on. GoogleTest and the tests need
# std::mutex and std::thread, which GCC 12 has on MinGW-w64 in the posix model
# alone: the build's own compiler is the posix one, and src/CMakeLists.txt
# makes the program in a build of its own. Everything links statically.
find_program(CMAKE_C_COMPILER NAMES ${ORVEX_MINGW_TRIPLET}-gcc-posix REQUIRED)
find_program(CMAKE_CXX_COMPILER NAMES ${ORVEX_MINGW_TRIPLET}-g++-posix REQUIRED)
find_program(ORVEX_MINGW_PROGRAM_COMPILER NAMES ${ORVEX_MINGW_TRIPLET}-g++-win32 REQUIRED)
find_program(CMAKE_RC_COMPILER NAMES ${ORVEX_MINGW_TRIPLET}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${ORVEX_MINGW_TRIPLET})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Console subsystem; no DLLs beyond the system's own.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-mconsole -static -static-libgcc -static-libstdc++")

# Wine runs the executables here (tests and test discovery): wine64 the 64-bit
# ones, and the 32-bit loader of Debian's wine32:i386 the 32-bit ones, in the
# same (64-bit) prefix.
if(ORVEX_MINGW_TRIPLET STREQUAL "x86_64-w64-mingw32")
  set(orvex_wine_names wine64)
else()
  set(orvex_wine_names wine)
endif()
find_program(ORVEX_WINE NAMES ${orvex_wine_names} PATHS /usr/lib/wine NO_DEFAULT_PATH)
find_program(ORVEX_WINE NAMES ${orvex_wine_names})
if(ORVEX_WINE)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_COMMAND} -E env WINEDEBUG=-all ${ORVEX_WINE})
endif()
