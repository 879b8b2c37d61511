# Run by CPack once it has installed what a package holds: every file and directory there is dated
# SOURCE_DATE_EPOCH, the release's time. rpmbuild only takes back times later than that one, and a
# copy of the source may hold files that are older.
cmake_minimum_required(VERSION 3.25)
file(GLOB_RECURSE staged LIST_DIRECTORIES true ${CPACK_TEMPORARY_DIRECTORY}/*)
if(staged)
  find_program(touch touch REQUIRED)
  execute_process(COMMAND ${touch} -h -d @$ENV{SOURCE_DATE_EPOCH} -- ${staged} COMMAND_ERROR_IS_FATAL ANY)
endif()
