# das for IBM Z Linux (s390x), linked statically against musl (Debian: g++-s390x-linux-gnu, and
# musl-dev:s390x after dpkg --add-architecture s390x), run here under qemu-user (qemu-user).
#
#   cmake -B build/s390x-musl -DCMAKE_TOOLCHAIN_FILE=cmake/toolchains/s390x-linux-musl.cmake
set(musl s390x-linux-musl)
include(${CMAKE_CURRENT_LIST_DIR}/linux-musl.cmake)
