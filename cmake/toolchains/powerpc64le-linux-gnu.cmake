# das for 64-bit little-endian POWER Linux (Debian's ppc64el) with glibc. Its row of
# cmake/builds.cmake says the rest.
#
#   cmake -B build/ppc64el -DCMAKE_TOOLCHAIN_FILE=cmake/toolchains/powerpc64le-linux-gnu.cmake
include(${CMAKE_CURRENT_LIST_DIR}/linux-gnu.cmake)
