# How each build of das is installed and packaged, from one set of install rules:
#   Linux (glibc)  a Debian package for its architecture, laid out as Debian's policy asks when
#                  DAS_PACKAGE is on
#   Windows        a zip with das.exe, the README and the licence at its top
#   musl, and any  a tarball to unpack into a prefix: bin/das, share/man/man1/das.1, the licence,
#   other system   named after the system and processor it is for

# The directories an install makes are 0755 whatever the builder's umask.
set(CMAKE_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
  OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)

if(WIN32)
  install(TARGETS das RUNTIME DESTINATION .)
  install(FILES README.md LICENSE DESTINATION .)
  set(CPACK_GENERATOR ZIP)
  set(CPACK_PACKAGE_FILE_NAME das-${PROJECT_VERSION}-windows-${CMAKE_SYSTEM_PROCESSOR})
elseif(DAS_PACKAGE AND CMAKE_SYSTEM_NAME STREQUAL "Linux" AND NOT DAS_LIBC)
  install(TARGETS das RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
  find_program(DAS_GZIP gzip REQUIRED)
  # Compressed without a name or time in the header, so the same page gives the same bytes.
  foreach(source ${PROJECT_BINARY_DIR}/das.1 ${PROJECT_SOURCE_DIR}/docs/changelog)
    cmake_path(GET source FILENAME file)
    add_custom_command(OUTPUT ${file}.gz
      COMMAND /bin/sh -c [["$0" -9n <"$1" >"$2"]] ${DAS_GZIP} ${source} ${file}.gz
      DEPENDS ${source} VERBATIM)
  endforeach()
  add_custom_target(das_docs ALL DEPENDS das.1.gz changelog.gz)
  install(FILES ${PROJECT_BINARY_DIR}/das.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
  install(FILES ${PROJECT_BINARY_DIR}/changelog.gz DESTINATION ${CMAKE_INSTALL_DOCDIR})
  install(FILES LICENSE DESTINATION ${CMAKE_INSTALL_DOCDIR} RENAME copyright)
  install(FILES cmake/lintian-overrides DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/lintian/overrides RENAME das)

  set(CPACK_GENERATOR DEB)
  set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
  set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
  if(CMAKE_CROSSCOMPILING)
    # Left to itself, CPack asks dpkg, which names the host's architecture.
    set(debian_x86_64 amd64)
    set(debian_aarch64 arm64)
    set(CPACK_DEBIAN_PACKAGE_ARCHITECTURE ${debian_${CMAKE_SYSTEM_PROCESSOR}})
  endif()
  set(CPACK_DEBIAN_PACKAGE_SECTION utils)
  set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
  set(CPACK_DEBIAN_PACKAGE_MAINTAINER "The das developers <das@example.org>")
  set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
  set(CPACK_DEBIAN_PACKAGE_DESCRIPTION "das writes the greeting \"Hello, world!\" to standard output, reads one signed
decimal integer from standard input, and answers \"das\" and that number.
It has a defined answer for every input, reports every read or write failure
in its exit status, and leaves what it does not read for the next reader on
terminals, pipes and files alike. It is linked statically and needs nothing
outside its own binary.")
else()
  install(TARGETS das RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
  install(FILES ${PROJECT_BINARY_DIR}/das.1 DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
  install(FILES LICENSE DESTINATION ${CMAKE_INSTALL_DOCDIR})
  set(CPACK_GENERATOR TGZ)
  set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY OFF)
  # Named after the system it is for: linux, freebsd, netbsd, openbsd, macos.
  string(TOLOWER ${CMAKE_SYSTEM_NAME} system)
  string(REPLACE darwin macos system ${system})
  set(CPACK_PACKAGE_FILE_NAME das-${PROJECT_VERSION}-${system}-${CMAKE_SYSTEM_PROCESSOR})
  if(DAS_LIBC)
    string(APPEND CPACK_PACKAGE_FILE_NAME -${DAS_LIBC})
  endif()
endif()

set(CPACK_PACKAGE_NAME das)
set(CPACK_PACKAGE_VENDOR "The das developers")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "greet, read one integer, answer with it")
set(CPACK_RESOURCE_FILE_LICENSE ${PROJECT_SOURCE_DIR}/LICENSE)
set(CPACK_OUTPUT_FILE_PREFIX ${DAS_PACKAGE_DIR})
set(CPACK_STRIP_FILES ON)
set(CPACK_VERBATIM_VARIABLES ON)
set(CPACK_SOURCE_GENERATOR "")
# Every time CPack and the strip it runs write is the release's, unless the builder chose one.
file(CONFIGURE OUTPUT cpack-project.cmake @ONLY CONTENT [[
if(NOT DEFINED ENV{SOURCE_DATE_EPOCH})
  set(ENV{SOURCE_DATE_EPOCH} @DAS_RELEASE_EPOCH@)
endif()
]])
set(CPACK_PROJECT_CONFIG_FILE ${PROJECT_BINARY_DIR}/cpack-project.cmake)
if(CPACK_GENERATOR MATCHES "^(TGZ|ZIP)$" AND CMAKE_HOST_UNIX)
  list(APPEND CPACK_POST_BUILD_SCRIPTS ${PROJECT_SOURCE_DIR}/cmake/archive.cmake)
endif()
if(DAS_PACKAGE AND NOT CMAKE_CROSSCOMPILING)
  # This build's package is made last, after the other builds have made theirs.
  list(APPEND CPACK_POST_BUILD_SCRIPTS ${PROJECT_SOURCE_DIR}/cmake/checksums.cmake)
endif()
include(CPack)
