# Configure time, the top of a package build (DAS_PACKAGE), once the builds that go into packages
# are configured (CMakeLists.txt): the release's steps, each a target, in this order:
#   1. each of those builds is built, then packaged by cmake/package/packages.cmake: each package
#      its row names, by that kind's module (cmake/package/deb.cmake, rpm, tarball, zip), with its
#      bill of materials;
#   2. the source tarball (cmake/package/source.cmake);
#   3. a package of several builds (the container image, cmake/package/image.cmake), by its
#      module's step, once those builds are packaged;
#   4. SHA256SUMS and the provenance, over everything above (cmake/package/checksums.cmake).
# What the release is (the project's details, its packages' words, which file each step makes) is
# written here once, into release.json, which every step reads, and cmake/release/sign.cmake and
# CI too.
include(${PROJECT_SOURCE_DIR}/cmake/need.cmake)
include(${PROJECT_SOURCE_DIR}/cmake/package/json.cmake)
das_need(DAS_BUILDAH PROGRAM buildah PACKAGE buildah FOR "The container image")
find_program(DAS_TAR NAMES gtar tar REQUIRED)
find_program(DAS_GZIP gzip REQUIRED)
find_program(DAS_GIT git)
set(tools ${DAS_TAR} ${DAS_GZIP} ${DAS_BUILDAH})
foreach(program dpkg-deb rpmbuild zip)
  string(MAKE_C_IDENTIFIER "DAS_${program}" variable)
  string(TOUPPER ${variable} variable)
  find_program(${variable} ${program} REQUIRED)
  list(APPEND tools ${${variable}})
endforeach()

set(version ${PROJECT_VERSION})
set(release "{}")
das_json_set(release "${PROJECT_NAME}" name)
das_json_set(release "${version}" version)
das_json_set(release "${PROJECT_HOMEPAGE_URL}" homepage)
das_json_set(release "${DAS_MAINTAINER}" maintainer)
# The maintainer, as the packages' vendor and the bills' supplier name and contact.
if(NOT DAS_MAINTAINER MATCHES "^(.+) <(.+)>$")
  message(FATAL_ERROR "DAS_MAINTAINER: not a name and an address: ${DAS_MAINTAINER}")
endif()
das_json_set(release "${CMAKE_MATCH_1}" vendor)
das_json_set(release "${CMAKE_MATCH_2}" contact)
das_json_set(release ISC licence)
string(JSON release SET "${release}" epoch ${DAS_RELEASE_EPOCH})
# The packages' own words.
das_json_set(release "${PROJECT_DESCRIPTION}" summary)
das_json_set(release "\
das writes the greeting \"Hello, world!\" to standard output, reads one signed
decimal integer from standard input, and answers \"das\" and that number.
It has a defined answer for every input, reports every read or write failure
in its exit status, and leaves what it does not read for the next reader on
terminals, pipes and files alike." about)
das_json_set(release "\
It is linked statically and needs nothing
outside its own binary." about_static)
# Where the packages are: relative to release.json's directory where they lie under it, so that a
# copy of the build's directory, release.json and packages together, is signed where it lies.
set(packages ${DAS_PACKAGE_DIR})
cmake_path(IS_PREFIX PROJECT_BINARY_DIR "${DAS_PACKAGE_DIR}" NORMALIZE inside)
if(inside)
  cmake_path(RELATIVE_PATH packages BASE_DIRECTORY ${PROJECT_BINARY_DIR})
endif()
das_json_set(release "${packages}" packages)
string(JSON release SET "${release}" tools "[]")
foreach(tool IN LISTS tools)
  das_json_add(release "${tool}" tools)
endforeach()

# The files of each step, and of the release: every one of them, which SHA256SUMS lists. Each kind
# of package that a row names is a module, cmake/package/<kind>.cmake, which names its file; a
# kind whose package holds several builds (the image) also makes it in a step of its own.
string(JSON release SET "${release}" builds "{}")
string(JSON release SET "${release}" files "[]")
set(files "")
macro(made file)
  if(NOT "${file}" IN_LIST files)
    list(APPEND files ${file})
    das_json_add(release "${file}" files)
  endif()
endmacro()
set(kinds "")
set(packaging_targets "")
foreach(name IN LISTS DAS_BUILDS)
  if(NOT DAS_BUILD_${name}_PACKAGES)
    continue()
  endif()
  string(JSON release SET "${release}" builds ${name} "{}")
  das_json_set(release "${PROJECT_BINARY_DIR}/${name}" builds ${name} directory)
  das_json_set(release "${PROJECT_BINARY_DIR}/${name}/built-from-${das_other_config}.json" builds ${name} built_from)
  string(JSON release SET "${release}" builds ${name} packages "{}")
  foreach(kind IN LISTS DAS_BUILD_${name}_PACKAGES)
    include(${PROJECT_SOURCE_DIR}/cmake/package/${kind}.cmake OPTIONAL RESULT_VARIABLE module)
    if(NOT module)
      message(FATAL_ERROR "cmake/builds.cmake: ${name}: no such package: ${kind} (no cmake/package/${kind}.cmake)")
    endif()
    cmake_language(CALL das_${kind}_file file ${name} ${version})
    das_json_set(release "${file}" builds ${name} packages ${kind})
    made(${file})
    made(${file}.cdx.json)
    list(APPEND kinds ${kind})
    list(APPEND builds_of_${kind} ${name})
  endforeach()
  # Packaged, whatever the configuration, once it is built.
  ExternalProject_Add_Step(das_${name} package
    COMMAND ${CMAKE_COMMAND} -DRELEASE=${PROJECT_BINARY_DIR}/release.json -DBUILD=${name}
      -DCONFIG=${das_other_config} -P ${PROJECT_SOURCE_DIR}/cmake/package/packages.cmake
    DEPENDEES build ALWAYS ON)
  ExternalProject_Add_StepTargets(das_${name} package)
  list(APPEND packaging_targets das_${name}-package)
endforeach()
list(REMOVE_DUPLICATES kinds)
foreach(kind IN LISTS kinds)
  if(COMMAND das_${kind}_step)
    cmake_language(CALL das_${kind}_step ${builds_of_${kind}})
    list(APPEND packaging_targets das_${kind})
  endif()
endforeach()
set(source das-${version}.tar.gz)
das_json_set(release "${source}" source)
das_json_set(release "das-${version}.provenance.json" provenance)
das_json_set(release "${PROJECT_BINARY_DIR}/source-commit" source_commit)
made(${source})
made(das-${version}.provenance.json)
file(WRITE ${PROJECT_BINARY_DIR}/release.json "${release}\n")

add_custom_target(das_source ALL
  COMMAND ${CMAKE_COMMAND} -DSOURCE=${PROJECT_SOURCE_DIR} -DOUT=${DAS_PACKAGE_DIR}/${source}
    -DVERSION=${version} -DEPOCH=${DAS_RELEASE_EPOCH} -DTAR=${DAS_TAR} -DGZIP=${DAS_GZIP} -DGIT=${DAS_GIT}
    -DCOMMIT_OUT=${PROJECT_BINARY_DIR}/source-commit -P ${PROJECT_SOURCE_DIR}/cmake/package/source.cmake
  VERBATIM)
add_custom_target(das_checksums ALL
  COMMAND ${CMAKE_COMMAND} -DRELEASE=${PROJECT_BINARY_DIR}/release.json
    -P ${PROJECT_SOURCE_DIR}/cmake/package/checksums.cmake
  VERBATIM)
add_dependencies(das_checksums das_source ${packaging_targets})
