# How each build of das is installed and packaged, from one set of install rules:
#   Linux (glibc)  a Debian package for its architecture, laid out as Debian's policy asks when
#                  DAS_PACKAGE is on
#   Windows        a zip with das.exe, the README and the licence at its top
#   musl, and any  a tarball to unpack into a prefix: bin/das, share/man/man1/das.1, the licence,
#   other system   named after the system and processor it is for
# With DAS_PACKAGE, each package has its bill of materials beside it (cmake/embedded.cmake).

# The directories an install makes are 0755 whatever the builder's umask.
set(CMAKE_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
  OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)

set(CPACK_DAS_URL "https://example.org/das")
if(DAS_PACKAGE)
  include(${PROJECT_SOURCE_DIR}/cmake/embedded.cmake)
endif()

if(WIN32)
  install(TARGETS das RUNTIME DESTINATION .)
  install(FILES README.md LICENSE DESTINATION .)
  set(CPACK_GENERATOR ZIP)
  set(CPACK_PACKAGE_FILE_NAME das-${PROJECT_VERSION}-windows-${CMAKE_SYSTEM_PROCESSOR})
elseif(DAS_PACKAGE AND CMAKE_SYSTEM_NAME STREQUAL "Linux" AND NOT DAS_LIBC)
  # The program and its page go in both packages, each one's own files (components deb and rpm)
  # in one of them: Debian keeps the licence as its copyright file beside the changelog, RPM under
  # /usr/share/licenses, with the changelog in the package's header.
  install(TARGETS das RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR} COMPONENT das)
  find_program(DAS_GZIP gzip REQUIRED)
  # Compressed without a name or time in the header, so the same page gives the same bytes.
  foreach(source ${PROJECT_BINARY_DIR}/das.1 ${PROJECT_SOURCE_DIR}/docs/changelog)
    cmake_path(GET source FILENAME file)
    add_custom_command(OUTPUT ${file}.gz
      COMMAND /bin/sh -c [["$0" -9n <"$1" >"$2"]] ${DAS_GZIP} ${source} ${file}.gz
      DEPENDS ${source} VERBATIM)
  endforeach()
  add_custom_target(das_docs ALL DEPENDS das.1.gz changelog.gz)
  install(FILES ${PROJECT_BINARY_DIR}/das.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1 COMPONENT das)
  install(FILES ${PROJECT_BINARY_DIR}/changelog.gz DESTINATION ${CMAKE_INSTALL_DOCDIR} COMPONENT deb)
  install(FILES LICENSE DESTINATION ${CMAKE_INSTALL_DOCDIR} RENAME copyright COMPONENT deb)
  if(DAS_STATIC)
    install(FILES cmake/lintian-overrides DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/lintian/overrides RENAME das
            COMPONENT deb)
  endif()
  install(FILES LICENSE DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/licenses/das COMPONENT rpm)
  set(CPACK_DEB_COMPONENT_INSTALL ON)
  set(CPACK_RPM_COMPONENT_INSTALL ON)
  set(CPACK_COMPONENTS_GROUPING ALL_COMPONENTS_IN_ONE)
  set(CPACK_DAS_COMPONENTS_DEB das deb)
  set(CPACK_DAS_COMPONENTS_RPM das rpm)

  set(CPACK_GENERATOR DEB RPM)
  set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
  set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
  if(CMAKE_CROSSCOMPILING)
    # Left to itself, CPack asks dpkg, which names the host's architecture; the toolchain file
    # names the one it builds for.
    set(CPACK_DEBIAN_PACKAGE_ARCHITECTURE ${DAS_DEBIAN_ARCH})
  endif()
  set(CPACK_DEBIAN_PACKAGE_SECTION utils)
  set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
  set(CPACK_DEBIAN_PACKAGE_MAINTAINER "The das developers <das@example.org>")
  set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
  # dpkg-deb writes the .deb again, the same whatever the umask and file system of the build.
  list(PREPEND CPACK_POST_BUILD_SCRIPTS ${PROJECT_SOURCE_DIR}/cmake/deb.cmake)
  set(CPACK_DEBIAN_PACKAGE_DESCRIPTION "das writes the greeting \"Hello, world!\" to standard output, reads one signed
decimal integer from standard input, and answers \"das\" and that number.
It has a defined answer for every input, reports every read or write failure
in its exit status, and leaves what it does not read for the next reader on
terminals, pipes and files alike.")
  if(DAS_STATIC)
    string(APPEND CPACK_DEBIAN_PACKAGE_DESCRIPTION " It is linked statically and needs nothing
outside its own binary.")
  else()
    # A dynamic das depends on the C library it was linked against, from the version whose
    # symbols it uses on, as dpkg-shlibdeps would say; worked out from the installed das.
    set(CPACK_DAS_READELF ${CMAKE_READELF})
    list(APPEND CPACK_PRE_BUILD_SCRIPTS ${PROJECT_SOURCE_DIR}/cmake/depends.cmake)
  endif()

  # RPM: named as Fedora names its packages, with the Debian package's words and changelog, and
  # built reproducibly: every time the release's, no build host or build-id links of this machine.
  set(CPACK_RPM_FILE_NAME RPM-DEFAULT)
  if(NOT DAS_RPM_ARCH)
    set(DAS_RPM_ARCH ${CMAKE_SYSTEM_PROCESSOR})
  endif()
  set(CPACK_RPM_PACKAGE_ARCHITECTURE ${DAS_RPM_ARCH})
  set(CPACK_RPM_PACKAGE_LICENSE ISC)
  set(CPACK_PACKAGE_RELOCATABLE OFF)
  set(CPACK_RPM_PACKAGE_SUMMARY "Greet, read one integer, answer with it")
  set(CPACK_RPM_PACKAGE_URL ${CPACK_DAS_URL})
  set(CPACK_RPM_USER_BINARY_SPECFILE ${PROJECT_SOURCE_DIR}/cmake/das.rpm.in)
  set(CPACK_RPM_USER_FILELIST "%license ${CPACK_PACKAGING_INSTALL_PREFIX}/${CMAKE_INSTALL_DATAROOTDIR}/licenses/das/LICENSE")
  set(CPACK_RPM_PACKAGE_DESCRIPTION "${CPACK_DEBIAN_PACKAGE_DESCRIPTION}")
  # A static das needs no run-time linker, though rpm's scan would say it does.
  if(DAS_STATIC)
    set(CPACK_RPM_PACKAGE_AUTOREQ OFF)
  endif()
  set(CPACK_RPM_EXCLUDE_FROM_AUTO_FILELIST_ADDITION /usr/share/man /usr/share/man/man1 /usr/share/licenses)
  list(APPEND CPACK_PRE_BUILD_SCRIPTS ${PROJECT_SOURCE_DIR}/cmake/dated.cmake)
  # The code das carries of other packages, as Debian (Built-Using) and Fedora (bundled()) say it.
  list(APPEND CPACK_PRE_BUILD_SCRIPTS ${PROJECT_SOURCE_DIR}/cmake/built-using.cmake)
  include(${PROJECT_SOURCE_DIR}/cmake/rpm-changelog.cmake)
  set(CPACK_RPM_CHANGELOG_FILE ${PROJECT_BINARY_DIR}/rpm-changelog)
  set(CPACK_RPM_SPEC_MORE_DEFINE "%define packager ${CPACK_DEBIAN_PACKAGE_MAINTAINER}
%define _buildhost das.example.org
%define use_source_date_epoch_as_buildtime 1
%define clamp_mtime_to_source_date_epoch 1
%define _build_id_links none
%define debug_package %{nil}
%define __os_install_post %{nil}")
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
set(CPACK_DAS_RECORD ${DAS_PACKAGE_RECORD})
set(CPACK_STRIP_FILES ON)
set(CPACK_VERBATIM_VARIABLES ON)
set(CPACK_SOURCE_GENERATOR "")
# Every time CPack, the strip it runs and rpmbuild write is the release's, unless the builder chose
# one; each generator packages its own components.
file(CONFIGURE OUTPUT cpack-project.cmake @ONLY CONTENT [[
if(NOT DEFINED ENV{SOURCE_DATE_EPOCH})
  set(ENV{SOURCE_DATE_EPOCH} @DAS_RELEASE_EPOCH@)
endif()
if(DEFINED CPACK_DAS_COMPONENTS_${CPACK_GENERATOR})
  set(CPACK_COMPONENTS_ALL ${CPACK_DAS_COMPONENTS_${CPACK_GENERATOR}})
endif()
if(NOT CPACK_BUILD_CONFIG)
  set(CPACK_BUILD_CONFIG "@CMAKE_BUILD_TYPE@")
endif()
set(CPACK_DAS_BUILT_FROM "@PROJECT_BINARY_DIR@/built-from-${CPACK_BUILD_CONFIG}.cmake")
]])
set(CPACK_PROJECT_CONFIG_FILE ${PROJECT_BINARY_DIR}/cpack-project.cmake)
if(CPACK_GENERATOR MATCHES "^(TGZ|ZIP)$" AND CMAKE_HOST_UNIX)
  list(PREPEND CPACK_POST_BUILD_SCRIPTS ${PROJECT_SOURCE_DIR}/cmake/archive.cmake)
endif()
if(DAS_PACKAGE AND NOT CMAKE_CROSSCOMPILING)
  # The container image, from the musl builds' tarballs, is made with the other builds, before
  # this build's packages.
  include(${PROJECT_SOURCE_DIR}/cmake/need.cmake)
  das_need(DAS_BUILDAH PROGRAM buildah PACKAGE buildah FOR "The container image")
  find_program(DAS_TAR NAMES gtar tar REQUIRED)
  # A package build's configuration starts with no package noted as made; every build of it makes
  # the same packages again, which each note.
  file(REMOVE_RECURSE ${DAS_PACKAGE_RECORD})
  file(MAKE_DIRECTORY ${DAS_PACKAGE_RECORD})
  # The source tarball, from the source tree as it is now.
  find_program(DAS_GIT git)
  find_program(DAS_GZIP gzip REQUIRED)
  add_custom_target(das_source ALL
    COMMAND ${CMAKE_COMMAND} -DSOURCE=${PROJECT_SOURCE_DIR} -DOUT=${DAS_PACKAGE_DIR}/das-${PROJECT_VERSION}.tar.gz
      -DVERSION=${PROJECT_VERSION} -DEPOCH=${DAS_RELEASE_EPOCH} -DTAR=${DAS_TAR} -DGZIP=${DAS_GZIP} -DGIT=${DAS_GIT}
      -DCOMMIT_OUT=${PROJECT_BINARY_DIR}/source-commit -DRECORD=${DAS_PACKAGE_RECORD}
      -P ${PROJECT_SOURCE_DIR}/cmake/source.cmake
    VERBATIM)
  add_custom_target(das_image ALL
    COMMAND ${CMAKE_COMMAND} -DVERSION=${PROJECT_VERSION} -DEPOCH=${DAS_RELEASE_EPOCH}
      -DPACKAGES=${DAS_PACKAGE_DIR} -DWORK=${PROJECT_BINARY_DIR}/image -DBUILDAH=${DAS_BUILDAH}
      -DTAR=${DAS_TAR} -DSOURCE=${CPACK_DAS_URL} -DRECORD=${DAS_PACKAGE_RECORD} -DBUILT_FROM=${PROJECT_BINARY_DIR}/musl/built-from-${das_other_config}.cmake|${PROJECT_BINARY_DIR}/arm64-musl/built-from-${das_other_config}.cmake -DDESCRIPTION=${CPACK_PACKAGE_DESCRIPTION_SUMMARY}
      -P ${PROJECT_SOURCE_DIR}/cmake/image.cmake
    VERBATIM)
  add_dependencies(das_image das_musl das_arm64-musl)
  # The provenance names what every build read, and the programs that packaged them.
  set(CPACK_DAS_OTHER_BUILDS ${das_build_names})
  list(REMOVE_ITEM CPACK_DAS_OTHER_BUILDS native)
  list(TRANSFORM CPACK_DAS_OTHER_BUILDS PREPEND ${PROJECT_BINARY_DIR}/)
  if(NOT multi_config)
    set(CPACK_DAS_OTHER_CONFIG Release)
  endif()
  set(CPACK_DAS_SOURCE_COMMIT ${PROJECT_BINARY_DIR}/source-commit)
  set(CPACK_DAS_TOOLS ${DAS_TAR} ${DAS_GZIP} ${DAS_BUILDAH})
  foreach(program dpkg-deb rpmbuild zip)
    string(MAKE_C_IDENTIFIER "DAS_${program}" variable)
    string(TOUPPER ${variable} variable)
    find_program(${variable} ${program})
    if(${variable})
      list(APPEND CPACK_DAS_TOOLS ${${variable}})
    endif()
  endforeach()
  # This build's package is made last, after the other builds have made theirs.
  list(APPEND CPACK_POST_BUILD_SCRIPTS ${PROJECT_SOURCE_DIR}/cmake/checksums.cmake)
endif()
include(CPack)
