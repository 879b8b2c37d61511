# A cross build of das for Linux with glibc, run here under qemu-user (Debian: qemu-user), included
# by the build's toolchain file as its last line: the build's row of cmake/builds.cmake names the
# processor, the cross compiler, qemu-user's program and whether das links statically.
set(das_toolchain ${CMAKE_PARENT_LIST_FILE})
include(${CMAKE_CURRENT_LIST_DIR}/row.cmake)

set(for PACKAGE ${row_needs_compiler} FOR "The ${CMAKE_SYSTEM_PROCESSOR} build")
das_need(CMAKE_C_COMPILER PROGRAM ${row_triplet}-gcc ${for})
das_need(CMAKE_CXX_COMPILER PROGRAM ${row_triplet}-g++ ${for})

set(CMAKE_FIND_ROOT_PATH /usr/${row_triplet})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# qemu is named in the command, not found through binfmt_misc, which Debian registers so that it
# hands the program to qemu as a descriptor that lands in a closed slot 0, das's input. A dynamic
# das finds its C library under the cross C library's root.
das_need(DAS_QEMU PROGRAM ${row_runner} PACKAGE ${row_needs_runner} FOR "Running the ${CMAKE_SYSTEM_PROCESSOR} das here" LAUNCHER)
if(DAS_QEMU)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${DAS_QEMU} -L /usr/${row_triplet})
endif()
