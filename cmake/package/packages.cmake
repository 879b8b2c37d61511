# Build time, a package build: makes the packages of one build of cmake/builds.cmake, once it is
# built, each with its bill of materials beside it, in this order:
#
#   cmake -DRELEASE=<release.json> -DBUILD=<name> -DCONFIG=<configuration> -P packages.cmake
#
#   1. stage   cmake --install, into a root of each package's own, of the components it holds;
#              every entry then 0644 or 0755, dated SOURCE_DATE_EPOCH (the release's, unless the
#              builder sets it), so that neither umask nor the source's dates reach a package
#   2. deb     dpkg-deb --root-owner-group from the staged root and control.in
#   3. rpm     rpmbuild -bb from das.rpm.in, which copies in the staged root
#   4. tarball, zip  written here: files only, in name order, root's, all dated alike
#   5. bills   <package>.cdx.json (cyclonedx.cmake), from what built-from.cmake found in das
cmake_minimum_required(VERSION 3.25)
include(${CMAKE_CURRENT_LIST_DIR}/json.cmake)
include(${CMAKE_CURRENT_LIST_DIR}/cyclonedx.cmake)
include(${CMAKE_CURRENT_LIST_DIR}/rpm-changelog.cmake)
include(${CMAKE_CURRENT_LIST_DIR}/release.cmake)
include(${CMAKE_CURRENT_LIST_DIR}/../builds.cmake)
cmake_path(GET CMAKE_CURRENT_LIST_DIR PARENT_PATH cmake_dir)
cmake_path(GET cmake_dir PARENT_PATH top)

das_read_release(${RELEASE})
string(JSON directory GET "${release_builds}" ${BUILD} directory)
include(${directory}/das-package-${CONFIG}.cmake)
set(ENV{SOURCE_DATE_EPOCH} ${release_epoch})
set(work ${directory}/packaging)
file(MAKE_DIRECTORY ${release_packages})
file(REMOVE_RECURSE ${work})
find_program(touch touch REQUIRED)
find_program(chmod chmod REQUIRED)

function(run)
  execute_process(COMMAND ${ARGN} RESULTS_VARIABLE results OUTPUT_VARIABLE out ERROR_VARIABLE out)
  foreach(result IN LISTS results)
    if(NOT result EQUAL 0)
      message(FATAL_ERROR "${ARGN}: ${results}\n${out}")
    endif()
  endforeach()
endfunction()

