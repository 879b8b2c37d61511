# Run by CPack once it has made this build's package, the last of a release: writes the build's
# provenance (cmake/provenance.cmake) and SHA256SUMS beside the packages, for `sha256sum -c`.
# SHA256SUMS lists every package that this package build made, as its builds noted them
# (source.cmake, sbom.cmake, image.cmake), and the provenance, whose subjects are those packages,
# and no other file that lies there; it takes this build's own packages from where CPack made them,
# before CPack copies them beside the others.
cmake_minimum_required(VERSION 3.25)
include(${CMAKE_CURRENT_LIST_DIR}/provenance.cmake)
file(GLOB made LIST_DIRECTORIES false RELATIVE ${CPACK_DAS_RECORD} ${CPACK_DAS_RECORD}/*)
set(names "")
foreach(name IN LISTS made)
  set(path_${name} ${CPACK_OUTPUT_FILE_PREFIX}/${name})
  list(APPEND names ${name})
endforeach()
foreach(package IN LISTS CPACK_PACKAGE_FILES)
  cmake_path(GET package FILENAME name)
  set(path_${name} ${package})
  list(APPEND names ${name})
endforeach()
list(REMOVE_DUPLICATES names)

# Each one's SHA-256, read once for the provenance and SHA256SUMS alike.
set(subjects "")
foreach(name IN LISTS names)
  file(SHA256 ${path_${name}} sum_${name})
  list(APPEND subjects "${name}=${sum_${name}}")
endforeach()
# What each build of das read, this one's and the others', which are built in this configuration
# where the generator makes several, else as releases.
set(built_from ${CPACK_DAS_BUILT_FROM})
set(config ${CPACK_DAS_OTHER_CONFIG})
if(NOT config)
  set(config ${CPACK_BUILD_CONFIG})
endif()
foreach(build IN LISTS CPACK_DAS_OTHER_BUILDS)
  list(APPEND built_from ${build}/built-from-${config}.cmake)
endforeach()
set(provenance das-${CPACK_PACKAGE_VERSION}.provenance.json)
das_provenance(OUTPUT ${CPACK_OUTPUT_FILE_PREFIX}/${provenance} SUBJECTS ${subjects}
  SOURCE das-${CPACK_PACKAGE_VERSION}.tar.gz COMMIT ${CPACK_DAS_SOURCE_COMMIT}
  EPOCH $ENV{SOURCE_DATE_EPOCH} URL ${CPACK_DAS_URL} BUILT_FROM ${built_from} TOOLS ${CPACK_DAS_TOOLS})
file(SHA256 ${CPACK_OUTPUT_FILE_PREFIX}/${provenance} sum_${provenance})
list(APPEND names ${provenance})

list(SORT names)
set(sums "")
foreach(name IN LISTS names)
  string(APPEND sums "${sum_${name}}  ${name}\n")
endforeach()
file(WRITE ${CPACK_OUTPUT_FILE_PREFIX}/SHA256SUMS "${sums}")
