# The builds of das beside this machine's own, a row each: the one list of them. Everything that
# names a machine reads it from here: CMakeLists.txt, the toolchain files, the presets, the package
# build, the image, the bills of materials, the PKGBUILD, the list of what a package build needs
# from Debian, and CI. As a script:
#
#   cmake -P cmake/builds.cmake                 writes the presets of every build into
#                                               cmake/presets/builds.json, which CMakePresets.json
#                                               includes (-D OUT=<file> writes them there instead)
#   cmake -D WHAT=table -P cmake/builds.cmake   prints the table: a line of the fields' names, then
#                                               a line for each build, its fields split by tabs ("-"
#                                               for none, a list's items split by commas)
#
# A new machine costs a toolchain file under cmake/toolchains/ (a line that includes linux-gnu.cmake
# or linux-musl.cmake), a row here, and the presets written again.
#
#   name       the build's, and its presets'
#   toolchain  its toolchain file, under cmake/toolchains/
#   libc       the C library that das links
#   link       static or dynamic: Debian 12's cross C libraries for armhf, riscv64, ppc64el and
#              s390x have no start file for a static PIE (rcrt1.o), so das is a dynamic PIE there
#   musl       musl's directory names for the machine (/usr/include/<musl>, /usr/lib/<musl>)
#   triplet    the cross compiler's, as in Debian's g++-<triplet>
#   debian rpm arch uname readelf image
#              the machine as Debian, RPM, Arch Linux, uname -m, readelf and container images name it
#   runner     the program that runs its das here, or - where this machine runs it itself
#   packages   what its das goes into: deb, rpm, tarball (musl's), image (a platform of the
#              container image), zip (Windows'); - for none (a build that is only tested)
#
# and, made from those fields: system (Windows for the UCRT's build, else Linux), and what each build
# needs from Debian: needs_compiler (its compiler's package, g++ where the machine is this one),
# needs_libc (musl-dev of its architecture) and needs_runner (the runner's packages).
#
# Each .deb and RPM carries the musl das where Debian has musl for the machine, glibc's elsewhere.
if(CMAKE_SCRIPT_MODE_FILE STREQUAL CMAKE_CURRENT_LIST_FILE)
  cmake_minimum_required(VERSION 3.25)
endif()
set(DAS_BUILD_FIELDS name toolchain libc link musl triplet debian rpm arch uname readelf image runner packages
    system needs_compiler needs_libc needs_runner)
cmake_host_system_information(RESULT das_host QUERY OS_PLATFORM)
function(das_build name toolchain libc link musl triplet debian rpm arch uname readelf image runner)
  set(DAS_BUILDS ${DAS_BUILDS} ${name} PARENT_SCOPE)
  set(packages ${ARGN})
  set(needs_libc "")
  if(libc STREQUAL "musl")
    set(needs_libc musl-dev:${debian})
  endif()
  if(libc STREQUAL "ucrt")
    set(system Windows)
    set(needs_compiler g++-mingw-w64-x86-64-posix)
    set(needs_runner wine wine64)
  else()
    set(system Linux)
    string(REPLACE "_" "-" needs_compiler g++-${triplet})
    if(uname STREQUAL das_host)
      set(needs_compiler g++)
    endif()
    set(needs_runner qemu-user)
  endif()
  if(runner STREQUAL "-")
    set(needs_runner "")
  endif()
  foreach(field IN LISTS DAS_BUILD_FIELDS)
    if("${${field}}" STREQUAL "-")
      set(${field} "")
    endif()
    string(TOUPPER ${field} upper)
    set(DAS_BUILD_${name}_${upper} "${${field}}" PARENT_SCOPE)
  endforeach()
