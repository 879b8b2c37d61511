# Configure time, every build: how das is installed.
#
#   Windows        das.exe, the README and the licence, side by side (the zip's contents)
#   anything else  bin/das, share/man/man1/das.1 and the licence under share/doc/das (a musl
#                  tarball's contents, and what `cmake --install` puts under a prefix)
#
# A build of cmake/builds.cmake in a package build (DAS_PACKAGE) also has what each kind of package
# its row names installs of its own, as components that only cmake/package/packages.cmake installs
# (deb and rpm, each with the program, component program; cmake/package/<kind>.cmake says what
# each holds), from the page and changelog compressed here. It writes what that script needs into
# das-package-<config>.cmake.
# Elsewhere `cpack` makes a plain tarball of the same files, for the BSDs and macOS.

# The directories an install makes are 0755 whatever the builder's umask.
set(CMAKE_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
  OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)

if(WIN32)
  install(TARGETS das RUNTIME DESTINATION . COMPONENT program)
  install(FILES README.md LICENSE DESTINATION .)
else()
  install(TARGETS das RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR} COMPONENT program)
  install(FILES ${PROJECT_BINARY_DIR}/das.1 DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
  install(FILES LICENSE DESTINATION ${CMAKE_INSTALL_DOCDIR})
endif()

if(DAS_PACKAGE AND DAS_BUILD AND NOT WIN32)
  find_program(DAS_GZIP gzip REQUIRED)
  # Compressed without a name or time in the header, so the same page gives the same bytes.
  foreach(source ${PROJECT_BINARY_DIR}/das.1 ${PROJECT_SOURCE_DIR}/docs/changelog)
    cmake_path(GET source FILENAME file)
    add_custom_command(OUTPUT ${file}.gz
      COMMAND /bin/sh -c [["$0" -9n <"$1" >"$2"]] ${DAS_GZIP} ${source} ${file}.gz
      DEPENDS ${source} VERBATIM)
  endforeach()
  add_custom_target(das_docs ALL DEPENDS das.1.gz changelog.gz)
endif()
# What each kind of package that the build's row names installs of its own, as its module says.
if(DAS_PACKAGE AND DAS_BUILD)
  foreach(kind IN LISTS DAS_BUILD_${DAS_BUILD}_PACKAGES)
    include(cmake/package/${kind}.cmake)
    if(COMMAND das_${kind}_install)
      cmake_language(CALL das_${kind}_install)
    endif()
  endforeach()
  # What the package script reads of this build, as CMake's own types: no text of it is parsed.
  set(das_built_from ${PROJECT_BINARY_DIR}/built-from-$<CONFIG>.json)
  file(GENERATE OUTPUT ${PROJECT_BINARY_DIR}/das-package-$<CONFIG>.cmake CONTENT "\
set(DAS_BUILD [==[${DAS_BUILD}]==])
set(DAS_STATIC ${DAS_STATIC})
set(DAS_READELF [==[${CMAKE_READELF}]==])
set(DAS_BUILT_FROM [==[${das_built_from}]==])
")
elseif(NOT DAS_PACKAGE)
  # A plain tarball of what an install holds, named after the system and processor it is for:
  # das-VERSION-freebsd-aarch64.tar.gz, -macos-arm64, -linux-x86_64.
  string(TOLOWER ${CMAKE_SYSTEM_NAME} system)
  string(REPLACE darwin macos system ${system})
  set(CPACK_PACKAGE_FILE_NAME das-${PROJECT_VERSION}-${system}-${CMAKE_SYSTEM_PROCESSOR})
  set(CPACK_GENERATOR TGZ)
  set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY OFF)
  set(CPACK_STRIP_FILES ON)
  set(CPACK_SOURCE_GENERATOR "")
  include(CPack)
endif()
