# What a release of das is: the version in project(), the newest entry of docs/changelog, which
# must be for that version, and that entry's date, as a date (DAS_RELEASE_DATE) and as seconds since
# 1970 (DAS_RELEASE_EPOCH); the manual page's header carries both version and date.
# The entry's date stamps the manual page and every time in the packages (unless the builder sets
# SOURCE_DATE_EPOCH, as distributions do): it travels with the source, in a tarball without .git too.
# A package build stops while the two versions differ; any other build only warns.
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS docs/changelog)
file(STRINGS docs/changelog das_changelog_version REGEX "^das \\(" LIMIT_COUNT 1)
string(REGEX REPLACE "^das \\(([^)]*)\\).*" "\\1" das_changelog_version "${das_changelog_version}")
if(NOT das_changelog_version STREQUAL PROJECT_VERSION)
  set(mismatch "docs/changelog: its newest entry is for das ${das_changelog_version}, but the project \
is version ${PROJECT_VERSION}: add an entry for ${PROJECT_VERSION}")
  if(DAS_PACKAGE)
    message(FATAL_ERROR "${mismatch}")
  endif()
  message(WARNING "${mismatch}")
endif()
file(STRINGS docs/changelog trailer REGEX "^ -- " LIMIT_COUNT 1)
set(months Jan Feb Mar Apr May Jun Jul Aug Sep Oct Nov Dec)
string(JOIN "|" month_names ${months})
set(date_regex "([0-9]+) (${month_names}) ([0-9][0-9][0-9][0-9]) ([0-9][0-9]):([0-9][0-9]):([0-9][0-9]) ([-+])([0-9][0-9])([0-9][0-9])")
if(NOT trailer MATCHES ">  [A-Z][a-z][a-z], +${date_regex}$")
  message(FATAL_ERROR "docs/changelog: the newest entry ends without a date such as \"Thu, 10 Dec 2026 12:00:00 +0000\"")
endif()
math(EXPR seconds "${CMAKE_MATCH_4} * 3600 + ${CMAKE_MATCH_5} * 60 + ${CMAKE_MATCH_6}
  - (${CMAKE_MATCH_7}1) * (${CMAKE_MATCH_8} * 3600 + ${CMAKE_MATCH_9} * 60)")
math(EXPR day "${CMAKE_MATCH_1}")
list(FIND months ${CMAKE_MATCH_2} month)
math(EXPR month "${month} + 1")
set(year ${CMAKE_MATCH_3})
# Days since 1970 in the Gregorian calendar, with years counted from March so that a leap day
# comes last in its year.
set(march_year ${year})
if(month LESS_EQUAL 2)
  math(EXPR march_year "${year} - 1")
endif()
math(EXPR days "${march_year} * 365 + ${march_year} / 4 - ${march_year} / 100 + ${march_year} / 400
  + (153 * ((${month} + 9) % 12) + 2) / 5 + ${day} - 719469")
math(EXPR DAS_RELEASE_EPOCH "${days} * 86400 + ${seconds}")
foreach(part month day)
  if(${part} LESS 10)
    set(${part} 0${${part}})
  endif()
endforeach()
set(DAS_RELEASE_DATE ${year}-${month}-${day})
configure_file(docs/das.1.in das.1 @ONLY)
