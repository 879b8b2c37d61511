# das for 64-bit Arm Linux with glibc. Its row of cmake/builds.cmake says the rest.
#
#   cmake -B build/arm64 -DCMAKE_TOOLCHAIN_FILE=cmake/toolchains/aarch64-linux-gnu.cmake
include(${CMAKE_CURRENT_LIST_DIR}/linux-gnu.cmake)
