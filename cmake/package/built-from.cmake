# What went into das, read from its link map and this machine's package database:
#
#   cmake -DMAP=<das's link map> -DOUT=<file> -DCOMPILER=... -DLINKER=... -DPLATFORM=<os/arch>
#         [-DDEPFILES=<the compiler's dependency files for das's objects>]
#         [-DOS_RELEASE=<file>, /etc/os-release by default] -P built-from.cmake
#
# A static das carries code of every library archive the linker took a member from (the C library,
# libgcc, MinGW-w64's runtime): each is named by the package that holds it, that package's source
# package, the source package the code really comes from (a cross package, such as
# libc6-dev-arm64-cross from cross-toolchain-base, only repackages glibc: its own Built-Using says
# which glibc), and what it is upstream, with its version and licence. The start files that every
# program has are not counted. Every archive das takes code from must belong to a package. The
# toolchain is the compiler, the programs it runs (cc1plus, collect2 and the LTO plugin, where it
# says where they are), the linker, CMake, every header the compile read (the dependency files
# name them) and every file the link read: by its package where one holds it, else by its path
# and, for a program, what its --version says. OUT is a JSON document that records both:
#
#   platform, distribution_id, distribution   the image platform of das; the build machine's
#                                              distribution (debian) and with its version (debian-12)
#   embedded   a library each: name, version, licence, cpe, binary (its package) and binary_version,
#              architecture, source and source_version (its source package), origin and
#              origin_version (the source package of its code), archives (those das took code from)
#   toolchain  a package, or a file of no package, each: binary (the package, or the file's name),
#              binary_version (or what the file's --version says), architecture, source,
#              source_version, role (what it did), path (a file of no package's)
#
# cmake/package/json.cmake's das_json_read reads each.
cmake_minimum_required(VERSION 3.25)
include(${CMAKE_CURRENT_LIST_DIR}/json.cmake)
# What the tools say is read in C's locale, whatever the builder's.
set(ENV{LC_ALL} C)
if(NOT OS_RELEASE)
  set(OS_RELEASE /etc/os-release)
endif()

# What an archive is upstream, by the source package it comes from and its name:
#   source package (regex), archive (regex), name, SPDX licence, CPE vendor:product (or none),
#   the source package of the code itself (regex), which a cross package names in its Built-Using
set(gcc "gcc-[0-9]+|gcc-[0-9]+-cross|gcc-[0-9]+-cross-ports|gcc-mingw-w64")
set(gcc_licence "GPL-3.0-or-later WITH GCC-exception-3.1")
# MinGW-w64's runtime (mingw-w64-crt), of which das.exe takes the start-up code and printf with its
# number conversion (gdtoa), is under the ZPL 2.1 but for the start-up code, in the public domain,
# and gdtoa, under Lucent's permissive notice; SPDX lists neither of the two (Debian's copyright
# file, in mingw-w64-common, names them public-domain and Lucent).
set(mingw_licence "ZPL-2.1 AND LicenseRef-mingw-w64-public-domain AND LicenseRef-gdtoa-Lucent")
set(upstreams
  "glibc|cross-toolchain-base,lib(c|c_nonshared|m|mvec)(-[0-9.]+)?\\.a,glibc,LGPL-2.1-or-later,gnu:glibc,glibc"
  "musl,libc\\.a,musl,MIT,musl-libc:musl,musl"
  "${gcc},libgcc(_eh)?\\.a,libgcc,${gcc_licence},gnu:gcc,gcc-[0-9]+"
  "${gcc},lib(stdc|sup)c\\+\\+\\.a,libstdc++,${gcc_licence},gnu:gcc,gcc-[0-9]+"
  "${gcc},libssp(_nonshared)?\\.a,libssp,${gcc_licence},gnu:gcc,gcc-[0-9]+"
  "mingw-w64,lib[a-z0-9_]+\\.a,mingw-w64,${mingw_licence},,mingw-w64")

function(run variable)
  execute_process(COMMAND ${ARGN} OUTPUT_VARIABLE out ERROR_VARIABLE error RESULT_VARIABLE failed)
  set(${variable} "${out}" PARENT_SCOPE)
  set(${variable}_failed "${failed}" PARENT_SCOPE)
endfunction()

# "archive(member)" at the start of a line: a member the linker took, in the map's first part;
# "LOAD file": a file the link read.
file(READ ${MAP} map)
string(REGEX MATCHALL "\n/[^\n(]*\\.a\\(" members "\n${map}")
list(TRANSFORM members REPLACE "^\n(.*)\\($" "\\1")
string(REGEX MATCHALL "\nLOAD /[^\n]*" inputs "\n${map}")
list(TRANSFORM inputs REPLACE "^\nLOAD " "")
list(REMOVE_DUPLICATES members)
list(REMOVE_DUPLICATES inputs)
# The headers: every absolute path of the dependency files.
set(headers "")
foreach(depfile IN LISTS DEPFILES)
  if(EXISTS ${depfile})
    file(READ ${depfile} depends)
    string(REGEX MATCHALL "(^|[ \t\n])/[^ \t\n\\]+" found "${depends}")
    list(TRANSFORM found STRIP)
    list(APPEND headers ${found})
  endif()
