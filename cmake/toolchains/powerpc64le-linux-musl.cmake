# das for 64-bit little-endian POWER Linux (Debian's ppc64el), linked statically against musl
# (Debian: g++-powerpc64le-linux-gnu, and musl-dev:ppc64el after dpkg --add-architecture ppc64el),
# run here under qemu-user (qemu-user).
#
#   cmake -B build/ppc64el-musl -DCMAKE_TOOLCHAIN_FILE=cmake/toolchains/powerpc64le-linux-musl.cmake
set(musl powerpc64le-linux-musl)
include(${CMAKE_CURRENT_LIST_DIR}/linux-musl.cmake)
