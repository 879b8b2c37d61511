# das for 64-bit x86 Linux, linked statically against musl (Debian: musl-dev): the smallest, fastest
# start-up, and the das of the amd64 packages.
#
#   cmake -B build/musl -DCMAKE_TOOLCHAIN_FILE=cmake/toolchains/x86_64-linux-musl.cmake
set(musl x86_64-linux-musl)
include(${CMAKE_CURRENT_LIST_DIR}/linux-musl.cmake)
