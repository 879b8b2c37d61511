# das for 32-bit x86 Linux (Debian's i386), linked statically against musl. Its row of
# cmake/builds.cmake says the rest.
#
#   cmake -B build/i386-musl -DCMAKE_TOOLCHAIN_FILE=cmake/toolchains/i686-linux-musl.cmake
include(${CMAKE_CURRENT_LIST_DIR}/linux-musl.cmake)
