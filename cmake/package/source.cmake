# Writes the source tarball, das-<version>.tar.gz, that distributions build from:
#
#   cmake -DSOURCE=<top of the source tree> -DOUT=<tarball> -DVERSION=<das's> -DEPOCH=<seconds>
#         -DTAR=<GNU tar> -DGZIP=<gzip> [-DGIT=<git>] -DCOMMIT_OUT=<file> -P source.cmake
#
# It holds, under das-<version>/, the files of the paths below: all that a build, its tests and its
# packages need, and not CI's own scripts. Where the tree is a clean git checkout, .commit names its
# commit on its first line, then every other member's SHA-256 as sha256sum writes it; a tree
# without .git passes that .commit on only where every file is still the one it lists, so that the
# tarball made from the tarball is the same, and one made from a patched tarball names no commit.
# COMMIT_OUT gets that commit, or nothing. Every member is a file (no
# directory), in name order, owned by root, dated EPOCH (the builder's SOURCE_DATE_EPOCH where
# set), mode 0644 or 0755; gzip writes no name or time.
cmake_minimum_required(VERSION 3.25)
if(DEFINED ENV{SOURCE_DATE_EPOCH})
  set(EPOCH $ENV{SOURCE_DATE_EPOCH})
endif()
set(parts CMakeLists.txt CMakePresets.json LICENSE README.md bench cmake docs src tests)

set(files "")
foreach(part IN LISTS parts)
  if(IS_DIRECTORY ${SOURCE}/${part})
    file(GLOB_RECURSE found LIST_DIRECTORIES false RELATIVE ${SOURCE} ${SOURCE}/${part}/*)
    list(APPEND files ${found})
  elseif(EXISTS ${SOURCE}/${part})
    list(APPEND files ${part})
  else()
    message(FATAL_ERROR "${SOURCE}/${part}: not there, but the source tarball needs it")
  endif()
endforeach()
list(SORT files)

function(run)
  execute_process(COMMAND ${ARGN} RESULTS_VARIABLE results OUTPUT_VARIABLE out OUTPUT_STRIP_TRAILING_WHITESPACE)
  foreach(result IN LISTS results)
    if(NOT result EQUAL 0)
      message(FATAL_ERROR "${ARGN}: ${results}")
    endif()
  endforeach()
  set(out "${out}" PARENT_SCOPE)
endfunction()

# The commit, only where the files are just as it has them: a change, or a file the commit does not
# have, would make the tarball another source than the commit's.
set(sums "")
foreach(file IN LISTS files)
  file(SHA256 ${SOURCE}/${file} sum)
  string(APPEND sums "${sum}  ${file}\n")
endforeach()
set(commit "")
if(EXISTS ${SOURCE}/.git AND GIT)
  run(${GIT} -C ${SOURCE} status --porcelain --untracked-files=all -- ${parts})
  if(out STREQUAL "")
    run(${GIT} -C ${SOURCE} rev-parse --verify HEAD)
    set(commit ${out})
  endif()
elseif(EXISTS ${SOURCE}/.commit)
  file(READ ${SOURCE}/.commit recorded)
  string(FIND "${recorded}" "\n" end)
  if(end GREATER 0)
    string(SUBSTRING "${recorded}" 0 ${end} recorded_commit)
    math(EXPR end "${end} + 1")
    string(SUBSTRING "${recorded}" ${end} -1 recorded_sums)
    if(recorded_commit MATCHES "^[0-9a-f]+$" AND recorded_sums STREQUAL sums)
      set(commit ${recorded_commit})
    endif()
  endif()
endif()
file(WRITE ${COMMIT_OUT} "${commit}")

cmake_path(GET COMMIT_OUT PARENT_PATH work)
set(work ${work}/source-tarball)
file(REMOVE_RECURSE ${work})
file(MAKE_DIRECTORY ${work})
set(members "")
if(commit)
  # '.' sorts before every other name here, so the tarball stays in name order.
  file(WRITE ${work}/.commit "${commit}\n${sums}")
  set(members -C ${work} .commit)
endif()
list(APPEND members -C ${SOURCE} ${files})
cmake_path(GET OUT PARENT_PATH packages)
file(MAKE_DIRECTORY ${packages})
execute_process(
  COMMAND ${TAR} --create --format=ustar --no-recursion --owner=0 --group=0 --numeric-owner --mtime=@${EPOCH}
    --mode=u=rwX,go=rX --transform=s,^,das-${VERSION}/, ${members}
  COMMAND ${GZIP} -9n OUTPUT_FILE ${OUT} COMMAND_ERROR_IS_FATAL ANY)
file(REMOVE_RECURSE ${work})
