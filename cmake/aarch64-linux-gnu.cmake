# das for 64-bit Arm Linux with glibc, cross-built (Debian: g++-aarch64-linux-gnu) and run here
# under qemu-user (Debian: qemu-user), which is named in the command, not found through binfmt_misc.
#
#   cmake -B build/arm64 -DCMAKE_TOOLCHAIN_FILE=cmake/aarch64-linux-gnu.cmake
set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_SYSTEM_PROCESSOR aarch64)

set(triplet aarch64-linux-gnu)
find_program(CMAKE_C_COMPILER ${triplet}-gcc REQUIRED)
find_program(CMAKE_CXX_COMPILER ${triplet}-g++ REQUIRED)

set(CMAKE_FIND_ROOT_PATH /usr/${triplet})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

find_program(DAS_QEMU qemu-aarch64)
if(DAS_QEMU)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${DAS_QEMU})
endif()