endfunction()
set(DAS_BUILDS "")
#         name          toolchain                    libc  link    musl                   triplet               debian  rpm     arch        uname   readelf                         image         runner       packages
das_build(musl          x86_64-linux-musl.cmake      musl  static  x86_64-linux-musl      x86_64-linux-gnu      amd64   x86_64  x86_64      x86_64  "Advanced Micro Devices X86-64" linux/amd64   -            deb rpm tarball image)
das_build(windows       mingw-w64.cmake              ucrt  static  -                      x86_64-w64-mingw32    -       -       -           x86_64  -                               windows/amd64 wine         zip)
das_build(arm64         aarch64-linux-gnu.cmake      glibc static  -                      aarch64-linux-gnu     arm64   aarch64 aarch64     aarch64 AArch64                         linux/arm64   qemu-aarch64 -)
das_build(arm64-musl    aarch64-linux-musl.cmake     musl  static  aarch64-linux-musl     aarch64-linux-gnu     arm64   aarch64 aarch64     aarch64 AArch64                         linux/arm64   qemu-aarch64 deb rpm tarball image)
das_build(armhf         arm-linux-gnueabihf.cmake    glibc dynamic -                      arm-linux-gnueabihf   armhf   armv7hl armv7h      armv7l  ARM                             linux/arm/v7  qemu-arm     -)
das_build(armhf-musl    arm-linux-musleabihf.cmake   musl  static  arm-linux-musleabihf   arm-linux-gnueabihf   armhf   armv7hl armv7h      armv7l  ARM                             linux/arm/v7  qemu-arm     deb rpm tarball image)
das_build(riscv64       riscv64-linux-gnu.cmake      glibc dynamic -                      riscv64-linux-gnu     riscv64 riscv64 riscv64     riscv64 RISC-V                          linux/riscv64 qemu-riscv64 deb rpm)
das_build(i386          i686-linux-gnu.cmake         glibc static  -                      i686-linux-gnu        i386    i686    i686        i686    "Intel 80386"                   linux/386     qemu-i386    -)
das_build(i386-musl     i686-linux-musl.cmake        musl  static  i386-linux-musl        i686-linux-gnu        i386    i686    i686        i686    "Intel 80386"                   linux/386     qemu-i386    deb rpm tarball image)
das_build(ppc64el       powerpc64le-linux-gnu.cmake  glibc dynamic -                      powerpc64le-linux-gnu ppc64el ppc64le powerpc64le ppc64le PowerPC64                       linux/ppc64le qemu-ppc64le -)
das_build(ppc64el-musl  powerpc64le-linux-musl.cmake musl  static  powerpc64le-linux-musl powerpc64le-linux-gnu ppc64el ppc64le powerpc64le ppc64le PowerPC64                       linux/ppc64le qemu-ppc64le deb rpm tarball image)
das_build(s390x         s390x-linux-gnu.cmake        glibc dynamic -                      s390x-linux-gnu       s390x   s390x   s390x       s390x   "IBM S/390"                     linux/s390x   qemu-s390x   -)
das_build(s390x-musl    s390x-linux-musl.cmake       musl  static  s390x-linux-musl       s390x-linux-gnu       s390x   s390x   s390x       s390x   "IBM S/390"                     linux/s390x   qemu-s390x   deb rpm tarball image)

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

if(NOT CMAKE_SCRIPT_MODE_FILE STREQUAL CMAKE_CURRENT_LIST_FILE)
  return()
endif()

if(WHAT STREQUAL "table")
  list(JOIN DAS_BUILD_FIELDS "\t" lines)
  string(APPEND lines "\n")
  foreach(name IN LISTS DAS_BUILDS)
    set(line "")
    foreach(field IN LISTS DAS_BUILD_FIELDS)
      string(TOUPPER ${field} field)
      set(value "${DAS_BUILD_${name}_${field}}")
      string(REPLACE ";" "," value "${value}")
      if(value STREQUAL "")
        set(value -)
      endif()
      list(APPEND line "${value}")
    endforeach()
    list(JOIN line "\t" line)
    string(APPEND lines "${line}\n")
  endforeach()
  execute_process(COMMAND ${CMAKE_COMMAND} -E echo_append "${lines}")
  return()
elseif(DEFINED WHAT)
  message(FATAL_ERROR "Say what: cmake [-D WHAT=table] -P ${CMAKE_CURRENT_LIST_FILE}")
endif()

# The presets: for each build, configure (the tests against its das), build, test and workflow
# presets of its name, on the "test" and "base" presets of cmake/presets/base.json (a preset can
# stand only on one of its own file or of a file that it includes).
include(${CMAKE_CURRENT_LIST_DIR}/package/json.cmake)
set(made "Made by cmake -P cmake/builds.cmake from its table of builds: change the table and run that again, not this file.")
set(presets "{}")
string(JSON presets SET "${presets}" version 6)
string(JSON presets SET "${presets}" include "[\"base.json\"]")
string(JSON presets SET "${presets}" vendor "{}")
das_json_set(presets "${made}" vendor das)
foreach(kind configure build test workflow)
  string(JSON presets SET "${presets}" ${kind}Presets "[]")
endforeach()
foreach(name IN LISTS DAS_BUILDS)
  set(tested "tested here")
  if(DAS_BUILD_${name}_RUNNER)
    set(tested "tested under ${DAS_BUILD_${name}_RUNNER}")
  endif()
  set(preset "{}")
  das_json_set(preset ${name} name)
  das_json_set(preset test inherits)
  das_json_set(preset "das for ${DAS_BUILD_${name}_SYSTEM} on ${DAS_BUILD_${name}_UNAME} (${DAS_BUILD_${name}_LIBC}, \
${DAS_BUILD_${name}_LINK}), ${tested}" displayName)
  das_json_set(preset "\${sourceDir}/build/${name}" binaryDir)
  string(JSON preset SET "${preset}" cacheVariables "{}")
  das_json_set(preset ${name} cacheVariables DAS_TEST_BUILD)
  das_json_append(presets "${preset}" configurePresets)

  set(preset "{}")
  das_json_set(preset ${name} name)
  das_json_set(preset ${name} configurePreset)
  das_json_append(presets "${preset}" buildPresets)
  das_json_set(preset base inherits)
  das_json_append(presets "${preset}" testPresets)

  set(preset "{}")
  das_json_set(preset ${name} name)
  string(JSON preset SET "${preset}" steps "[]")
  foreach(step configure build test)
    set(json "{}")
    das_json_set(json ${step} type)
    das_json_set(json ${name} name)
    das_json_append(preset "${json}" steps)
  endforeach()
  das_json_append(presets "${preset}" workflowPresets)
endforeach()
if(NOT DEFINED OUT)
  set(OUT ${CMAKE_CURRENT_LIST_DIR}/presets/builds.json)
endif()
file(WRITE ${OUT} "${presets}\n")
