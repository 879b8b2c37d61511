# das for 64-bit RISC-V Linux with glibc, cross-built (Debian: g++-riscv64-linux-gnu) and run here
# under qemu-user (qemu-user).
#
#   cmake -B build/riscv64 -DCMAKE_TOOLCHAIN_FILE=cmake/toolchains/riscv64-linux-gnu.cmake
#
# Debian 12's cross C library for riscv64 has no start file for a static PIE (rcrt1.o): this das is
# a dynamic PIE that needs the C library alone. Debian 12 has no musl for riscv64, so this das is
# the one its packages carry.
set(DAS_STATIC OFF CACHE BOOL "Debian 12's cross C library for riscv64 cannot make a static PIE")
include(${CMAKE_CURRENT_LIST_DIR}/linux-gnu.cmake)
