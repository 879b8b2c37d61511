# das for 32-bit Arm Linux with hardware floating point (ARMv7, Debian's armhf) and glibc,
# cross-built (Debian: g++-arm-linux-gnueabihf) and run here under qemu-user (qemu-user).
#
#   cmake -B build/armhf -DCMAKE_TOOLCHAIN_FILE=cmake/toolchains/arm-linux-gnueabihf.cmake
#
# Debian 12's cross C library for armhf has no start file for a static PIE (rcrt1.o), and a static
# program that is not position-independent would lose address randomisation: this das is a
# dynamic PIE that needs the C library alone.
set(DAS_STATIC OFF CACHE BOOL "Debian 12's cross C library for armhf cannot make a static PIE")
include(${CMAKE_CURRENT_LIST_DIR}/linux-gnu.cmake)
