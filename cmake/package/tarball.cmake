# The tarball of a build whose row of cmake/builds.cmake says tarball (a musl build's), all of it:
#
#   das_tarball_file(<variable> <build> <version>)  its name, at the package build's configure time
#   das_tarball_make(<file>)  the tarball of what an install holds (bin/das, its page and licence):
#                             files only, in name order, root's, all dated alike; at build time, in
#                             cmake/package/packages.cmake
include_guard(GLOBAL)

function(das_tarball_file variable build version)
  set(${variable} das-${version}-linux-${DAS_BUILD_${build}_UNAME}-${DAS_BUILD_${build}_LIBC}.tar.gz PARENT_SCOPE)
endfunction()

function(das_tarball_make file)
  set(root ${work}/tarball)
  stage(${root} /)
  das_staged_files(files ${root})
  find_program(tar_program NAMES gtar tar REQUIRED)
  find_program(gzip_program gzip REQUIRED)
  # Owned by root, not whoever built it, whose ids would be the prefix's bin/ and share/ once root
  # unpacks it.
  execute_process(COMMAND ${tar_program} --create --format=ustar --no-recursion --owner=0 --group=0 --numeric-owner
      --mtime=@${release_epoch} --mode=u+rw,go=rX ${files}
    COMMAND ${gzip_program} -9n OUTPUT_FILE ${release_packages}/${file} WORKING_DIRECTORY ${root} COMMAND_ERROR_IS_FATAL ANY)
endfunction()
