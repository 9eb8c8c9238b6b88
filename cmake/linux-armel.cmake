# Cross-compiles orvex for 32-bit ARM Linux (Debian package
# g++-arm-linux-gnueabi): ARMv5TE code with software floating point, which
# every 32-bit ARM processor of these boards runs, the ARMv6 of the first
# Raspberry Pis included (Debian's armhf targets ARMv7). qemu-arm runs the
# tests as that ARMv6 processor, the ARM1176.
set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_SYSTEM_PROCESSOR arm)

set(ORVEX_CROSS_TRIPLET arm-linux-gnueabi)
set(ORVEX_QEMU qemu-arm)
set(ORVEX_QEMU_CPU arm1176)
include(${CMAKE_CURRENT_LIST_DIR}/linux-cross-common.cmake)
