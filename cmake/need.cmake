# das_need(<variable> PROGRAM <name>... | FILE <name> PATHS <dir>... PACKAGE <package> FOR <what> [LAUNCHER])
#
# Finds what a build needs, or stops its configuration with one line that names what is missing
# and the Debian package that brings it. A LAUNCHER, which runs das here, is needed only where das
# will be run: under this build's tests, or those of the build that made it (DAS_RUNS_HERE).
function(das_need variable)
  cmake_parse_arguments(PARSE_ARGV 1 need "LAUNCHER" "FILE;PACKAGE;FOR" "PROGRAM;PATHS")
  if(need_PROGRAM)
    find_program(${variable} NAMES ${need_PROGRAM} PATHS ${need_PATHS})
    list(GET need_PROGRAM 0 name)
  else()
    find_path(${variable} ${need_FILE} PATHS ${need_PATHS} NO_DEFAULT_PATH)
    set(name ${need_FILE})
  endif()
  if(NOT ${variable} AND (NOT need_LAUNCHER OR DAS_RUNS_HERE OR BUILD_TESTING))
    message(FATAL_ERROR "${need_FOR} needs ${name}, which is not here: install Debian's ${need_PACKAGE}")
  endif()
endfunction()
