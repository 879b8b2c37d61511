# Writes the Arch Linux package's files for the AUR, from the top of the source tree, once the release
# is signed (cmake/release/sign.cmake):
#
#   cmake -P cmake/release/aur.cmake
#
# as a user, not root: its .SRCINFO is makepkg's, and makepkg will not run as root. Under AUR
# (build/package/aur by default) it writes the PKGBUILD, for the release's source tarball and the
# key that signed it, its .SRCINFO, and that key as keys/pgp/<fingerprint>.asc, where the AUR keeps
# the keys its PKGBUILDs name. All it needs is checked before anything is written, and a failed run
# leaves AUR as it found it.
cmake_minimum_required(VERSION 3.25)
include(${CMAKE_CURRENT_LIST_DIR}/../builds.cmake)
if(NOT RELEASE)
  set(RELEASE build/package/release.json)
endif()
if(NOT AUR)
  set(AUR build/package/aur)
endif()
foreach(variable RELEASE AUR)
  cmake_path(ABSOLUTE_PATH ${variable} BASE_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR} NORMALIZE)
endforeach()
execute_process(COMMAND id -u OUTPUT_VARIABLE user OUTPUT_STRIP_TRAILING_WHITESPACE COMMAND_ERROR_IS_FATAL ANY)
if(user STREQUAL "0")
  message(FATAL_ERROR "makepkg does not run as root: run cmake -P ${CMAKE_CURRENT_LIST_FILE} as a user")
endif()
find_program(makepkg makepkg)
if(NOT makepkg)
  message(FATAL_ERROR "The AUR's .SRCINFO is makepkg's, and there is no makepkg (Debian: makepkg)")
endif()
find_program(gpg gpg REQUIRED)

include(${CMAKE_CURRENT_LIST_DIR}/../package/release.cmake)
das_read_release(${RELEASE})
foreach(file ${release_source} ${release_source}.asc das-release-key.asc)
  if(NOT EXISTS ${release_packages}/${file})
    message(FATAL_ERROR "${release_packages}/${file}: not there; sign the release first (cmake/release/sign.cmake)")
  endif()
endforeach()

# The primary key of the published key, which makepkg checks the tarball's signature against.
execute_process(COMMAND ${gpg} --batch --with-colons --show-keys ${release_packages}/das-release-key.asc
  OUTPUT_VARIABLE keys ERROR_QUIET COMMAND_ERROR_IS_FATAL ANY)
set(FINGERPRINT "")
string(REPLACE "\n" ";" keys "${keys}")
foreach(record IN LISTS keys)
  if(record MATCHES "^fpr:::::::::([0-9A-F]+):")
    set(FINGERPRINT ${CMAKE_MATCH_1})
    break()
  endif()
endforeach()
if(NOT FINGERPRINT)
  message(FATAL_ERROR "${release_packages}/das-release-key.asc: no OpenPGP key in it")
endif()

file(SHA256 ${release_packages}/${release_source} SHA256)
# Arch Linux's names for the machines of the builds, each once.
set(ARCHITECTURES "")
foreach(build IN LISTS DAS_BUILDS)
  if(DAS_BUILD_${build}_ARCH)
    list(APPEND ARCHITECTURES ${DAS_BUILD_${build}_ARCH})
  endif()
endforeach()
list(REMOVE_DUPLICATES ARCHITECTURES)
list(JOIN ARCHITECTURES " " ARCHITECTURES)

# Made aside, then put in AUR's place whole.
set(aside ${AUR}.new)
file(REMOVE_RECURSE ${aside})
configure_file(${CMAKE_CURRENT_LIST_DIR}/PKGBUILD.in ${aside}/PKGBUILD @ONLY)
configure_file(${release_packages}/das-release-key.asc ${aside}/keys/pgp/${FINGERPRINT}.asc COPYONLY)
execute_process(COMMAND ${makepkg} --printsrcinfo WORKING_DIRECTORY ${aside}
  OUTPUT_FILE ${aside}/.SRCINFO RESULT_VARIABLE result)
if(NOT result EQUAL 0)
  file(REMOVE_RECURSE ${aside})
  message(FATAL_ERROR "makepkg --printsrcinfo: ${result}; nothing is written")
endif()
file(REMOVE_RECURSE ${AUR})
file(RENAME ${aside} ${AUR})
message(STATUS "The AUR's PKGBUILD and .SRCINFO, for the key ${FINGERPRINT}, are in ${AUR}.")
