# Run by CPack once it has made a Debian package: builds it again with dpkg-deb, Debian's own
# builder, from what CPack's holds. CPack writes the .deb's ar members with modes that follow the
# umask and an Installed-Size that adds up the sizes the file system gives each directory; here the
# members are 0644, every file 0644 or 0755 and every directory 0755, all of them root's and dated
# SOURCE_DATE_EPOCH, and Installed-Size is reckoned as dpkg-gencontrol reckons it: each file in
# KiB, rounded up, and 1 for each directory.
cmake_minimum_required(VERSION 3.25)
find_program(dpkg_deb dpkg-deb REQUIRED)
find_program(chmod chmod REQUIRED)
find_program(touch touch REQUIRED)
foreach(deb IN LISTS CPACK_PACKAGE_FILES)
  if(NOT deb MATCHES "\\.deb$")
    continue()
  endif()
  cmake_path(GET deb FILENAME name)
  set(root ${CPACK_TOPLEVEL_DIRECTORY}/dpkg-deb/${name})
  file(REMOVE_RECURSE ${root})
  file(MAKE_DIRECTORY ${CPACK_TOPLEVEL_DIRECTORY}/dpkg-deb)
  execute_process(COMMAND ${dpkg_deb} --raw-extract ${deb} ${root} COMMAND_ERROR_IS_FATAL ANY)

  set(size 0)
  file(GLOB_RECURSE entries LIST_DIRECTORIES true RELATIVE ${root} ${root}/*)
  foreach(entry IN LISTS entries)
    if(entry MATCHES "^DEBIAN(/|$)")
      continue()
    elseif(IS_DIRECTORY ${root}/${entry} AND NOT IS_SYMLINK ${root}/${entry})
      math(EXPR size "${size} + 1")
    else()
      file(SIZE ${root}/${entry} bytes)
      math(EXPR size "${size} + (${bytes} + 1023) / 1024")
    endif()
  endforeach()
  file(READ ${root}/DEBIAN/control control)
  string(REGEX REPLACE "\nInstalled-Size: [0-9]+\n" "\nInstalled-Size: ${size}\n" control "${control}")
  file(WRITE ${root}/DEBIAN/control "${control}")

  execute_process(COMMAND ${chmod} -R u=rwX,go=rX ${root} COMMAND_ERROR_IS_FATAL ANY)
  list(TRANSFORM entries PREPEND ${root}/)
  execute_process(COMMAND ${touch} -h -d @$ENV{SOURCE_DATE_EPOCH} -- ${root} ${entries} COMMAND_ERROR_IS_FATAL ANY)
  file(REMOVE ${deb})
  execute_process(COMMAND ${CMAKE_COMMAND} -E env SOURCE_DATE_EPOCH=$ENV{SOURCE_DATE_EPOCH}
      ${dpkg_deb} --root-owner-group --build ${root} ${deb}
    OUTPUT_QUIET COMMAND_ERROR_IS_FATAL ANY)
  file(REMOVE_RECURSE ${root})
endforeach()
