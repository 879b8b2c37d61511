# The RPM of a build whose row of cmake/builds.cmake says rpm, named as Fedora names its packages,
# with the Debian package's words, all of it:
#
#   das_rpm_file(<variable> <build> <version>)  its name, at the package build's configure time
#   das_rpm_install()    the build's install of the component rpm (with the component program): the
#                        page compressed, the licence under /usr/share/licenses; at the build's
#                        configure time
#   das_rpm_make(<file>) the package, by rpmbuild -bb from das.rpm.in, which copies in that install
#                        and lists what it holds; at build time, in cmake/package/packages.cmake
include_guard(GLOBAL)
include(${CMAKE_CURRENT_LIST_DIR}/rpm-changelog.cmake)

function(das_rpm_file variable build version)
  set(${variable} das-${version}-1.${DAS_BUILD_${build}_RPM}.rpm PARENT_SCOPE)
endfunction()

function(das_rpm_install)
  install(FILES ${PROJECT_BINARY_DIR}/das.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1 COMPONENT rpm EXCLUDE_FROM_ALL)
  install(FILES LICENSE DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/licenses/das COMPONENT rpm EXCLUDE_FROM_ALL)
endfunction()

function(das_rpm_make file)
  set(root ${work}/rpm)
  stage(${root}/root /usr program rpm)
  set(STAGED ${root}/root)
  # What it holds, as the install staged it: every file, a licence marked as one, and the
  # directories of das's own (named das), which no other package owns.
  set(files "")
  file(GLOB_RECURSE entries LIST_DIRECTORIES true RELATIVE ${STAGED} ${STAGED}/*)
  list(SORT entries)
  foreach(entry IN LISTS entries)
    cmake_path(GET entry FILENAME name)
    if(NOT IS_DIRECTORY ${STAGED}/${entry})
      if(entry MATCHES "^usr/share/licenses/")
        string(APPEND files "%license ")
      endif()
      string(APPEND files "/${entry}\n")
    elseif(name STREQUAL "das")
      string(APPEND files "%dir /${entry}\n")
    endif()
  endforeach()
  file(WRITE ${root}/files "${files}")
  set(FILES ${root}/files)
  # RPM's summary begins with a capital.
  string(SUBSTRING "${release_summary}" 0 1 first)
  string(SUBSTRING "${release_summary}" 1 -1 rest)
  string(TOUPPER "${first}" first)
  set(SUMMARY "${first}${rest}")
  set(ABOUT "${about}")
  # What das carries of other packages' code, as Fedora says it: bundled(name) = upstream version.
  set(bundled "")
  das_json_indexes(indexes "${built_from}" embedded)
  foreach(index IN LISTS indexes)
    das_json_read(library "${built_from}" embedded ${index})
    list(APPEND bundled "bundled(${library_name}) = ${library_version}")
  endforeach()
  list(SORT bundled)
  set(PROVIDES "")
  foreach(provides IN LISTS bundled)
    string(APPEND PROVIDES "Provides:       ${provides}\n")
  endforeach()
  # A static das needs no run-time linker, though rpm's scan would say it does.
  set(AUTOREQ "")
  if(DAS_STATIC)
    set(AUTOREQ "AutoReq:        no\n")
  endif()
  das_rpm_changelog(CHANGELOG ${top}/docs/changelog)
  configure_file(${CMAKE_CURRENT_FUNCTION_LIST_DIR}/das.rpm.in ${root}/das.rpm-build @ONLY)
  find_program(rpmbuild rpmbuild REQUIRED)
  run(${rpmbuild} -bb --quiet --target ${DAS_BUILD_${BUILD}_RPM} --define "_topdir ${root}/top" ${root}/das.rpm-build)
  file(COPY_FILE ${root}/top/RPMS/${DAS_BUILD_${BUILD}_RPM}/${file} ${release_packages}/${file})
endfunction()
