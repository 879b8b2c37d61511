# Configure time, a build of cmake/builds.cmake in a package build: what goes into das, for its
# packages' fields and bills of materials and the release's provenance. das is linked with a map,
# which cmake/package/built-from.cmake reads after the link, with the compiler's dependency files
# and this machine's package database, into built-from-<config>.json.
include(${PROJECT_SOURCE_DIR}/cmake/need.cmake)
das_need(DAS_DPKG_QUERY PROGRAM dpkg-query PACKAGE dpkg FOR "The packages' bills of materials")
set(map ${PROJECT_BINARY_DIR}/das-$<CONFIG>.map)
target_link_options(das PRIVATE "LINKER:-Map=${map}")
add_custom_command(OUTPUT built-from-$<CONFIG>.json
  COMMAND ${CMAKE_COMMAND} -DMAP=${map} -DOUT=built-from-$<CONFIG>.json -DCOMPILER=${CMAKE_CXX_COMPILER}
    -DLINKER=${CMAKE_LINKER} -DPLATFORM=${DAS_BUILD_${DAS_BUILD}_IMAGE}
    "-DDEPFILES=$<JOIN:$<TARGET_OBJECTS:das>,.d$<SEMICOLON>>.d"
    -P ${PROJECT_SOURCE_DIR}/cmake/package/built-from.cmake
  DEPENDS das ${PROJECT_SOURCE_DIR}/cmake/package/built-from.cmake
  VERBATIM)
add_custom_target(das_built_from ALL DEPENDS built-from-$<CONFIG>.json)
