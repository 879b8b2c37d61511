# What a package build needs from Debian, on a Debian machine: the tools of the package build and,
# for each build of cmake/builds.cmake that goes into a package, what its row says it needs to be
# built (its compiler, and musl's development files of its architecture for a musl build).
#
#   cmake -D WHAT=architectures -P cmake/debian.cmake   the architectures to add, a line each
#   cmake -D WHAT=packages -P cmake/debian.cmake        the packages to install, a line each
#
# docs/releasing.md shows how to install them with apt-get; CI installs them so.
cmake_minimum_required(VERSION 3.25)
include(${CMAKE_CURRENT_LIST_DIR}/builds.cmake)
execute_process(COMMAND dpkg --print-architecture OUTPUT_VARIABLE host OUTPUT_STRIP_TRAILING_WHITESPACE
  COMMAND_ERROR_IS_FATAL ANY)

# The package build's own tools: CMake and a compiler for das of this machine, GNU tar, zip,
# rpmbuild and buildah (dpkg-deb and gzip are on every Debian machine).
set(packages cmake make g++ tar zip rpm buildah)
set(architectures "")
foreach(name IN LISTS DAS_BUILDS)
  if(NOT DAS_BUILD_${name}_PACKAGES)
    continue()
  endif()
  list(APPEND packages ${DAS_BUILD_${name}_NEEDS_COMPILER} ${DAS_BUILD_${name}_NEEDS_LIBC})
  if(DAS_BUILD_${name}_NEEDS_LIBC AND NOT DAS_BUILD_${name}_DEBIAN STREQUAL host)
    list(APPEND architectures ${DAS_BUILD_${name}_DEBIAN})
  endif()
endforeach()

if(WHAT STREQUAL "architectures")
  set(answer ${architectures})
elseif(WHAT STREQUAL "packages")
  set(answer ${packages})
else()
  message(FATAL_ERROR "Say what: cmake -D WHAT=architectures|packages -P ${CMAKE_CURRENT_LIST_FILE}")
endif()
list(REMOVE_DUPLICATES answer)
list(SORT answer)
list(JOIN answer "\n" answer)
if(answer)
  execute_process(COMMAND ${CMAKE_COMMAND} -E echo "${answer}")
endif()
