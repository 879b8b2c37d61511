# das for 64-bit RISC-V Linux with glibc. Debian 12 has no musl for riscv64, so this das is the one
# its packages carry. Its row of cmake/builds.cmake says the rest.
#
#   cmake -B build/riscv64 -DCMAKE_TOOLCHAIN_FILE=cmake/toolchains/riscv64-linux-gnu.cmake
include(${CMAKE_CURRENT_LIST_DIR}/linux-gnu.cmake)
