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

  set(subjects "")
  foreach(subject IN LISTS arg_SUBJECTS)
    string(REGEX MATCH "^(.*)=([0-9a-f]+)$" subject "${subject}")
    set(name ${CMAKE_MATCH_1})
    set(sum_${name} ${CMAKE_MATCH_2})
    das_json(name_json "${name}")
    list(APPEND subjects "{\"name\":${name_json},\"digest\":{\"sha256\":\"${sum_${name}}\"}}")
  endforeach()
  list(SORT subjects)
  list(JOIN subjects "," subjects)

  # Each package as "name:architecture|version|source|source version", from the builds' records and
  # from the package database for the programs.
  set(packages "")
  foreach(built_from IN LISTS arg_BUILT_FROM)
    set(das_toolchain "")
    include(${built_from})
    foreach(entry IN LISTS das_toolchain)
      string(REPLACE "|" ";" entry "${entry}")
      list(POP_FRONT entry binary binary_version architecture source source_version)
      if(source)
        list(APPEND packages "${binary}:${architecture}|${binary_version}|${source}|${source_version}")
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
    execute_process(COMMAND ${dpkg_query} -W "-f=\${Package}:\${Architecture}|\${Version}|\${source:Package}|\${source:Version}"
      ${CMAKE_MATCH_1} OUTPUT_VARIABLE entry COMMAND_ERROR_IS_FATAL ANY)
    list(APPEND packages "${entry}")
  endforeach()
  list(REMOVE_DUPLICATES packages)
  list(SORT packages)

  # The digests of their .debs, from one look at the package lists: "name:architecture=version".
  set(wanted "")
  foreach(entry IN LISTS packages)
    string(REGEX REPLACE "^([^|]*)\\|([^|]*)\\|.*" "\\1=\\2" entry "${entry}")
    list(APPEND wanted "${entry}")
  endforeach()
  if(apt_cache AND wanted)
    execute_process(COMMAND ${apt_cache} show ${wanted} OUTPUT_VARIABLE records ERROR_QUIET)
    # Only a few fields are read: what would upset a CMake list goes first.
    string(REGEX REPLACE "[][;]" "" records "${records}")
    string(REPLACE "\n\n" ";" records "${records}")
    foreach(record IN LISTS records)
      set(fields "")
      foreach(field Package Architecture Version SHA256)
        if("\n${record}\n" MATCHES "\n${field}: ([^\n]+)\n")
          list(APPEND fields ${CMAKE_MATCH_1})
        endif()
      endforeach()
      list(LENGTH fields length)
      if(length EQUAL 4)
        list(POP_FRONT fields name architecture version digest)
        string(MAKE_C_IDENTIFIER "deb_${name}:${architecture}=${version}" key)
        set(${key} ${digest})
      endif()
    endforeach()
  endif()

  set(dependencies "")
  if(NOT DEFINED sum_${arg_SOURCE})
    message(FATAL_ERROR "${arg_SOURCE}: the source tarball is not among the subjects")
  endif()
  das_json(tarball_json "${arg_SOURCE}")
  list(APPEND dependencies "{\"name\":${tarball_json},\"uri\":\"${arg_URL}/releases/${arg_SOURCE}\",\"digest\":{\"sha256\":\"${sum_${arg_SOURCE}}\"}}")
  file(STRINGS ${arg_COMMIT} commit LIMIT_COUNT 1)
  if(commit)
    list(APPEND dependencies "{\"uri\":\"git+${arg_URL}\",\"digest\":{\"gitCommit\":\"${commit}\"}}")
  endif()
  foreach(entry IN LISTS packages)
    string(REPLACE "|" ";" entry "${entry}")
    list(POP_FRONT entry binary version source source_version)
    string(REGEX REPLACE ":.*" "" name "${binary}")
    string(REGEX REPLACE ".*:" "" architecture "${binary}")
    das_purl(purl ${name} ${version} ${architecture})
    set(digest "")
    string(MAKE_C_IDENTIFIER "deb_${name}:${architecture}=${version}" key)
    if(DEFINED ${key})
      set(digest "\"digest\":{\"sha256\":\"${${key}}\"},")
    endif()
    das_json(purl_json "${purl}")
    das_json(name_json "${name}")
    das_json(source_json "${source} ${source_version}")
    list(APPEND dependencies
      "{\"name\":${name_json},\"uri\":${purl_json},${digest}\"annotations\":{\"debian:source\":${source_json}}}")
  endforeach()
  list(JOIN dependencies "," dependencies)

  set(docs "${arg_URL}/docs/releasing.md")
  file(WRITE ${arg_OUTPUT} "{\"_type\":\"https://in-toto.io/Statement/v1\",\"subject\":[${subjects}],\
\"predicateType\":\"https://slsa.dev/provenance/v1\",\"predicate\":{\"buildDefinition\":{\
\"buildType\":\"${docs}#the-build-and-its-provenance\",\
\"externalParameters\":{\"source\":${tarball_json},\"preset\":\"package\",\"SOURCE_DATE_EPOCH\":\"${arg_EPOCH}\"},\
\"resolvedDependencies\":[${dependencies}]},\
\"runDetails\":{\"builder\":{\"id\":\"${docs}#cutting-a-release\",\"version\":{\"distribution\":\"${das_distribution}\"}}}}}\n")
endfunction()
