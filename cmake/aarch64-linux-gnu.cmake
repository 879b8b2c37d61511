# das for 64-bit Arm Linux with glibc, cross-built (Debian: g++-aarch64-linux-gnu) and run here
# under qemu-user (Debian: qemu-user), which is named in the command, not found through binfmt_misc.
#
#   cmake -B build/arm64 -DCMAKE_TOOLCHAIN_FILE=cmake/aarch64-linux-gnu.cmake
set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_SYSTEM_PROCESSOR aarch64)
include(${CMAKE_CURRENT_LIST_DIR}/need.cmake)

set(triplet aarch64-linux-gnu)
set(for PACKAGE g++-${triplet} FOR "The arm64 build")
das_need(CMAKE_C_COMPILER PROGRAM ${triplet}-gcc ${for})
das_need(CMAKE_CXX_COMPILER PROGRAM ${triplet}-g++ ${for})

set(CMAKE_FIND_ROOT_PATH /usr/${triplet})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

das_need(DAS_QEMU PROGRAM qemu-aarch64 PACKAGE qemu-user FOR "Running the arm64 das here" LAUNCHER)
if(DAS_QEMU)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${DAS_QEMU})
endif()
