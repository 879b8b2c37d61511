# Writes the source tarball, das-<version>.tar.gz, that distributions build from:
#
#   cmake -DSOURCE=<top of the source tree> -DOUT=<tarball> -DVERSION=<das's> -DEPOCH=<seconds>
#         -DTAR=<GNU tar> -DGZIP=<gzip> [-DGIT=<git>] -DCOMMIT_OUT=<file> -P source.cmake
#
# It holds, under das-<version>/, the files of the paths below: all that a build, its tests and its
# packages need, and not CI's own scripts. In a checkout of das's own repository, those are the
# files git tracks there (an ignored or untracked file is no member), and .commit names the checked
# out commit on its first line, then every other member's SHA-256 as sha256sum writes it, only where
# every member is that commit's file byte for byte and the commit has no other. A repository is
# das's where its history begins with das's first commit; in another one (a distribution's, made
# from an unpacked tarball) or in a shallow clone, which cannot tell, the tree is taken as a tree
# without git. A tree without git passes its .commit on only where every file is still the one it
# lists, so that the tarball made from the tarball is the same, and one made from a patched
# tarball names no commit. COMMIT_OUT gets that commit, or nothing. Every member is a file (no
# directory), in name order, owned by root, dated EPOCH (the builder's SOURCE_DATE_EPOCH where
# set), mode 0644 or 0755; gzip writes no name or time.
cmake_minimum_required(VERSION 3.25)
if(DEFINED ENV{SOURCE_DATE_EPOCH})
  set(EPOCH $ENV{SOURCE_DATE_EPOCH})
endif()
set(parts CMakeLists.txt CMakePresets.json LICENSE README.md bench cmake docs src tests)

set(das_first_commit ccc9f1cdd5f5d36ae5a614afffcbbaedaba2ffd5)

function(run)
  execute_process(COMMAND ${ARGN} RESULTS_VARIABLE results OUTPUT_VARIABLE out OUTPUT_STRIP_TRAILING_WHITESPACE
    WORKING_DIRECTORY ${SOURCE})
  foreach(result IN LISTS results)
    if(NOT result EQUAL 0)
      message(FATAL_ERROR "${ARGN}: ${results}")
    endif()
  endforeach()
  set(out "${out}" PARENT_SCOPE)
endfunction()

# Whether the tree is a checkout of das's repository.
set(checkout OFF)
if(GIT AND EXISTS ${SOURCE}/.git)
  execute_process(COMMAND ${GIT} rev-list --max-parents=0 HEAD WORKING_DIRECTORY ${SOURCE}
    OUTPUT_VARIABLE roots RESULT_VARIABLE result ERROR_QUIET)
  if(result EQUAL 0 AND roots MATCHES "(^|\n)${das_first_commit}(\n|$)")
    set(checkout ON)
  endif()
endif()

set(files "")
set(commit "")
if(checkout)
  run(${GIT} -c core.quotePath=false ls-files -- ${parts})
  string(REPLACE "\n" ";" files "${out}")
  list(SORT files)
else()
  foreach(part IN LISTS parts)
    if(IS_DIRECTORY ${SOURCE}/${part})
      file(GLOB_RECURSE found LIST_DIRECTORIES false RELATIVE ${SOURCE} ${SOURCE}/${part}/*)
      list(APPEND files ${found})
    elseif(NOT EXISTS ${SOURCE}/${part})
      message(FATAL_ERROR "${SOURCE}/${part}: not there, but the source tarball needs it")
    else()
      list(APPEND files ${part})
    endif()
  endforeach()
  list(SORT files)
endif()
foreach(file IN LISTS files)
  if(NOT EXISTS ${SOURCE}/${file})
    message(FATAL_ERROR "${SOURCE}/${file}: not there, but git tracks it")
  endif()
endforeach()

# The commit, only where the files are just as it has them: a change, or a file the commit does not
# have, would make the tarball another source than the commit's.
set(sums "")
foreach(file IN LISTS files)
  file(SHA256 ${SOURCE}/${file} sum)
  string(APPEND sums "${sum}  ${file}\n")
endforeach()
if(checkout)
  # Each member's bytes as git hashes them, against the commit's own list; a file that git is told
  # to take as unchanged (skip-worktree, assume-unchanged) is hashed all the same.
  cmake_path(GET COMMIT_OUT PARENT_PATH work)
  string(REPLACE ";" "\n" list "${files}")
  file(WRITE ${work}/source-files "${list}\n")
  execute_process(COMMAND ${GIT} hash-object --no-filters --stdin-paths INPUT_FILE ${work}/source-files
    WORKING_DIRECTORY ${SOURCE} OUTPUT_VARIABLE hashes COMMAND_ERROR_IS_FATAL ANY)
  file(REMOVE ${work}/source-files)
  string(REPLACE "\n" ";" hashes "${hashes}")
  set(have "")
  foreach(file IN LISTS files)
    list(POP_FRONT hashes hash)
    string(APPEND have "${hash} ${file}\n")
  endforeach()
  run(${GIT} -c core.quotePath=false ls-tree -r HEAD -- ${parts})
  string(REGEX REPLACE "(^|\n)[0-7]+ blob ([0-9a-f]+)\t" "\\1\\2 " committed "${out}")
  if(committed AND "${committed}\n" STREQUAL have)
    run(${GIT} rev-parse --verify HEAD)
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
