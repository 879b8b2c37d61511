# das linked statically against musl as a position-independent executable (Debian: musl-tools,
# musl-dev): the smallest, fastest start-up.
#
#   cmake -B build/musl -DCMAKE_TOOLCHAIN_FILE=cmake/musl.cmake
#
# For another processor, a toolchain file sets CMAKE_SYSTEM_PROCESSOR and debian_arch (its Debian
# architecture) and includes this one: the cross gcc for that processor is used, and qemu-user runs
# the program here.
#
# Debian's musl-gcc wrapper cannot make a static PIE (given -static-pie it quietly makes a dynamic
# program), so the host's gcc compiles against musl's headers and links musl's start files itself.
set(CMAKE_SYSTEM_NAME Linux)
if(NOT CMAKE_SYSTEM_PROCESSOR)
  set(CMAKE_SYSTEM_PROCESSOR ${CMAKE_HOST_SYSTEM_PROCESSOR})
endif()
set(DAS_LIBC musl)
include(${CMAKE_CURRENT_LIST_DIR}/need.cmake)
set(for FOR "The ${CMAKE_SYSTEM_PROCESSOR} musl build")
if(CMAKE_SYSTEM_PROCESSOR STREQUAL CMAKE_HOST_SYSTEM_PROCESSOR)
  set(CMAKE_C_COMPILER gcc)
  set(CMAKE_CXX_COMPILER g++)
  set(musl_package musl-dev)
else()
  # The including toolchain file names the Debian architecture (debian_arch) of that processor.
  set(triplet ${CMAKE_SYSTEM_PROCESSOR}-linux-gnu)
  das_need(CMAKE_C_COMPILER PROGRAM ${triplet}-gcc PACKAGE g++-${triplet} ${for})
  das_need(CMAKE_CXX_COMPILER PROGRAM ${triplet}-g++ PACKAGE g++-${triplet} ${for})
  das_need(DAS_QEMU PROGRAM qemu-${CMAKE_SYSTEM_PROCESSOR} PACKAGE qemu-user FOR "Running the ${CMAKE_SYSTEM_PROCESSOR} musl das here" LAUNCHER)
  if(DAS_QEMU)
    set(CMAKE_CROSSCOMPILING_EMULATOR ${DAS_QEMU})
  endif()
  set(musl_package musl-dev:${debian_arch})
endif()

set(musl ${CMAKE_SYSTEM_PROCESSOR}-linux-musl)
das_need(DAS_MUSL_INCLUDE_DIR FILE stdio.h PATHS /usr/include/${musl} /usr/lib/musl/include PACKAGE ${musl_package} ${for})
das_need(DAS_MUSL_LIB_DIR FILE rcrt1.o PATHS /usr/lib/${musl} /usr/lib/musl/lib PACKAGE ${musl_package} ${for})

function(gcc_says variable)
  execute_process(COMMAND ${CMAKE_CXX_COMPILER} ${ARGN} OUTPUT_VARIABLE out ERROR_VARIABLE out
                  OUTPUT_STRIP_TRAILING_WHITESPACE COMMAND_ERROR_IS_FATAL ANY)
  set(${variable} "${out}" PARENT_SCOPE)
endfunction()
gcc_says(gcc_include -print-file-name=include)
gcc_says(crtbegin -print-file-name=crtbeginS.o)
gcc_says(crtend -print-file-name=crtendS.o)
gcc_says(libgcc -print-libgcc-file-name)
# libstdc++'s headers (header-only use: nothing of libstdc++ is linked) are the ones g++ searches.
gcc_says(search -xc++ -E -v /dev/null -o /dev/null)
string(REGEX MATCHALL "\n [^\n]*/c\\+\\+[^\n]*" lines "${search}")
set(cxx_include "")
foreach(line IN LISTS lines)
  string(STRIP "${line}" dir)
  string(APPEND cxx_include "-isystem \"${dir}\" ")
endforeach()

# Only musl's headers, then the compiler's own; libstdc++'s configuration asks __GLIBC_PREREQ,
# which nothing here depends on. Flags and link rules go to a shell, so each path is quoted.
set(c_include "-isystem \"${gcc_include}\" -isystem \"${DAS_MUSL_INCLUDE_DIR}\"")
set(CMAKE_C_FLAGS_INIT "-nostdinc ${c_include}")
set(CMAKE_CXX_FLAGS_INIT "-nostdinc ${cxx_include}${c_include} '-D__GLIBC_PREREQ(a,b)=0'")

set(start "\"${DAS_MUSL_LIB_DIR}/rcrt1.o\" \"${DAS_MUSL_LIB_DIR}/crti.o\" \"${crtbegin}\"")
set(end "\"${DAS_MUSL_LIB_DIR}/libc.a\" \"${libgcc}\" \"${crtend}\" \"${DAS_MUSL_LIB_DIR}/crtn.o\"")
foreach(lang C CXX)
  set(CMAKE_${lang}_LINK_EXECUTABLE
    "<CMAKE_${lang}_COMPILER> <FLAGS> <CMAKE_${lang}_LINK_FLAGS> <LINK_FLAGS> -static-pie -nostdlib ${start} <OBJECTS> -o <TARGET> <LINK_LIBRARIES> ${end}")
endforeach()

# musl 1.2.3 does not apply packed relative relocations: such a program crashes at start.
set(DAS_PACK_RELATIVE_RELOCS OFF CACHE BOOL "Pack relative relocations (musl 1.2.3 cannot apply them)")
