# das for 64-bit x86 Linux, linked statically against musl: the smallest, fastest start-up, and the
# das of the amd64 packages. Its row of cmake/builds.cmake says the rest.
#
#   cmake -B build/musl -DCMAKE_TOOLCHAIN_FILE=cmake/toolchains/x86_64-linux-musl.cmake
include(${CMAKE_CURRENT_LIST_DIR}/linux-musl.cmake)
