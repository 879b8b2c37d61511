# das for 64-bit little-endian POWER Linux (Debian's ppc64el), linked statically against musl. Its
# row of cmake/builds.cmake says the rest.
#
#   cmake -B build/ppc64el-musl -DCMAKE_TOOLCHAIN_FILE=cmake/toolchains/powerpc64le-linux-musl.cmake
include(${CMAKE_CURRENT_LIST_DIR}/linux-musl.cmake)
