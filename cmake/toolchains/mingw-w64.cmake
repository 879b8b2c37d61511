# das.exe for 64-bit Windows, cross-built with MinGW-w64 (Debian: g++-mingw-w64-x86-64-posix) and
# run here under Wine (wine, wine64).
#
#   cmake -B build/win -DCMAKE_TOOLCHAIN_FILE=cmake/toolchains/mingw-w64.cmake [-DDAS_WINDOWS_CRT=msvcrt]
set(das_toolchain ${CMAKE_CURRENT_LIST_FILE})
include(${CMAKE_CURRENT_LIST_DIR}/row.cmake)
set(mingw PACKAGE ${row_needs_compiler} FOR "The Windows build")
das_need(CMAKE_C_COMPILER PROGRAM ${row_triplet}-gcc-posix ${row_triplet}-gcc ${mingw})
das_need(CMAKE_CXX_COMPILER PROGRAM ${row_triplet}-g++-posix ${row_triplet}-g++ ${mingw})
find_program(CMAKE_RC_COMPILER NAMES ${row_triplet}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${row_triplet})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Run here under Wine, in a prefix of this build's own, quiet, and without the .NET and HTML engines
# it would offer to download; in a UTF-8 locale whatever the caller's, or Wine cannot open a program
# whose path has a letter outside ASCII.
das_need(DAS_WINE PROGRAM wine PACKAGE wine FOR "Running das.exe here" LAUNCHER)
das_need(DAS_WINE64 PROGRAM wine64 PATHS /usr/lib/wine PACKAGE wine64 FOR "Running das.exe here" LAUNCHER)
if(DAS_WINE AND DAS_WINE64)
  set(CMAKE_CROSSCOMPILING_EMULATOR /usr/bin/env LC_ALL=C.UTF-8 WINEPREFIX=${CMAKE_BINARY_DIR}/wineprefix
      WINEDEBUG=-all WINEDLLOVERRIDES=mscoree,mshtml= ${DAS_WINE})
endif()

# The C runtime: the Universal C Runtime, part of Windows 10 and later, or the legacy msvcrt.dll
# for older Windows without the UCRT update. Debian's MinGW-w64 links msvcrt unless told: its
# specs name -lmsvcrt, and -D_UCRT alone changes the headers but still links msvcrt.
set(DAS_WINDOWS_CRT ucrt CACHE STRING "The C runtime das.exe links: ucrt or msvcrt")
set_property(CACHE DAS_WINDOWS_CRT PROPERTY STRINGS ucrt msvcrt)
list(APPEND CMAKE_TRY_COMPILE_PLATFORM_VARIABLES DAS_WINDOWS_CRT)
if(DAS_WINDOWS_CRT STREQUAL "ucrt")
  execute_process(COMMAND ${CMAKE_CXX_COMPILER} -dumpspecs OUTPUT_VARIABLE specs COMMAND_ERROR_IS_FATAL ANY)
  string(REGEX MATCH "\n\\*libgcc:\n[^\n]*" libgcc "${specs}")
  if(NOT libgcc MATCHES " -lmsvcrt( |$)")
    message(FATAL_ERROR "${CMAKE_CXX_COMPILER} -dumpspecs names no -lmsvcrt in its *libgcc: spec, "
                        "so das.exe cannot be moved to the UCRT here; configure with -DDAS_WINDOWS_CRT=msvcrt")
  endif()
  string(REPLACE " -lmsvcrt" " -lucrt" libgcc "${libgcc}")
  file(WRITE ${CMAKE_BINARY_DIR}/ucrt.specs "${libgcc}\n")
  foreach(lang C CXX)
    set(CMAKE_${lang}_FLAGS_INIT "-D_UCRT")
  endforeach()
  # A flag string goes to a shell: the path is quoted, for a build directory with a blank in it.
  set(CMAKE_EXE_LINKER_FLAGS_INIT "\"-specs=${CMAKE_BINARY_DIR}/ucrt.specs\"")
elseif(NOT DAS_WINDOWS_CRT STREQUAL "msvcrt")
  message(FATAL_ERROR "DAS_WINDOWS_CRT: no such runtime: ${DAS_WINDOWS_CRT} (ucrt or msvcrt)")
endif()
