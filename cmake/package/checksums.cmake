# Build time, the last step of a package build: writes the release's provenance
# (cmake/package/provenance.cmake) and SHA256SUMS beside the packages, for `sha256sum -c`:
#
#   cmake -DRELEASE=<release.json> -P checksums.cmake
#
# SHA256SUMS lists every file that release.json says the steps made, and the provenance, whose
# subjects those are, and no other file that lies there.
cmake_minimum_required(VERSION 3.25)
include(${CMAKE_CURRENT_LIST_DIR}/provenance.cmake)
include(${CMAKE_CURRENT_LIST_DIR}/release.cmake)
das_read_release(${RELEASE})

# Each one's SHA-256, read once for the provenance and SHA256SUMS alike.
set(names "")
set(subjects "")
foreach(name IN LISTS release_files)
  if(name STREQUAL "${release_provenance}")
    continue()
  endif()
  list(APPEND names ${name})
  file(SHA256 ${release_packages}/${name} sum_${name})
  list(APPEND subjects "${name}=${sum_${name}}")
endforeach()
# What each build of das that went into a package read, and the programs that packaged them.
set(built_from "")
das_json_indexes(indexes "${release_builds}")
foreach(index IN LISTS indexes)
  string(JSON build MEMBER "${release_builds}" ${index})
  string(JSON file GET "${release_builds}" ${build} built_from)
  list(APPEND built_from ${file})
endforeach()
das_provenance(OUTPUT ${release_packages}/${release_provenance} SUBJECTS ${subjects} SOURCE ${release_source}
  COMMIT ${release_source_commit} EPOCH ${release_epoch} URL ${release_homepage} BUILT_FROM ${built_from}
  TOOLS ${release_tools})
file(SHA256 ${release_packages}/${release_provenance} sum_${release_provenance})
list(APPEND names ${release_provenance})

list(SORT names)
set(sums "")
foreach(name IN LISTS names)
  string(APPEND sums "${sum_${name}}  ${name}\n")
endforeach()
file(WRITE ${release_packages}/SHA256SUMS "${sums}")
