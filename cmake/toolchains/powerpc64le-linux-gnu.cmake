# das for 64-bit little-endian POWER Linux (Debian's ppc64el) with glibc, cross-built (Debian:
# g++-powerpc64le-linux-gnu) and run here under qemu-user (qemu-user).
#
#   cmake -B build/ppc64el -DCMAKE_TOOLCHAIN_FILE=cmake/toolchains/powerpc64le-linux-gnu.cmake
#
# Debian 12's cross C library for ppc64el has no start file for a static PIE (rcrt1.o): this das is
# a dynamic PIE that needs the C library alone.
set(DAS_STATIC OFF CACHE BOOL "Debian 12's cross C library for ppc64el cannot make a static PIE")
include(${CMAKE_CURRENT_LIST_DIR}/linux-gnu.cmake)
