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
foreach(field homepage source source_commit provenance)
  string(JSON ${field} GET "${release}" ${field})
endforeach()

# Each one's SHA-256, read once for the provenance and SHA256SUMS alike.
set(names "")
set(subjects "")
string(JSON count LENGTH "${release}" files)
math(EXPR last "${count} - 1")
foreach(index RANGE ${last})
  string(JSON name GET "${release}" files ${index})
  if(name STREQUAL "${provenance}")
    continue()
  endif()
  list(APPEND names ${name})
  file(SHA256 ${packages}/${name} sum_${name})
  list(APPEND subjects "${name}=${sum_${name}}")
endforeach()
# What each build of das that went into a package read, and the programs that packaged them.
set(built_from "")
string(JSON builds GET "${release}" builds)
string(JSON count LENGTH "${builds}")
math(EXPR last "${count} - 1")
foreach(index RANGE ${last})
  string(JSON build MEMBER "${builds}" ${index})
  string(JSON file GET "${builds}" ${build} built_from)
  list(APPEND built_from ${file})
endforeach()
set(tools "")
string(JSON count LENGTH "${release}" tools)
math(EXPR last "${count} - 1")
foreach(index RANGE ${last})
  string(JSON tool GET "${release}" tools ${index})
  list(APPEND tools ${tool})
endforeach()
das_provenance(OUTPUT ${packages}/${provenance} SUBJECTS ${subjects} SOURCE ${source} COMMIT ${source_commit}
  EPOCH ${epoch} URL ${homepage} BUILT_FROM ${built_from} TOOLS ${tools})
file(SHA256 ${packages}/${provenance} sum_${provenance})
list(APPEND names ${provenance})

list(SORT names)
set(sums "")
foreach(name IN LISTS names)
  string(APPEND sums "${sum_${name}}  ${name}\n")
endforeach()
file(WRITE ${packages}/SHA256SUMS "${sums}")