# 1. The components named (all that an install holds, if none is) installed under the prefix into
# the root, stripped.
function(stage root prefix)
  set(components ${ARGN})
  if(NOT components)
    set(components all)
  endif()
  file(MAKE_DIRECTORY ${root})
  foreach(component IN LISTS components)
    set(only --component ${component})
    if(component STREQUAL "all")
      set(only "")
    endif()
    # binutils' strip writes SOURCE_DATE_EPOCH into a PE header's time stamp, which the link left
    # at 0, no time at all: 0 keeps it so.
    run(${CMAKE_COMMAND} -E env DESTDIR=${root} SOURCE_DATE_EPOCH=0 ${CMAKE_COMMAND} --install ${directory}
        --config ${CONFIG} --prefix ${prefix} --strip ${only})
  endforeach()
  file(GLOB_RECURSE entries LIST_DIRECTORIES true ${root}/*)
  run(${chmod} -R u=rwX,go=rX ${root})
  run(${touch} -h -d @${release_epoch} -- ${root} ${entries})
endfunction()

# What das carries of other packages' code, as Debian (Built-Using: each source package at its
# exact version, the one its library's package was built from and, for a cross package, the one
# whose code that repackages) and Fedora (Provides: bundled(name) = upstream version) say it.
file(READ ${DAS_BUILT_FROM} built_from)
set(built_using "")
set(bundled "")
das_json_indexes(indexes "${built_from}" embedded)
foreach(index IN LISTS indexes)
  das_json_read(library "${built_from}" embedded ${index})
  list(APPEND built_using "${library_source} (= ${library_source_version})" "${library_origin} (= ${library_origin_version})")
  list(APPEND bundled "bundled(${library_name}) = ${library_version}")
endforeach()
list(REMOVE_DUPLICATES built_using)
list(SORT built_using)
list(SORT bundled)
list(JOIN built_using ", " built_using)

set(about "${release_about}")
if(DAS_STATIC)
  string(APPEND about " ${release_about_static}")
endif()
set(made "")

# 2. The Debian package.
string(JSON deb ERROR_VARIABLE none GET "${release_builds}" ${BUILD} deb)
if(NOT none)
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
  if(built_using)
    string(APPEND relations "Built-Using: ${built_using}\n")
  endif()
  set(ARCHITECTURE ${DAS_BUILD_${BUILD}_DEBIAN})
  set(INSTALLED_SIZE ${size})
  set(RELATIONS "${relations}")
  # The long description, a line each, each begun with a space.
  string(REPLACE "\n" "\n " ABOUT " ${about}")
  configure_file(${CMAKE_CURRENT_LIST_DIR}/control.in ${root}/DEBIAN/control @ONLY)
  file(WRITE ${root}/DEBIAN/md5sums "${md5sums}")
  run(${chmod} -R u=rwX,go=rX ${root}/DEBIAN)
  run(${touch} -h -d @${release_epoch} -- ${root}/DEBIAN ${root}/DEBIAN/control ${root}/DEBIAN/md5sums)
  find_program(dpkg_deb dpkg-deb REQUIRED)
  run(${dpkg_deb} --root-owner-group --build ${root} ${release_packages}/${deb})
  list(APPEND made ${deb})
endif()

# 3. The RPM, named as Fedora names its packages, with the Debian package's words.
string(JSON rpm ERROR_VARIABLE none GET "${release_builds}" ${BUILD} rpm)
if(NOT none)
  set(root ${work}/rpm)
  stage(${root}/root /usr program rpm)
  set(STAGED ${root}/root)
  # RPM's summary begins with a capital.
  string(SUBSTRING "${release_summary}" 0 1 first)
  string(SUBSTRING "${release_summary}" 1 -1 rest)
  string(TOUPPER "${first}" first)
  set(SUMMARY "${first}${rest}")
  set(ABOUT "${about}")
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
  configure_file(${CMAKE_CURRENT_LIST_DIR}/das.rpm.in ${root}/das.rpm-build @ONLY)
  find_program(rpmbuild rpmbuild REQUIRED)
  run(${rpmbuild} -bb --quiet --target ${DAS_BUILD_${BUILD}_RPM} --define "_topdir ${root}/top" ${root}/das.rpm-build)
  file(COPY_FILE ${root}/top/RPMS/${DAS_BUILD_${BUILD}_RPM}/${rpm} ${release_packages}/${rpm})
  list(APPEND made ${rpm})
endif()

# 4. The tarball and the zip: CMake's own archive writer would record the builder's uid and gid
# (unpacked by root, the prefix's bin/ and share/ would be whoever built it) and take files in the
# order the file system lists them.
function(archive root out)
  file(GLOB_RECURSE files LIST_DIRECTORIES false RELATIVE ${root} ${root}/*)
  list(SORT files)
  if(out MATCHES "\\.tar\\.gz$")
    find_program(tar_program NAMES gtar tar REQUIRED)
    find_program(gzip_program gzip REQUIRED)
    execute_process(COMMAND ${tar_program} --create --format=ustar --no-recursion --owner=0 --group=0 --numeric-owner
        --mtime=@${release_epoch} --mode=u+rw,go=rX ${files}
      COMMAND ${gzip_program} -9n OUTPUT_FILE ${out} WORKING_DIRECTORY ${root} COMMAND_ERROR_IS_FATAL ANY)
  else()
    # Without its extra fields (-X) a zip entry keeps neither uid nor gid, only a time in the local
    # time zone of the DOS era.
    find_program(zip_program zip REQUIRED)
    file(REMOVE ${out})
    execute_process(COMMAND ${CMAKE_COMMAND} -E env TZ=UTC0 ${zip_program} -X -9 -q ${out} ${files}
      WORKING_DIRECTORY ${root} COMMAND_ERROR_IS_FATAL ANY)
  endif()
endfunction()
string(JSON tarball ERROR_VARIABLE none GET "${release_builds}" ${BUILD} tarball)
if(NOT none)
  stage(${work}/tarball /)
  archive(${work}/tarball ${release_packages}/${tarball})
  list(APPEND made ${tarball})
endif()
string(JSON zip ERROR_VARIABLE none GET "${release_builds}" ${BUILD} zip)
if(NOT none)
  string(REGEX REPLACE "\\.zip$" "" top_directory ${zip})
  stage(${work}/zip /${top_directory})
  archive(${work}/zip ${release_packages}/${zip})
  list(APPEND made ${zip})
endif()

# 5. Their bills of materials.
foreach(package IN LISTS made)
  das_cyclonedx(PACKAGE ${release_packages}/${package} OUTPUT ${release_packages}/${package}.cdx.json BUILT_FROM ${DAS_BUILT_FROM})
endforeach()
file(REMOVE_RECURSE ${work})
