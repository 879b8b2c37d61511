# Included first by every toolchain file of cmake/builds.cmake (through linux-gnu.cmake,
# linux-musl.cmake or directly), which names itself in das_toolchain: the row of the build whose
# toolchain file that is gives DAS_BUILD, the system, the processor as uname -m names it, whether
# das links statically, and, for the toolchain file, row_<field> for each field of the row.
include(${CMAKE_CURRENT_LIST_DIR}/../need.cmake)
include(${CMAKE_CURRENT_LIST_DIR}/../builds.cmake)
das_build_of_toolchain(DAS_BUILD ${das_toolchain})
foreach(field IN LISTS DAS_BUILD_FIELDS)
  string(TOUPPER ${field} upper)
  set(row_${field} "${DAS_BUILD_${DAS_BUILD}_${upper}}")
endforeach()
set(CMAKE_SYSTEM_NAME ${row_system})
set(CMAKE_SYSTEM_PROCESSOR ${row_uname})
if(row_link STREQUAL "dynamic")
  set(DAS_STATIC OFF CACHE BOOL "This machine's C library for the ${DAS_BUILD} build cannot make a static PIE")
endif()
