# das for 32-bit x86 Linux (Debian's i386), linked statically against musl (Debian:
# g++-i686-linux-gnu, and musl-dev:i386 after dpkg --add-architecture i386), run here under
# qemu-user (qemu-user).
#
#   cmake -B build/i386-musl -DCMAKE_TOOLCHAIN_FILE=cmake/toolchains/i686-linux-musl.cmake
set(musl i386-linux-musl)
include(${CMAKE_CURRENT_LIST_DIR}/linux-musl.cmake)
