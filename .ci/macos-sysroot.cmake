# Makes the macOS sysroot of the stage macos, which compiles and links das and its tests for macOS:
#
#   cmake -DPACKAGE=<Zig's npm tarball> -DARCH=<x86_64 or arm64> -DOUT=<dir> -DNM=<llvm-nm>
#         -DLIBCXX=<Debian's libc++ 14 directory> -P macos-sysroot.cmake
#
# From Zig's lib/libc only: the headers of macOS 11 (those of every processor, then the processor's
# own) and libSystem's symbol stubs, as usr/lib/libSystem.tbd. Zig has no C++ library for macOS
# there, so libc++'s headers are Debian's libc++ 14's, and its stub, usr/lib/libc++.tbd, names
# what Debian's libc++ and libc++abi 14 export (a Mach-O name is the ELF one after an underscore).
cmake_minimum_required(VERSION 3.25)
if(ARCH STREQUAL "arm64")
  set(zig_arch aarch64)
else()
  set(zig_arch ${ARCH})
endif()
set(libc package/lib/libc)
set(headers any-macos-any any-macos.11-any ${zig_arch}-macos.11-none)
set(patterns ${libc}/darwin/libSystem.11.tbd)
foreach(dir IN LISTS headers)
  list(APPEND patterns ${libc}/include/${dir})
endforeach()
file(REMOVE_RECURSE ${OUT})
file(ARCHIVE_EXTRACT INPUT ${PACKAGE} DESTINATION ${OUT}/zig PATTERNS ${patterns})
foreach(dir IN LISTS headers)
  file(COPY ${OUT}/zig/${libc}/include/${dir}/ DESTINATION ${OUT}/usr/include)
endforeach()
file(MAKE_DIRECTORY ${OUT}/usr/lib)
file(COPY_FILE ${OUT}/zig/${libc}/darwin/libSystem.11.tbd ${OUT}/usr/lib/libSystem.tbd)
file(REMOVE_RECURSE ${OUT}/zig)
# Zig's headers lack <util.h>, where macOS declares forkpty (the tests start das on a terminal):
# its declaration, as macOS's openpty(3) gives it.
file(WRITE ${OUT}/usr/include/util.h "#pragma once
#include <sys/cdefs.h>
struct termios;
struct winsize;
__BEGIN_DECLS
int forkpty(int *, char *, struct termios *, struct winsize *);
__END_DECLS
")
file(COPY ${LIBCXX}/include/c++/v1 DESTINATION ${OUT}/usr/include/c++)

set(symbols "")
foreach(library libc++.so.1 libc++abi.so.1)
  execute_process(COMMAND ${NM} -D --defined-only --format=just-symbols ${LIBCXX}/lib/${library}
    OUTPUT_VARIABLE found COMMAND_ERROR_IS_FATAL ANY)
  string(REGEX REPLACE "\n$" "" found "${found}")
  string(REPLACE "\n" ";" found "${found}")
  list(APPEND symbols ${found})
endforeach()
list(REMOVE_DUPLICATES symbols)
list(SORT symbols)
list(TRANSFORM symbols PREPEND "'_")
list(TRANSFORM symbols APPEND "'")
list(JOIN symbols ",\n                     " symbols)
file(WRITE ${OUT}/usr/lib/libc++.tbd "--- !tapi-tbd
tbd-version:     4
targets:         [ ${ARCH}-macos ]
install-name:    '/usr/lib/libc++.1.dylib'
current-version: 1300.36
exports:
  - targets:         [ ${ARCH}-macos ]
    symbols:         [ ${symbols} ]
...
")
