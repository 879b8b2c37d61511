# Build time, a package build: makes the packages of one build of cmake/builds.cmake, once it is
# built, each with its bill of materials beside it:
#
#   cmake -DRELEASE=<release.json> -DBUILD=<name> -DCONFIG=<configuration> -P packages.cmake
#
#   1. stage   for each kind's module: cmake --install, into a root of each package's own, of the
#              components it holds; every entry then 0644 or 0755, dated SOURCE_DATE_EPOCH (the
#              release's, unless the builder sets it), so that neither umask nor the source's
#              dates reach a package
#   2. make    each package the build's row names, by das_<kind>_make of cmake/package/<kind>.cmake
#   3. bills   <package>.cdx.json (cyclonedx.cmake), from what built-from.cmake found in das
#
# A module's das_<kind>_make(<file>) writes <file> into release_packages; it has stage(), run(),
# das_staged_files(), the release's fields (release_*), `about` (the long description, for this
# build), `built_from` (the build's record, read from DAS_BUILT_FROM), BUILD, DAS_STATIC,
# DAS_READELF, `work` (its scratch) and `top`.
cmake_minimum_required(VERSION 3.25)
include(${CMAKE_CURRENT_LIST_DIR}/json.cmake)
include(${CMAKE_CURRENT_LIST_DIR}/cyclonedx.cmake)
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

file(READ ${DAS_BUILT_FROM} built_from)
set(about "${release_about}")
if(DAS_STATIC)
  string(APPEND about " ${release_about_static}")
endif()

# The files of a staged root, relative to it, in name order: an archive's members, which CMake's
# own archive writer would take in the order the file system lists them.
function(das_staged_files variable root)
  file(GLOB_RECURSE files LIST_DIRECTORIES false RELATIVE ${root} ${root}/*)
  list(SORT files)
  set(${variable} ${files} PARENT_SCOPE)
endfunction()

# 2. Each package of the build, by its kind's module; 3. each one's bill of materials. A kind with a
# step of its own (the image) is made there.
foreach(kind IN LISTS DAS_BUILD_${BUILD}_PACKAGES)
  include(${CMAKE_CURRENT_LIST_DIR}/${kind}.cmake)
  if(COMMAND das_${kind}_make)
    string(JSON file GET "${release_builds}" ${BUILD} packages ${kind})
    cmake_language(CALL das_${kind}_make ${file})
    das_cyclonedx(PACKAGE ${release_packages}/${file} OUTPUT ${release_packages}/${file}.cdx.json
      BUILT_FROM ${DAS_BUILT_FROM})
  endif()
endforeach()
file(REMOVE_RECURSE ${work})
