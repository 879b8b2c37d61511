# das for 32-bit Arm Linux with hardware floating point (ARMv7, Debian's armhf) and glibc. Its row
# of cmake/builds.cmake says the rest.
#
#   cmake -B build/armhf -DCMAKE_TOOLCHAIN_FILE=cmake/toolchains/arm-linux-gnueabihf.cmake
include(${CMAKE_CURRENT_LIST_DIR}/linux-gnu.cmake)
