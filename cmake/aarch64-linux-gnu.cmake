# das for 64-bit Arm Linux with glibc, a static PIE, cross-built (Debian: g++-aarch64-linux-gnu)
# and run here under qemu-user (qemu-user).
#
#   cmake -B build/arm64 -DCMAKE_TOOLCHAIN_FILE=cmake/aarch64-linux-gnu.cmake
set(CMAKE_SYSTEM_PROCESSOR aarch64)
set(triplet aarch64-linux-gnu)
set(qemu qemu-aarch64)
set(DAS_DEBIAN_ARCH arm64)
include(${CMAKE_CURRENT_LIST_DIR}/linux-gnu.cmake)
