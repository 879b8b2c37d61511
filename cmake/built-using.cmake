# Run by CPack before it makes a Debian package or an RPM: says whose code das carries inside it,
# as each format does. Debian names each source package at its exact version in Built-Using: the
# one the library's package was built from and, for a cross package, the one whose code that
# repackages too; Fedora names each bundled library at its upstream version in Provides: bundled(...).
cmake_minimum_required(VERSION 3.25)
set(das_embedded "")
include(${CPACK_DAS_BUILT_FROM})
set(built_using "")
set(bundled "")
foreach(entry IN LISTS das_embedded)
  string(REPLACE "|" ";" entry "${entry}")
  list(POP_FRONT entry name version licence cpe binary binary_version architecture source source_version
       origin origin_version)
  list(APPEND built_using "${source} (= ${source_version})" "${origin} (= ${origin_version})")
  list(APPEND bundled "bundled(${name}) = ${version}")
endforeach()
list(REMOVE_DUPLICATES built_using)
list(SORT built_using)
list(SORT bundled)
list(JOIN built_using ", " built_using)
list(JOIN bundled ", " bundled)
if(built_using)
  # CPack has no variable for this field, and writes each field's value as it is given: the field
  # follows another, on a line of its own.
  string(APPEND CPACK_DEBIAN_PACKAGE_PRIORITY "\nBuilt-Using: ${built_using}")
  set(CPACK_RPM_PACKAGE_PROVIDES "${bundled}")
endif()
