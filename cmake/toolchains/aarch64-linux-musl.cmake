# das for 64-bit Arm Linux, linked statically against musl (Debian: g++-aarch64-linux-gnu, and
# musl-dev:arm64 after dpkg --add-architecture arm64), run here under qemu-user (qemu-user).
#
#   cmake -B build/arm64-musl -DCMAKE_TOOLCHAIN_FILE=cmake/toolchains/aarch64-linux-musl.cmake
set(musl aarch64-linux-musl)
include(${CMAKE_CURRENT_LIST_DIR}/linux-musl.cmake)
