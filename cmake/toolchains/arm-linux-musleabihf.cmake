# das for 32-bit Arm Linux with hardware floating point (ARMv7, Debian's armhf), linked statically
# against musl. Its row of cmake/builds.cmake says the rest.
#
#   cmake -B build/armhf-musl -DCMAKE_TOOLCHAIN_FILE=cmake/toolchains/arm-linux-musleabihf.cmake
include(${CMAKE_CURRENT_LIST_DIR}/linux-musl.cmake)
