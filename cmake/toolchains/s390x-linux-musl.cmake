# das for IBM Z Linux (s390x), linked statically against musl. Its row of cmake/builds.cmake says
# the rest.
#
#   cmake -B build/s390x-musl -DCMAKE_TOOLCHAIN_FILE=cmake/toolchains/s390x-linux-musl.cmake
include(${CMAKE_CURRENT_LIST_DIR}/linux-musl.cmake)
