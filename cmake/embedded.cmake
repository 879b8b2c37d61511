# What went into das, for the packages' fields and bills of materials. das is linked with a map,
# which cmake/built-from.cmake reads with this machine's package database into
# built-from-<config>.cmake; CPack's scripts turn that into the Debian and RPM fields
# (built-using.cmake) and into a bill of materials beside each package (sbom.cmake).
include(${PROJECT_SOURCE_DIR}/cmake/need.cmake)
das_need(DAS_DPKG_QUERY PROGRAM dpkg-query PACKAGE dpkg FOR "The packages' bills of materials")
set(map ${PROJECT_BINARY_DIR}/das-$<CONFIG>.map)
target_link_options(das PRIVATE "LINKER:-Map=${map}")
# The platform as container images name it: linux/amd64, windows/amd64, linux/arm/v7.
string(TOLOWER ${CMAKE_SYSTEM_NAME} platform)
set(architectures x86_64=amd64 aarch64=arm64 armv7l=arm/v7 riscv64=riscv64)
set(architecture ${CMAKE_SYSTEM_PROCESSOR})
foreach(pair IN LISTS architectures)
  if(pair MATCHES "^${CMAKE_SYSTEM_PROCESSOR}=(.*)$")
    set(architecture ${CMAKE_MATCH_1})
  endif()
endforeach()
add_custom_command(OUTPUT built-from-$<CONFIG>.cmake
  COMMAND ${CMAKE_COMMAND} -DMAP=${map} -DOUT=built-from-$<CONFIG>.cmake -DCOMPILER=${CMAKE_CXX_COMPILER}
    -DLINKER=${CMAKE_LINKER} -DPLATFORM=${platform}/${architecture}
    "-DDEPFILES=$<JOIN:$<TARGET_OBJECTS:das>,.d$<SEMICOLON>>.d"
    -P ${PROJECT_SOURCE_DIR}/cmake/built-from.cmake
  DEPENDS das ${PROJECT_SOURCE_DIR}/cmake/built-from.cmake
  VERBATIM)
add_custom_target(das_built_from ALL DEPENDS built-from-$<CONFIG>.cmake)
list(APPEND CPACK_POST_BUILD_SCRIPTS ${PROJECT_SOURCE_DIR}/cmake/sbom.cmake)
