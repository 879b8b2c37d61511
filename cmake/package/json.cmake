# A JSON writer and reader for the package build's documents: each is built with CMake's own
# string(JSON ... SET ...), and every text goes in through das_json_quote, which escapes what JSON
# asks; each object is read whole by das_json_read, which names no member.
#
#   das_json_quote(<variable> <text>)             the text as a JSON string, quotes included
#   das_json_set(<document> <text> <member>...)    the document's member (object keys, array
#                                                  indexes) set to the text, as a string
#   das_json_append(<document> <json> <member>...) the JSON value added at the end of the array
#   das_json_add(<document> <text> <member>...)    the text added at the end of the array, as a
#                                                  string
#   das_json_read(<prefix> <json> <member>...)     each member of the object (the document, or its
#                                                  member named) as <prefix>_<member>: a text as it
#                                                  is, an array of texts as a list, anything else
#                                                  as its JSON text; their names in <prefix>_members
#   das_json_indexes(<variable> <json> <member>...)
#                                                  the indexes of the array's items (or the object's
#                                                  members), a list (empty for none)
# The text comes before the member's names, so that a semicolon in it stays in it.
include_guard(GLOBAL)

function(das_json_quote variable text)
  string(REPLACE "\\" "\\\\" text "${text}")
  string(REPLACE "\"" "\\\"" text "${text}")
  set(digits 0123456789abcdef)
  foreach(code RANGE 1 31)
    string(ASCII ${code} character)
    string(FIND "${text}" "${character}" at)
    if(at EQUAL -1)
      continue()
    endif()
    math(EXPR high "${code} / 16")
    math(EXPR low "${code} % 16")
    string(SUBSTRING ${digits} ${high} 1 high)
    string(SUBSTRING ${digits} ${low} 1 low)
    string(REPLACE "${character}" "\\u00${high}${low}" text "${text}")
  endforeach()
  set(${variable} "\"${text}\"" PARENT_SCOPE)
endfunction()

function(das_json_set document text)
  das_json_quote(quoted "${text}")
  string(JSON json SET "${${document}}" ${ARGN} "${quoted}")
  set(${document} "${json}" PARENT_SCOPE)
endfunction()

function(das_json_append document value)
  string(JSON length LENGTH "${${document}}" ${ARGN})
  string(JSON json SET "${${document}}" ${ARGN} ${length} "${value}")
  set(${document} "${json}" PARENT_SCOPE)
endfunction()

function(das_json_add document text)
  das_json_quote(quoted "${text}")
  das_json_append(${document} "${quoted}" ${ARGN})
  set(${document} "${${document}}" PARENT_SCOPE)
endfunction()

function(das_json_read prefix json)
  set(object "${json}")
  if(ARGN)
    string(JSON object GET "${json}" ${ARGN})
  endif()
  set(members "")
  das_json_indexes(indexes "${object}")
  foreach(index IN LISTS indexes)
    string(JSON member MEMBER "${object}" ${index})
    string(JSON value GET "${object}" ${member})
    string(JSON type TYPE "${object}" ${member})
    if(type STREQUAL "ARRAY")
      # An array of texts (or none) as a list; any other stays JSON.
      set(texts "")
      das_json_indexes(items "${object}" ${member})
      foreach(item IN LISTS items)
        string(JSON type TYPE "${object}" ${member} ${item})
        if(NOT type STREQUAL "STRING")
          break()
        endif()
        string(JSON text GET "${object}" ${member} ${item})
        list(APPEND texts "${text}")
      endforeach()
      if(type STREQUAL "STRING" OR items STREQUAL "")
        set(value "${texts}")
      endif()
    endif()
    set(${prefix}_${member} "${value}" PARENT_SCOPE)
    list(APPEND members ${member})
  endforeach()
  set(${prefix}_members ${members} PARENT_SCOPE)
endfunction()

function(das_json_indexes variable json)
  string(JSON length LENGTH "${json}" ${ARGN})
  set(indexes "")
  if(length GREATER 0)
    math(EXPR last "${length} - 1")
    foreach(index RANGE ${last})
      list(APPEND indexes ${index})
    endforeach()
  endif()
  set(${variable} "${indexes}" PARENT_SCOPE)
endfunction()
