# Cross-compiles orvex for 64-bit IBM Z Linux, a big-endian machine (Debian
# package g++-s390x-linux-gnu); qemu-s390x runs the tests.
set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_SYSTEM_PROCESSOR s390x)

set(ORVEX_CROSS_TRIPLET s390x-linux-gnu)
set(ORVEX_QEMU qemu-s390x)
include(${CMAKE_CURRENT_LIST_DIR}/linux-cross-common.cmake)
