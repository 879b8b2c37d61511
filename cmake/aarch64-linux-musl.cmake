# das for 64-bit Arm Linux, linked statically against musl (Debian: g++-aarch64-linux-gnu, and
# musl-dev:arm64 after dpkg --add-architecture arm64), run here under qemu-user (qemu-user).
#
#   cmake -B build/arm64-musl -DCMAKE_TOOLCHAIN_FILE=cmake/aarch64-linux-musl.cmake
set(CMAKE_SYSTEM_PROCESSOR aarch64)
set(triplet aarch64-linux-gnu)
set(musl aarch64-linux-musl)
set(qemu qemu-aarch64)
set(DAS_DEBIAN_ARCH arm64)
include(${CMAKE_CURRENT_LIST_DIR}/musl.cmake)