endforeach()
list(REMOVE_DUPLICATES headers)
# The programs that the compiler runs, where it names them by their path (GCC does).
set(parts "")
foreach(query -print-prog-name=cc1plus -print-prog-name=collect2 -print-file-name=liblto_plugin.so)
  execute_process(COMMAND ${COMPILER} ${query} OUTPUT_VARIABLE part OUTPUT_STRIP_TRAILING_WHITESPACE ERROR_QUIET)
  if(IS_ABSOLUTE "${part}" AND EXISTS "${part}")
    list(APPEND parts ${part})
  endif()
endforeach()

# Each file, as the package database knows it: where its links lead (the file that holds the bytes,
# not a link to it that another package makes), or the path as written.
find_program(DPKG_QUERY dpkg-query REQUIRED)
set(paths "")
foreach(file IN LISTS members inputs parts headers COMPILER LINKER CMAKE_COMMAND)
  cmake_path(NORMAL_PATH file OUTPUT_VARIABLE normal)
  file(REAL_PATH ${file} real)
  set(candidates_${file} ${real} ${normal})
  set(real_${file} ${real})
  list(APPEND paths ${real} ${normal})
endforeach()
list(REMOVE_DUPLICATES paths)
run(owners ${DPKG_QUERY} --search ${paths})
string(REPLACE "\n" ";" owners "${owners}")
foreach(line IN LISTS owners)
  # "package[:architecture][, other]: path"
  if(line MATCHES "^([^ ,:]+(:[a-z0-9]+)?)[^ ]*: (/.*)$")
    set(owner_${CMAKE_MATCH_3} ${CMAKE_MATCH_1})
  endif()
endforeach()
set(packages "")
foreach(file IN LISTS members inputs parts headers COMPILER LINKER CMAKE_COMMAND)
  unset(package_${file})
  foreach(candidate IN LISTS candidates_${file})
    if(DEFINED owner_${candidate})
      set(package_${file} ${owner_${candidate}})
      list(APPEND packages ${owner_${candidate}})
      break()
    endif()
  endforeach()
endforeach()
# A header of no package is the project's own, or of a compiler installed by hand: not named.
foreach(header IN LISTS headers)
  if(NOT DEFINED package_${header})
    list(REMOVE_ITEM headers ${header})
  endif()
endforeach()
foreach(archive IN LISTS members)
  if(NOT DEFINED package_${archive})
    message(FATAL_ERROR "${archive}: no package of this machine holds it, so what das took from it cannot be named")
  endif()
endforeach()
list(REMOVE_DUPLICATES packages)

# Each package's name, version and architecture, its source package's name and version, and the
# source packages whose code it was built with, as <field>_<package>.
set(fields binary binary_version architecture source source_version built_using)
run(said ${DPKG_QUERY} --show
  "--showformat=\${binary:Package}\t\${Package}\t\${Version}\t\${Architecture}\t\${source:Package}\t\${source:Version}\t\${Built-Using}\n"
  ${packages})
if(said_failed)
  message(FATAL_ERROR "dpkg-query --show ${packages}: ${said_failed}")
endif()
string(REPLACE ";" "" said "${said}")
string(REPLACE "\n" ";" said "${said}")
foreach(line IN LISTS said)
  string(REPLACE "\t" ";" line "${line}")
  list(POP_FRONT line package)
  foreach(field IN LISTS fields)
    list(POP_FRONT line ${field}_${package})
  endforeach()
endforeach()

# The distribution the packages are from, for the package URLs: its ID, debian say, and with its
# version, debian-12.
set(distribution "")
foreach(field ID VERSION_ID)
  file(STRINGS ${OS_RELEASE} value REGEX "^${field}=")
  string(REGEX REPLACE "^${field}=\"?([^\"]*)\"?$" "\\1" value "${value}")
  list(APPEND distribution ${value})
endforeach()
list(GET distribution 0 distribution_id)
list(JOIN distribution - distribution)
set(record "{}")
das_json_set(record "${PLATFORM}" platform)
das_json_set(record "${distribution_id}" distribution_id)
das_json_set(record "${distribution}" distribution)
string(JSON record SET "${record}" embedded "[]")
string(JSON record SET "${record}" toolchain "[]")

