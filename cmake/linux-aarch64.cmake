# Cross-compiles orvex for 64-bit ARM Linux (Debian package
# g++-aarch64-linux-gnu); qemu-aarch64 runs the tests.
set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_SYSTEM_PROCESSOR aarch64)

set(ORVEX_CROSS_TRIPLET aarch64-linux-gnu)
set(ORVEX_QEMU qemu-aarch64)
include(${CMAKE_CURRENT_LIST_DIR}/linux-cross-common.cmake)
