# das_read_release(<release.json>): what cmake/packaging.cmake wrote of the release, for the steps
# that read it, in `release`, with the two values they all need resolved: `packages`, the packages'
# directory (written relative to release.json's own), and `epoch`, the time of every file in the
# packages: the release's, unless the builder sets SOURCE_DATE_EPOCH.
include_guard(GLOBAL)
function(das_read_release file)
  if(NOT EXISTS ${file})
    message(FATAL_ERROR "${file}: not there; make the release first (cmake --workflow --preset package)")
  endif()
  file(READ ${file} json)
  string(JSON packages GET "${json}" packages)
  cmake_path(GET file PARENT_PATH directory)
  cmake_path(ABSOLUTE_PATH packages BASE_DIRECTORY ${directory})
  string(JSON epoch GET "${json}" epoch)
  if(DEFINED ENV{SOURCE_DATE_EPOCH})
    set(epoch $ENV{SOURCE_DATE_EPOCH})
  endif()
  set(release "${json}" PARENT_SCOPE)
  set(packages ${packages} PARENT_SCOPE)
  set(epoch ${epoch} PARENT_SCOPE)
endfunction()
