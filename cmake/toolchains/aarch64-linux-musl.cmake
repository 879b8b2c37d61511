# das for 64-bit Arm Linux, linked statically against musl. Its row of cmake/builds.cmake says the
# rest.
#
#   cmake -B build/arm64-musl -DCMAKE_TOOLCHAIN_FILE=cmake/toolchains/aarch64-linux-musl.cmake
include(${CMAKE_CURRENT_LIST_DIR}/linux-musl.cmake)
