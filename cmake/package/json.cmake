# A JSON writer for the package build's documents: each is built with CMake's own string(JSON ...
# SET ...), and every text goes in through das_json_quote, which escapes what JSON asks.
#
#   das_json_quote(<variable> <text>)             the text as a JSON string, quotes included
#   das_json_set(<document> <text> <member>...)    the document's member (object keys, array
#                                                  indexes) set to the text, as a string
#   das_json_append(<document> <json> <member>...) the JSON value added at the end of the array
#   das_json_add(<document> <text> <member>...)    the text added at the end of the array, as a
#                                                  string
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
