# das_rpm_changelog(<variable> <changelog>): docs/changelog, Debian's format, as an RPM %changelog:
#   das (1.0.0) unstable; urgency=medium          * Thu Dec 10 2026 The das developers <das@example.org> - 1.0.0-1
#     * An item, and                         ->    - An item, and
#       its next line.                               its next line.
#    -- The das developers <...>  Thu, 10 Dec 2026 12:00:00 +0000
include_guard(GLOBAL)
function(das_rpm_changelog variable file)
  file(STRINGS ${file} lines)
  set(changelog "")
  set(items "")
  foreach(line IN LISTS lines)
    if(line MATCHES "^das \\(([^)]*)\\)")
      set(version ${CMAKE_MATCH_1})
    elseif(line MATCHES "^  \\* (.*)")
      string(APPEND items "- ${CMAKE_MATCH_1}\n")
    elseif(line MATCHES "^    (.*)")
      string(APPEND items "  ${CMAKE_MATCH_1}\n")
    elseif(line MATCHES "^ -- (.*>)  ([A-Z][a-z][a-z]), +([0-9]+) ([A-Z][a-z][a-z]) ([0-9]+) ")
      string(APPEND changelog "* ${CMAKE_MATCH_2} ${CMAKE_MATCH_4} ${CMAKE_MATCH_3} ${CMAKE_MATCH_5} ${CMAKE_MATCH_1} - ${version}-1\n${items}\n")
      set(items "")
    endif()
  endforeach()
  set(${variable} "${changelog}" PARENT_SCOPE)
endfunction()
