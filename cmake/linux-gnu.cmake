# A cross build of das for Linux with glibc, run here under qemu-user (Debian: qemu-user). The
# including toolchain file sets CMAKE_SYSTEM_PROCESSOR (as uname -m says it there), triplet (the
# cross compiler's, as in Debian's g++-<triplet>), and qemu (qemu-user's program for it); and
# DAS_STATIC OFF where the cross C library cannot make a static PIE.
set(CMAKE_SYSTEM_NAME Linux)
include(${CMAKE_CURRENT_LIST_DIR}/need.cmake)

set(for PACKAGE g++-${triplet} FOR "The ${CMAKE_SYSTEM_PROCESSOR} build")
das_need(CMAKE_C_COMPILER PROGRAM ${triplet}-gcc ${for})
das_need(CMAKE_CXX_COMPILER PROGRAM ${triplet}-g++ ${for})

set(CMAKE_FIND_ROOT_PATH /usr/${triplet})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# qemu is named in the command, not found through binfmt_misc, which Debian registers so that it
# hands the program to qemu as a descriptor that lands in a closed slot 0, das's input. A dynamic
# das finds its C library under the cross C library's root.
das_need(DAS_QEMU PROGRAM ${qemu} PACKAGE qemu-user FOR "Running the ${CMAKE_SYSTEM_PROCESSOR} das here" LAUNCHER)
if(DAS_QEMU)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${DAS_QEMU} -L /usr/${triplet})
endif()
