# Shared by the Linux cross toolchain files, which set ORVEX_CROSS_TRIPLET
# (aarch64-linux-gnu, ...), ORVEX_QEMU (qemu-aarch64, ...) and, to run the
# programs on a processor other than qemu's default, ORVEX_QEMU_CPU.
#
# Debian's cross compilers (g++-<arch>-linux-gnu) bring the target's C and C++
# libraries under /usr/<triplet>, static ones included. qemu-user (Debian
# package qemu-user) runs the target's programs here: the tests, their
# discovery, and through the tests' launcher the orvex they start.
find_program(CMAKE_C_COMPILER NAMES ${ORVEX_CROSS_TRIPLET}-gcc REQUIRED)
find_program(CMAKE_CXX_COMPILER NAMES ${ORVEX_CROSS_TRIPLET}-g++ REQUIRED)

set(CMAKE_FIND_ROOT_PATH /usr/${ORVEX_CROSS_TRIPLET})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# -L: the dynamically linked programs (the tests) find the target's loader and
# libraries there; the statically linked orvex needs none of them. -cpu: an
# instruction the processor lacks ends the test that reaches it.
find_program(ORVEX_QEMU_USER NAMES ${ORVEX_QEMU})
if(ORVEX_QEMU_USER)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${ORVEX_QEMU_USER} -L /usr/${ORVEX_CROSS_TRIPLET})
  if(ORVEX_QEMU_CPU)
    list(APPEND CMAKE_CROSSCOMPILING_EMULATOR -cpu ${ORVEX_QEMU_CPU})
  endif()
  # How the tests cap the address space of an orvex they start: qemu-user
  # ignores a guest's setrlimit(RLIMIT_AS), and a limit on qemu's own process
  # would bind its own reservations (a 128 MiB code buffer, to begin with);
  # -R SIZE gives the guest an address space of SIZE bytes, all that it can map.
  set(ORVEX_EMULATOR_ADDRESS_SPACE_OPTION -R)
endif()
