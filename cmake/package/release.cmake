# das_read_release(<release.json>): what cmake/packaging.cmake wrote of the release, for every step
# that reads it: each member of release.json as release_<member> (das_json_read), and the whole
# document as `release`. Two are resolved: release_packages, the packages' directory (written
# relative to release.json's own), and release_epoch, the time of every file in the packages: the
# release's, unless the builder sets SOURCE_DATE_EPOCH.
include_guard(GLOBAL)
include(${CMAKE_CURRENT_LIST_DIR}/json.cmake)
function(das_read_release file)
  if(NOT EXISTS ${file})
    message(FATAL_ERROR "${file}: not there; make the release first (cmake --workflow --preset package)")
  endif()
  file(READ ${file} json)
  das_json_read(release "${json}")
  cmake_path(GET file PARENT_PATH directory)
  cmake_path(ABSOLUTE_PATH release_packages BASE_DIRECTORY ${directory})
  if(DEFINED ENV{SOURCE_DATE_EPOCH})
    set(release_epoch $ENV{SOURCE_DATE_EPOCH})
  endif()
  foreach(member IN LISTS release_members)
    set(release_${member} "${release_${member}}" PARENT_SCOPE)
  endforeach()
  set(release "${json}" PARENT_SCOPE)
endfunction()
