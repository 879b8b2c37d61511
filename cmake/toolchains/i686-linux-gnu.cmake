# das for 32-bit x86 Linux (Debian's i386) with glibc, a static PIE, cross-built (Debian:
# g++-i686-linux-gnu) and run here under qemu-user (qemu-user).
#
#   cmake -B build/i386 -DCMAKE_TOOLCHAIN_FILE=cmake/toolchains/i686-linux-gnu.cmake
include(${CMAKE_CURRENT_LIST_DIR}/linux-gnu.cmake)
