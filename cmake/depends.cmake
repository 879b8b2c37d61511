# Run by CPack once it has installed a dynamic das for its Debian package: the package depends on
# the C library from the newest version of it whose symbols das uses.
cmake_minimum_required(VERSION 3.25)
file(GLOB_RECURSE das LIST_DIRECTORIES false ${CPACK_TEMPORARY_DIRECTORY}/das)
list(FILTER das INCLUDE REGEX "/bin/das$")
# readelf's words follow the locale ("Nom:" in French): read in C's.
execute_process(COMMAND ${CMAKE_COMMAND} -E env LC_ALL=C ${CPACK_DAS_READELF} --version-info --wide ${das}
  OUTPUT_VARIABLE versions COMMAND_ERROR_IS_FATAL ANY)
string(REGEX MATCHALL "Name: GLIBC_[0-9.]+" versions "${versions}")
set(newest "")
foreach(version IN LISTS versions)
  string(REPLACE "Name: GLIBC_" "" version ${version})
  if(version VERSION_GREATER newest)
    set(newest ${version})
  endif()
endforeach()
if(NOT newest)
  message(FATAL_ERROR "${das} asks for no version of the C library")
endif()
set(CPACK_DEBIAN_PACKAGE_DEPENDS "libc6 (>= ${newest})")
