# das for 64-bit Arm Linux with glibc, a static PIE, cross-built (Debian: g++-aarch64-linux-gnu)
# and run here under qemu-user (qemu-user).
#
#   cmake -B build/arm64 -DCMAKE_TOOLCHAIN_FILE=cmake/toolchains/aarch64-linux-gnu.cmake
include(${CMAKE_CURRENT_LIST_DIR}/linux-gnu.cmake)
