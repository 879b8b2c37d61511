# The Debian package of a build whose row of cmake/builds.cmake says deb, all of it:
#
#   das_deb_file(<variable> <build> <version>)  its name, at the package build's configure time
#   das_deb_install()    the build's install of the component deb (with the component program): the
#                        page compressed, the licence as Debian's copyright file beside the changelog,
#                        and lintian's override for a static program; at the build's configure time
#   das_deb_make(<file>) the package, by dpkg-deb --root-owner-group from that install and
#                        control.in; at build time, in cmake/package/packages.cmake
include_guard(GLOBAL)

function(das_deb_file variable build version)
  set(${variable} das_${version}_${DAS_BUILD_${build}_DEBIAN}.deb PARENT_SCOPE)
endfunction()

function(das_deb_install)
  install(FILES ${PROJECT_BINARY_DIR}/das.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1 COMPONENT deb EXCLUDE_FROM_ALL)
  install(FILES ${PROJECT_BINARY_DIR}/changelog.gz DESTINATION ${CMAKE_INSTALL_DOCDIR} COMPONENT deb EXCLUDE_FROM_ALL)
  install(FILES LICENSE DESTINATION ${CMAKE_INSTALL_DOCDIR} RENAME copyright COMPONENT deb EXCLUDE_FROM_ALL)
  if(DAS_STATIC)
    install(FILES cmake/package/lintian-overrides DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/lintian/overrides
            RENAME das COMPONENT deb EXCLUDE_FROM_ALL)
  endif()
endfunction()

function(das_deb_make file)
  set(root ${work}/deb)
  stage(${root} /usr program deb)
  # Installed-Size as dpkg-gencontrol reckons it: each file in KiB, rounded up, and 1 for each
  # directory, the tree's top among them.
  set(size 1)
  set(md5sums "")
  file(GLOB_RECURSE entries LIST_DIRECTORIES true RELATIVE ${root} ${root}/*)
  list(SORT entries)
  foreach(entry IN LISTS entries)
    if(IS_DIRECTORY ${root}/${entry})
      math(EXPR size "${size} + 1")
    else()
      file(SIZE ${root}/${entry} bytes)
      math(EXPR size "${size} + (${bytes} + 1023) / 1024")
      file(MD5 ${root}/${entry} md5)
      string(APPEND md5sums "${md5}  ${entry}\n")
    endif()
  endforeach()
  set(relations "")
  if(NOT DAS_STATIC)
    # A dynamic das depends on the C library from the newest version whose symbols it uses, as
    # dpkg-shlibdeps would say; readelf's words follow the locale, so it is read in C's.
    execute_process(COMMAND ${CMAKE_COMMAND} -E env LC_ALL=C ${DAS_READELF} --version-info --wide ${root}/usr/bin/das
      OUTPUT_VARIABLE versions COMMAND_ERROR_IS_FATAL ANY)
    string(REGEX MATCHALL "Name: GLIBC_[0-9.]+" versions "${versions}")
    set(newest "")
    foreach(symbols IN LISTS versions)
      string(REPLACE "Name: GLIBC_" "" symbols ${symbols})
      if(symbols VERSION_GREATER newest)
        set(newest ${symbols})
      endif()
    endforeach()
    if(NOT newest)
      message(FATAL_ERROR "${root}/usr/bin/das asks for no version of the C library")
    endif()
    string(APPEND relations "Depends: libc6 (>= ${newest})\n")
  endif()
  # What das carries of other packages' code, as Debian says it: each source package at its exact
  # version, the one its library's package was built from and, for a cross package, the one whose
  # code that repackages.
  set(built_using "")
  das_json_indexes(indexes "${built_from}" embedded)
  foreach(index IN LISTS indexes)
    das_json_read(library "${built_from}" embedded ${index})
    list(APPEND built_using "${library_source} (= ${library_source_version})" "${library_origin} (= ${library_origin_version})")
  endforeach()
  list(REMOVE_DUPLICATES built_using)
  list(SORT built_using)
  list(JOIN built_using ", " built_using)
  if(built_using)
    string(APPEND relations "Built-Using: ${built_using}\n")
  endif()
  set(ARCHITECTURE ${DAS_BUILD_${BUILD}_DEBIAN})
  set(INSTALLED_SIZE ${size})
  set(RELATIONS "${relations}")
  # The long description, a line each, each begun with a space.
  string(REPLACE "\n" "\n " ABOUT " ${about}")
  configure_file(${CMAKE_CURRENT_FUNCTION_LIST_DIR}/control.in ${root}/DEBIAN/control @ONLY)
  file(WRITE ${root}/DEBIAN/md5sums "${md5sums}")
  run(${chmod} -R u=rwX,go=rX ${root}/DEBIAN)
  run(${touch} -h -d @${release_epoch} -- ${root}/DEBIAN ${root}/DEBIAN/control ${root}/DEBIAN/md5sums)
  find_program(dpkg_deb dpkg-deb REQUIRED)
  run(${dpkg_deb} --root-owner-group --build ${root} ${release_packages}/${file})
endfunction()
