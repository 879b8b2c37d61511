# The zip of a build whose row of cmake/builds.cmake says zip (Windows'), all of it:
#
#   das_zip_file(<variable> <build> <version>)  its name, at the package build's configure time
#   das_zip_make(<file>)  the zip of what an install holds (das.exe, the README and the licence)
#                         under a directory of the zip's name: files only, in name order, all dated
#                         alike; at build time, in cmake/package/packages.cmake
include_guard(GLOBAL)

function(das_zip_file variable build version)
  set(${variable} das-${version}-windows-${DAS_BUILD_${build}_UNAME}.zip PARENT_SCOPE)
endfunction()

function(das_zip_make file)
  string(REGEX REPLACE "\\.zip$" "" top_directory ${file})
  set(root ${work}/zip)
  stage(${root} /${top_directory})
  das_staged_files(files ${root})
  # Without its extra fields (-X) a zip entry keeps neither uid nor gid, only a time in the local
  # time zone of the DOS era.
  find_program(zip_program zip REQUIRED)
  file(REMOVE ${release_packages}/${file})
  execute_process(COMMAND ${CMAKE_COMMAND} -E env TZ=UTC0 ${zip_program} -X -9 -q ${release_packages}/${file} ${files}
    WORKING_DIRECTORY ${root} COMMAND_ERROR_IS_FATAL ANY)
endfunction()
