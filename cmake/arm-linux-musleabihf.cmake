# das for 32-bit Arm Linux with hardware floating point (ARMv7, Debian's armhf), linked statically
# against musl (Debian: g++-arm-linux-gnueabihf, and musl-dev:armhf after dpkg --add-architecture
# armhf), run here under qemu-user (qemu-user).
#
#   cmake -B build/armhf-musl -DCMAKE_TOOLCHAIN_FILE=cmake/arm-linux-musleabihf.cmake
set(CMAKE_SYSTEM_PROCESSOR armv7l)
set(triplet arm-linux-gnueabihf)
set(musl arm-linux-musleabihf)
set(qemu qemu-arm)
set(DAS_DEBIAN_ARCH armhf)
include(${CMAKE_CURRENT_LIST_DIR}/musl.cmake)
