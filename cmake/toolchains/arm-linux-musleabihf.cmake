# das for 32-bit Arm Linux with hardware floating point (ARMv7, Debian's armhf),
# linked statically against musl (Debian: g++-arm-linux-gnueabihf, and musl-dev:armhf after dpkg
# --add-architecture armhf), run here under qemu-user (qemu-user).
#
#   cmake -B build/armhf-musl -DCMAKE_TOOLCHAIN_FILE=cmake/toolchains/arm-linux-musleabihf.cmake
set(musl arm-linux-musleabihf)
include(${CMAKE_CURRENT_LIST_DIR}/linux-musl.cmake)
