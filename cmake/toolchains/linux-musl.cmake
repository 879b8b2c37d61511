# das linked statically against musl as a position-independent executable: the smallest, fastest
# start-up. Included by the build's toolchain file as its last line: the build's row of
# cmake/builds.cmake names the processor, the compiler, musl's directories and the program that runs
# it here, if any.
#
# Debian's musl-gcc wrapper cannot make a static PIE (given -static-pie it quietly makes a dynamic
# program), so gcc compiles against musl's headers and links musl's start files itself.
set(das_toolchain ${CMAKE_PARENT_LIST_FILE})
include(${CMAKE_CURRENT_LIST_DIR}/row.cmake)
set(for PACKAGE ${row_needs_compiler} FOR "The ${CMAKE_SYSTEM_PROCESSOR} musl build")
das_need(CMAKE_C_COMPILER PROGRAM ${row_triplet}-gcc ${for})
das_need(CMAKE_CXX_COMPILER PROGRAM ${row_triplet}-g++ ${for})
if(row_runner)
  das_need(DAS_QEMU PROGRAM ${row_runner} PACKAGE ${row_needs_runner} FOR "Running the ${CMAKE_SYSTEM_PROCESSOR} musl das here" LAUNCHER)
  if(DAS_QEMU)
    set(CMAKE_CROSSCOMPILING_EMULATOR ${DAS_QEMU})
  endif()
endif()
set(for PACKAGE ${row_needs_libc} FOR "The ${CMAKE_SYSTEM_PROCESSOR} musl build")
das_need(DAS_MUSL_INCLUDE_DIR FILE stdio.h PATHS /usr/include/${row_musl} /usr/lib/musl/include ${for})
das_need(DAS_MUSL_LIB_DIR FILE rcrt1.o PATHS /usr/lib/${row_musl} /usr/lib/musl/lib ${for})

function(gcc_says variable)
  execute_process(COMMAND ${CMAKE_CXX_COMPILER} ${ARGN} OUTPUT_VARIABLE out ERROR_VARIABLE out
                  OUTPUT_STRIP_TRAILING_WHITESPACE COMMAND_ERROR_IS_FATAL ANY)
  set(${variable} "${out}" PARENT_SCOPE)
endfunction()
gcc_says(gcc_include -print-file-name=include)
gcc_says(crtbegin -print-file-name=crtbeginS.o)
gcc_says(crtend -print-file-name=crtendS.o)
gcc_says(libgcc -print-libgcc-file-name)
gcc_says(libgcc_eh -print-file-name=libgcc_eh.a)
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
# libc and libgcc need each other (32-bit Arm's division by zero raises a signal), and on 32-bit
# Arm every function's unwinding entry names a personality routine, which libgcc_eh has.
set(end "-Wl,--start-group \"${DAS_MUSL_LIB_DIR}/libc.a\" \"${libgcc}\" \"${libgcc_eh}\" -Wl,--end-group \
\"${crtend}\" \"${DAS_MUSL_LIB_DIR}/crtn.o\"")
# 32-bit Arm's gcc takes -static-pie without a word and makes a dynamic program all the same: the
# linker is told what it means.
set(static_pie "-Wl,-static,-pie,--no-dynamic-linker,-z,text")
foreach(lang C CXX)
  set(CMAKE_${lang}_LINK_EXECUTABLE
    "<CMAKE_${lang}_COMPILER> <FLAGS> <CMAKE_${lang}_LINK_FLAGS> <LINK_FLAGS> -static-pie ${static_pie} -nostdlib ${start} <OBJECTS> -o <TARGET> <LINK_LIBRARIES> ${end}")
endforeach()

# musl 1.2.3 does not apply packed relative relocations: such a program crashes at start.
set(DAS_PACK_RELATIVE_RELOCS OFF CACHE BOOL "Pack relative relocations (musl 1.2.3 cannot apply them)")
