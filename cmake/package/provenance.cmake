# das_provenance(): writes the build's provenance, an in-toto statement (v1) with a SLSA provenance
# (v1) predicate, on one line, as das-<version>.provenance.json.
#
#   das_provenance(OUTPUT <file> SUBJECTS <artefact's name>=<its SHA-256>... SOURCE <the source
#                  tarball's name, one of the subjects> COMMIT <file that names it, or is empty>
#                  EPOCH <seconds> URL <das's home> BUILT_FROM <built-from file>... TOOLS <program>...)
#
# Its subjects are the artefacts, each by name and SHA-256. The build is defined by the build type
# (a page of das's documentation), the preset, the source tarball's digest and, where the tarball
# was made from a clean git checkout, its commit, and SOURCE_DATE_EPOCH. The resolved dependencies
# are the Debian packages of the toolchain that each build read (cmake/built-from.cmake wrote them)
# and of the programs that packaged them (TOOLS), each at its version and, where this machine's
# package lists give it, with the SHA-256 of its .deb. Nothing in it names a time, a path or a user.
include_guard(GLOBAL)
include(${CMAKE_CURRENT_LIST_DIR}/cyclonedx.cmake)

function(das_provenance)
  cmake_parse_arguments(PARSE_ARGV 0 arg "" "OUTPUT;SOURCE;COMMIT;EPOCH;URL" "SUBJECTS;BUILT_FROM;TOOLS")
  find_program(dpkg_query dpkg-query REQUIRED)
  find_program(apt_cache apt-cache)

  set(names "")
  foreach(subject IN LISTS arg_SUBJECTS)
    string(REGEX MATCH "^(.*)=([0-9a-f]+)$" subject "${subject}")
    set(name ${CMAKE_MATCH_1})
    set(sum_${name} ${CMAKE_MATCH_2})
    list(APPEND names ${name})
  endforeach()
  list(SORT names)
  set(subjects "[]")
  foreach(name IN LISTS names)
    set(subject [=[{"digest": {}}]=])
    das_json_set(subject "${name}" name)
    das_json_set(subject "${sum_${name}}" digest sha256)
    das_json_append(subjects "${subject}")
  endforeach()

  # Each package as name:architecture=version, as apt-cache takes it, with its source package and its
  # version in source_<id>, where <id> is that as a C identifier: from the builds' records, and from
  # the package database for the programs.
  set(packages "")
  foreach(built_from IN LISTS arg_BUILT_FROM)
    file(READ ${built_from} record)
    das_json_read(das "${record}")
    das_json_indexes(indexes "${record}" toolchain)
    foreach(index IN LISTS indexes)
      das_json_read(tool "${record}" toolchain ${index})
      if(tool_source)
        set(package "${tool_binary}:${tool_architecture}=${tool_binary_version}")
        string(MAKE_C_IDENTIFIER "${package}" id)
        list(APPEND packages "${package}")
        set(source_${id} "${tool_source} ${tool_source_version}")
      endif()
    endforeach()
  endforeach()
  foreach(tool IN LISTS arg_TOOLS)
    # Where /bin is /usr/bin, the package database may know a program by either path.
    file(REAL_PATH ${tool} tool)
    string(REGEX REPLACE "^/usr/(s?bin)/" "/\\1/" other ${tool})
    execute_process(COMMAND ${dpkg_query} -S ${tool} ${other} OUTPUT_VARIABLE owner ERROR_QUIET)
    if(NOT owner MATCHES "^([^:, ]+(:[a-z0-9]+)?): ")
      continue() # a program of no package: not the Debian toolchain
    endif()
    execute_process(COMMAND ${dpkg_query} -W "-f=\${Package}:\${Architecture}=\${Version}" ${CMAKE_MATCH_1}
      OUTPUT_VARIABLE package COMMAND_ERROR_IS_FATAL ANY)
    execute_process(COMMAND ${dpkg_query} -W "-f=\${source:Package} \${source:Version}" ${CMAKE_MATCH_1}
      OUTPUT_VARIABLE source COMMAND_ERROR_IS_FATAL ANY)
    string(MAKE_C_IDENTIFIER "${package}" id)
    list(APPEND packages "${package}")
    set(source_${id} "${source}")
  endforeach()
  list(REMOVE_DUPLICATES packages)
  list(SORT packages)

  # The digests of their .debs, from one look at the package lists, in digest_<id>.
  if(apt_cache AND packages)
    execute_process(COMMAND ${apt_cache} show ${packages} OUTPUT_VARIABLE records ERROR_QUIET)
    # Only a few fields are read: what would upset a CMake list goes first.
    string(REGEX REPLACE "[][;]" "" records "${records}")
    string(REPLACE "\n\n" ";" records "${records}")
    foreach(record IN LISTS records)
      set(found ON)
      foreach(field Package Architecture Version SHA256)
        if("\n${record}\n" MATCHES "\n${field}: ([^\n]+)\n")
          set(${field} ${CMAKE_MATCH_1})
        else()
          set(found OFF)
        endif()
      endforeach()
      if(found)
        string(MAKE_C_IDENTIFIER "${Package}:${Architecture}=${Version}" id)
        set(digest_${id} ${SHA256})
      endif()
    endforeach()
  endif()

  if(NOT DEFINED sum_${arg_SOURCE})
    message(FATAL_ERROR "${arg_SOURCE}: the source tarball is not among the subjects")
  endif()
  set(dependencies "[]")
  set(tarball [=[{"digest": {}}]=])
  das_json_set(tarball "${arg_SOURCE}" name)
  das_json_set(tarball "${arg_URL}/releases/${arg_SOURCE}" uri)
  das_json_set(tarball "${sum_${arg_SOURCE}}" digest sha256)
  das_json_append(dependencies "${tarball}")
  file(STRINGS ${arg_COMMIT} commit LIMIT_COUNT 1)
  if(commit)
    set(checkout [=[{"digest": {}}]=])
    das_json_set(checkout "git+${arg_URL}" uri)
    das_json_set(checkout "${commit}" digest gitCommit)
    das_json_append(dependencies "${checkout}")
  endif()
  foreach(package IN LISTS packages)
    string(MAKE_C_IDENTIFIER "${package}" id)
    string(REGEX MATCH "^([^:]+):([^=]+)=(.*)$" package "${package}")
    set(name ${CMAKE_MATCH_1})
    set(architecture ${CMAKE_MATCH_2})
    set(version ${CMAKE_MATCH_3})
    das_purl(purl ${name} ${version} ${architecture})
    set(entry [=[{"annotations": {}}]=])
    das_json_set(entry "${name}" name)
    das_json_set(entry "${purl}" uri)
    if(DEFINED digest_${id})
      string(JSON entry SET "${entry}" digest "{}")
      das_json_set(entry "${digest_${id}}" digest sha256)
    endif()
    das_json_set(entry "${source_${id}}" annotations debian:source)
    das_json_append(dependencies "${entry}")
  endforeach()

  set(docs "${arg_URL}/docs/releasing.md")
  set(statement [=[{"_type": "https://in-toto.io/Statement/v1", "predicateType": "https://slsa.dev/provenance/v1",
                    "predicate": {"buildDefinition": {"externalParameters": {"preset": "package"}},
                                  "runDetails": {"builder": {"version": {}}}}}]=])
  string(JSON statement SET "${statement}" subject "${subjects}")
  das_json_set(statement "${docs}#the-build-and-its-provenance" predicate buildDefinition buildType)
  das_json_set(statement "${arg_SOURCE}" predicate buildDefinition externalParameters source)
  das_json_set(statement "${arg_EPOCH}" predicate buildDefinition externalParameters SOURCE_DATE_EPOCH)
  string(JSON statement SET "${statement}" predicate buildDefinition resolvedDependencies "${dependencies}")
  das_json_set(statement "${docs}#cutting-a-release" predicate runDetails builder id)
  das_json_set(statement "${das_distribution}" predicate runDetails builder version distribution)
  # On one line: no string in it holds a line break, which JSON escapes.
  string(REGEX REPLACE "\n *" "" statement "${statement}")
  file(WRITE ${arg_OUTPUT} "${statement}\n")
endfunction()
