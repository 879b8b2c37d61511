# FreeBSD on arm64 as clang sees it, with no FreeBSD system to link against: enough to configure das
# and see which flags each of its targets would get, not to build it. Probes compile, never link.
set(CMAKE_SYSTEM_NAME FreeBSD)
set(CMAKE_SYSTEM_PROCESSOR aarch64)
set(CMAKE_CXX_COMPILER clang++)
set(CMAKE_CXX_COMPILER_TARGET aarch64-unknown-freebsd13)
set(CMAKE_TRY_COMPILE_TARGET_TYPE STATIC_LIBRARY)