# Embedded: for each package whose archives gave members, what each of those archives is upstream.
foreach(archive IN LISTS members)
  set(package ${package_${archive}})
  foreach(field IN LISTS fields)
    set(${field} "${${field}_${package}}")
  endforeach()
  cmake_path(GET archive FILENAME archive_name)
  set(found "")
  foreach(upstream IN LISTS upstreams)
    string(REPLACE "," ";" upstream "${upstream}")
    list(POP_FRONT upstream source_regex archive_regex name licence cpe origin_regex)
    if(source MATCHES "^(${source_regex})$" AND archive_name MATCHES "^${archive_regex}$")
      set(found ${name})
      break()
    endif()
  endforeach()
  if(NOT found)
    message(FATAL_ERROR "das takes code from ${archive} (Debian source package ${source}), which "
                        "cmake/built-from.cmake cannot name upstream: add it to its table")
  endif()
  # Upstream's version: the Debian version without its epoch, revision or repack suffix.
  string(REGEX REPLACE "^[0-9]+:" "" version "${binary_version}")
  string(REGEX REPLACE "[-+~].*$" "" version "${version}")
  # The source package of the code itself: the package's own, or the one its Built-Using names.
  set(origin ${source})
  set(origin_version ${source_version})
  if(NOT source MATCHES "^(${origin_regex})$")
    string(REPLACE ", " ";" built_using "${built_using}")
    foreach(used IN LISTS built_using)
      if(used MATCHES "^(${origin_regex}) \\(= ([^)]+)\\)$")
        set(origin ${CMAKE_MATCH_1})
        set(origin_version ${CMAKE_MATCH_2})
        break()
      endif()
    endforeach()
  endif()
  # One entry for each library, whichever of its archives das took code from.
  set(entry "{}")
  foreach(field name version licence cpe binary binary_version architecture source source_version origin origin_version)
    das_json_set(entry "${${field}}" ${field})
  endforeach()
  list(FIND entries "${entry}" index)
  if(index EQUAL -1)
    list(LENGTH entries index)
    list(APPEND entries "${entry}")
  endif()
  list(APPEND archives_${index} ${archive_name})
endforeach()
set(index 0)
foreach(entry IN LISTS entries)
  list(SORT archives_${index})
  list(JOIN archives_${index} " " archive_names)
  das_json_set(entry "${archive_names}" archives)
  das_json_append(record "${entry}" embedded)
  math(EXPR index "${index} + 1")
endforeach()

# The toolchain: what each package did, by the files of it this build used; a file that no package
# holds is named by its path, and a program of them by what its --version says.
set(tools "")
foreach(file IN LISTS COMPILER parts LINKER CMAKE_COMMAND inputs headers)
  cmake_path(GET real_${file} FILENAME file_name)
  if(DEFINED package_${file})
    set(tool ${package_${file}})
  else()
    set(tool ${real_${file}})
    set(path_${tool} ${real_${file}})
    foreach(field IN LISTS fields)
      set(${field}_${tool} "")
    endforeach()
    set(binary_${tool} ${file_name})
  endif()
  if(NOT tool IN_LIST tools)
    list(APPEND tools ${tool})
  endif()
  if(file STREQUAL COMPILER OR file STREQUAL LINKER OR file STREQUAL CMAKE_COMMAND)
    if(file STREQUAL COMPILER)
      set(role_${tool} "compiler: ${file_name}")
    elseif(file STREQUAL LINKER)
      set(role_${tool} "linker: ${file_name}")
    else()
      set(role_${tool} "build system: ${file_name}")
    endif()
    if(NOT DEFINED package_${file})
      run(said ${real_${file}} --version)
      string(REGEX MATCHALL "[0-9]+(\\.[0-9]+)+" said "${said}")
      list(POP_FRONT said said)
      set(binary_version_${tool} "${said}")
    endif()
  elseif(file IN_LIST headers)
    if(NOT DEFINED headers_${tool})
      set(headers_${tool} 0)
    endif()
    math(EXPR headers_${tool} "${headers_${tool}} + 1")
  elseif(file IN_LIST parts)
    list(APPEND parts_${tool} ${file_name})
  elseif(NOT file_name IN_LIST read_${tool})
    list(APPEND read_${tool} ${file_name})
  endif()
endforeach()
foreach(tool IN LISTS tools)
  if(NOT DEFINED role_${tool})
    set(roles "")
    if(DEFINED parts_${tool})
      list(JOIN parts_${tool} " " files)
      list(APPEND roles "compiler's programs: ${files}")
    endif()
    if(DEFINED read_${tool})
      list(JOIN read_${tool} " " files)
      list(APPEND roles "link inputs: ${files}")
    endif()
    if(DEFINED headers_${tool})
      list(APPEND roles "headers: ${headers_${tool}}")
    endif()
    list(JOIN roles "; " role_${tool})
  endif()
  if(NOT DEFINED path_${tool})
    set(path_${tool} "")
  endif()
  set(entry "{}")
  foreach(field binary binary_version architecture source source_version)
    das_json_set(entry "${${field}_${tool}}" ${field})
  endforeach()
  das_json_set(entry "${role_${tool}}" role)
  das_json_set(entry "${path_${tool}}" path)
  das_json_append(record "${entry}" toolchain)
endforeach()
file(WRITE ${OUT} "${record}\n")
