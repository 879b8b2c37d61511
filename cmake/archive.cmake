# Run by CPack once it has made a tarball or zip: writes the archive again from the same staged
# files. CMake's own archive writer records the builder's uid and gid, so that unpacking as root
# would hand the prefix's bin/ and share/ to whoever built it, and takes files in the order the
# file system lists them. Here the archive holds files only, no directory whose owner or mode an
# unpack could change, in name order, owned by 0/0, every time SOURCE_DATE_EPOCH.
cmake_minimum_required(VERSION 3.25)
set(epoch $ENV{SOURCE_DATE_EPOCH})
if(CPACK_INCLUDE_TOPLEVEL_DIRECTORY)
  cmake_path(GET CPACK_TEMPORARY_DIRECTORY PARENT_PATH top)
  cmake_path(GET CPACK_TEMPORARY_DIRECTORY FILENAME prefix)
  set(prefix ${prefix}/)
else()
  set(top ${CPACK_TEMPORARY_DIRECTORY})
  set(prefix "")
endif()
file(GLOB_RECURSE files LIST_DIRECTORIES false RELATIVE ${top} ${top}/${prefix}*)
list(SORT files)

function(run)
  execute_process(COMMAND ${ARGN} WORKING_DIRECTORY ${top} RESULTS_VARIABLE results)
  foreach(result IN LISTS results)
    if(NOT result EQUAL 0)
      message(FATAL_ERROR "${ARGN}: ${results}")
    endif()
  endforeach()
endfunction()

foreach(archive IN LISTS CPACK_PACKAGE_FILES)
  file(REMOVE ${archive})
  if(archive MATCHES "\\.tar\\.gz$")
    find_program(tar NAMES gtar tar REQUIRED)
    find_program(gzip gzip REQUIRED)
    run(${tar} --create --format=ustar --no-recursion --owner=0 --group=0 --numeric-owner
        --mtime=@${epoch} --mode=u+rw,go=rX ${files}
      COMMAND ${gzip} -9n OUTPUT_FILE ${archive})
  elseif(archive MATCHES "\\.zip$")
    # Without its extra fields (-X) a zip entry keeps neither uid nor gid, only a time in the local
    # time zone of the DOS era, taken from the file.
    find_program(zip zip REQUIRED)
    find_program(touch touch REQUIRED)
    run(${touch} -d @${epoch} -- ${files})
    run(${CMAKE_COMMAND} -E env TZ=UTC0 ${zip} -X -9 -q ${archive} ${files})
  else()
    message(FATAL_ERROR "${archive}: not a tarball or a zip")
  endif()
endforeach()
