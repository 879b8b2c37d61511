# das for IBM Z Linux (s390x) with glibc, cross-built (Debian: g++-s390x-linux-gnu) and run here
# under qemu-user (qemu-user).
#
#   cmake -B build/s390x -DCMAKE_TOOLCHAIN_FILE=cmake/toolchains/s390x-linux-gnu.cmake
#
# Debian 12's cross C library for s390x has no start file for a static PIE (rcrt1.o): this das is
# a dynamic PIE that needs the C library alone.
set(DAS_STATIC OFF CACHE BOOL "Debian 12's cross C library for s390x cannot make a static PIE")
include(${CMAKE_CURRENT_LIST_DIR}/linux-gnu.cmake)
