# das for IBM Z Linux (s390x) with glibc. Its row of cmake/builds.cmake says the rest.
#
#   cmake -B build/s390x -DCMAKE_TOOLCHAIN_FILE=cmake/toolchains/s390x-linux-gnu.cmake
include(${CMAKE_CURRENT_LIST_DIR}/linux-gnu.cmake)
