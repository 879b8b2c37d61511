# Included first by every toolchain file of cmake/builds.cmake (through linux-gnu.cmake,
# linux-musl.cmake or directly), which names itself in das_toolchain: the row of the build whose
# toolchain file that is gives DAS_BUILD, the system, the processor as uname -m names it, triplet
# (the cross compiler's) and runner (the program that runs its das here, if any).
include(${CMAKE_CURRENT_LIST_DIR}/../need.cmake)
include(${CMAKE_CURRENT_LIST_DIR}/../builds.cmake)
das_build_of_toolchain(DAS_BUILD ${das_toolchain})
if(DAS_BUILD_${DAS_BUILD}_IMAGE MATCHES "^windows/")
  set(CMAKE_SYSTEM_NAME Windows)
else()
  set(CMAKE_SYSTEM_NAME Linux)
endif()
set(CMAKE_SYSTEM_PROCESSOR ${DAS_BUILD_${DAS_BUILD}_UNAME})
set(triplet ${DAS_BUILD_${DAS_BUILD}_TRIPLET})
set(runner ${DAS_BUILD_${DAS_BUILD}_RUNNER})
