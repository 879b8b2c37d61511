# Run by CPack once it has made this build's package, the last of a release: writes SHA256SUMS
# beside the packages, for `sha256sum -c`. It lists every package that this package build made, as
# its builds noted them (sbom.cmake, image.cmake), and no other file that lies there, taking this
# build's own from where CPack made them, before CPack copies them beside the others.
cmake_minimum_required(VERSION 3.25)
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
list(SORT names)
set(sums "")
foreach(name IN LISTS names)
  file(SHA256 ${path_${name}} sum)
  string(APPEND sums "${sum}  ${name}\n")
endforeach()
file(WRITE ${CPACK_OUTPUT_FILE_PREFIX}/SHA256SUMS "${sums}")
