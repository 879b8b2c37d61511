# The builds of das beside this machine's own, a row each. Everything that names a machine reads it
# from here: CMakeLists.txt, the toolchain files, the package build, the image, the bills of
# materials, the PKGBUILD, and CI, which runs this file as a script:
#
#   cmake -P cmake/builds.cmake      prints a line for each build, its fields split by tabs, in the
#                                    order below ("-" for none; the packages split by commas)
#
# A new machine costs a toolchain file under cmake/toolchains/, a row here and its presets.
#
#   name       the build's, and its workflow preset's
#   toolchain  its toolchain file, under cmake/toolchains/
#   libc       the C library that das links
#   triplet    the cross compiler's, as in Debian's g++-<triplet>
#   debian rpm arch uname readelf image
#              the machine as Debian, RPM, Arch Linux, uname -m, readelf and container images name it
#   runner     the program that runs its das here, or - where this machine runs it itself
#   packages   what its das goes into: deb, rpm, tarball (musl's), image (a platform of the
#              container image), zip (Windows'); - for none (a build that is only tested)
#
# Each .deb and RPM carries the musl das where Debian has musl for the machine, glibc's elsewhere.
function(das_build name toolchain libc triplet debian rpm arch uname readelf image runner)
  set(DAS_BUILDS ${DAS_BUILDS} ${name} PARENT_SCOPE)
  foreach(field toolchain libc triplet debian rpm arch uname readelf image runner)
    string(TOUPPER ${field} upper)
    if(${field} STREQUAL "-")
      set(${field} "")
    endif()
    set(DAS_BUILD_${name}_${upper} "${${field}}" PARENT_SCOPE)
  endforeach()
  set(packages ${ARGN})
  list(REMOVE_ITEM packages -)
  set(DAS_BUILD_${name}_PACKAGES ${packages} PARENT_SCOPE)
endfunction()
set(DAS_BUILDS "")
#         name          toolchain                    libc  triplet               debian  rpm     arch        uname   readelf                         image        runner        packages
das_build(musl          x86_64-linux-musl.cmake      musl  x86_64-linux-gnu      amd64   x86_64  x86_64      x86_64  "Advanced Micro Devices X86-64" linux/amd64   -             deb rpm tarball image)
das_build(windows       mingw-w64.cmake              ucrt  x86_64-w64-mingw32    -       -       -           x86_64  -                               windows/amd64 wine          zip)
das_build(arm64         aarch64-linux-gnu.cmake      glibc aarch64-linux-gnu     arm64   aarch64 aarch64     aarch64 AArch64                         linux/arm64   qemu-aarch64  -)
das_build(arm64-musl    aarch64-linux-musl.cmake     musl  aarch64-linux-gnu     arm64   aarch64 aarch64     aarch64 AArch64                         linux/arm64   qemu-aarch64  deb rpm tarball image)
das_build(armhf         arm-linux-gnueabihf.cmake    glibc arm-linux-gnueabihf   armhf   armv7hl armv7h      armv7l  ARM                             linux/arm/v7  qemu-arm      -)
das_build(armhf-musl    arm-linux-musleabihf.cmake   musl  arm-linux-gnueabihf   armhf   armv7hl armv7h      armv7l  ARM                             linux/arm/v7  qemu-arm      deb rpm tarball image)
das_build(riscv64       riscv64-linux-gnu.cmake      glibc riscv64-linux-gnu     riscv64 riscv64 riscv64     riscv64 RISC-V                          linux/riscv64 qemu-riscv64  deb rpm)
das_build(i386          i686-linux-gnu.cmake         glibc i686-linux-gnu        i386    i686    i686        i686    "Intel 80386"                   linux/386     qemu-i386     -)
das_build(i386-musl     i686-linux-musl.cmake        musl  i686-linux-gnu        i386    i686    i686        i686    "Intel 80386"                   linux/386     qemu-i386     deb rpm tarball image)
das_build(ppc64el       powerpc64le-linux-gnu.cmake  glibc powerpc64le-linux-gnu ppc64el ppc64le powerpc64le ppc64le PowerPC64                       linux/ppc64le qemu-ppc64le  -)
das_build(ppc64el-musl  powerpc64le-linux-musl.cmake musl  powerpc64le-linux-gnu ppc64el ppc64le powerpc64le ppc64le PowerPC64                       linux/ppc64le qemu-ppc64le  deb rpm tarball image)
das_build(s390x         s390x-linux-gnu.cmake        glibc s390x-linux-gnu       s390x   s390x   s390x       s390x   "IBM S/390"                     linux/s390x   qemu-s390x    -)
das_build(s390x-musl    s390x-linux-musl.cmake       musl  s390x-linux-gnu       s390x   s390x   s390x       s390x   "IBM S/390"                     linux/s390x   qemu-s390x    deb rpm tarball image)

# The build whose toolchain file is $file (a path), for that toolchain file: its name in $variable.
function(das_build_of_toolchain variable file)
  cmake_path(GET file FILENAME file)
  foreach(name IN LISTS DAS_BUILDS)
    if(DAS_BUILD_${name}_TOOLCHAIN STREQUAL file)
      set(${variable} ${name} PARENT_SCOPE)
      return()
    endif()
  endforeach()
  message(FATAL_ERROR "${file}: no build of cmake/builds.cmake has this toolchain file")
endfunction()

if(CMAKE_SCRIPT_MODE_FILE STREQUAL CMAKE_CURRENT_LIST_FILE)
  set(lines "")
  foreach(name IN LISTS DAS_BUILDS)
    set(line ${name})
    foreach(field TOOLCHAIN LIBC TRIPLET DEBIAN RPM ARCH UNAME READELF IMAGE RUNNER PACKAGES)
      set(value "${DAS_BUILD_${name}_${field}}")
      string(REPLACE ";" "," value "${value}")
      if(value STREQUAL "")
        set(value -)
      endif()
      string(APPEND line "\t${value}")
    endforeach()
    string(APPEND lines "${line}\n")
  endforeach()
  execute_process(COMMAND ${CMAKE_COMMAND} -E echo_append "${lines}")
endif()
