# das for 32-bit x86 Linux (Debian's i386) with glibc. Its row of cmake/builds.cmake says the rest.
#
#   cmake -B build/i386 -DCMAKE_TOOLCHAIN_FILE=cmake/toolchains/i686-linux-gnu.cmake
include(${CMAKE_CURRENT_LIST_DIR}/linux-gnu.cmake)
