# Signs a release, from the top of the source tree, once the package build has made it:
#
#   cmake -D OPENPGP_KEY=<the releaser's key> [-D MINISIGN_KEY=<their secret key file>] -P cmake/release/sign.cmake
#
# with the releaser's own keys, which never enter the source or a package: an OpenPGP key of their
# keyring and a minisign secret key, by default where minisign keeps it, ~/.minisign/minisign.key.
# The package build's release.json (RELEASE, build/package/release.json by default) says what the
# release is and where its packages are. Beside them it writes detached signatures,
# which change no package: armoured OpenPGP ones of SHA256SUMS, the source tarball and the
# provenance (.asc), and minisign ones of SHA256SUMS and the provenance (.minisig), and the two
# public keys (das-release-key.asc, das-release.pub). It then writes the Arch Linux package's
# PKGBUILD, for that tarball and that key, its .SRCINFO, which makepkg generates, and the public
# key as keys/pgp/<fingerprint>.asc, under AUR (build/package/aur by default). gpg and minisign
# ask for the keys' passphrases as they do.
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
if(NOT OPENPGP_KEY)
  message(FATAL_ERROR "Name the releaser's OpenPGP key: cmake -D OPENPGP_KEY=<key> -P ${CMAKE_CURRENT_LIST_FILE}")
endif()
if(NOT MINISIGN_KEY)
  set(MINISIGN_KEY $ENV{HOME}/.minisign/minisign.key)
endif()
find_program(gpg gpg REQUIRED)
find_program(minisign minisign REQUIRED)
find_program(makepkg makepkg REQUIRED)

if(NOT EXISTS ${RELEASE})
  message(FATAL_ERROR "${RELEASE}: not there; make the release first (cmake --workflow --preset package)")
endif()
include(${CMAKE_CURRENT_LIST_DIR}/../package/release.cmake)
das_read_release(${RELEASE})
string(JSON VERSION GET "${release}" version)
string(JSON DESCRIPTION GET "${release}" description)
string(JSON URL GET "${release}" homepage)
string(JSON MAINTAINER GET "${release}" maintainer)
string(JSON tarball GET "${release}" source)
string(JSON provenance GET "${release}" provenance)
foreach(file SHA256SUMS ${tarball} ${provenance})
  if(NOT EXISTS ${packages}/${file})
    message(FATAL_ERROR "${packages}/${file}: not there; make the release first (cmake --workflow --preset package)")
  endif()
endforeach()

# The key, once, as the fingerprint of the one secret key that OPENPGP_KEY names and that can sign:
# a keyring may hold other keys of the same address (a colleague's, or an old one after a rotation),
# and the signatures, the published key and the PKGBUILD must all name the same one.
execute_process(COMMAND ${gpg} --batch --with-colons --list-secret-keys -- ${OPENPGP_KEY}
  OUTPUT_VARIABLE keys ERROR_QUIET)
set(candidates "")
set(signer "")
string(REPLACE "\n" ";" keys "${keys}")
foreach(record IN LISTS keys)
  string(REPLACE ":" ";" fields "${record}")
  list(LENGTH fields count)
  if(count EQUAL 0)
    continue()
  endif()
  list(GET fields 0 type)
  if(type STREQUAL "sec" AND count GREATER 11)
    # Not revoked, expired, invalid or disabled, and able to sign (a capital S: the key as a whole).
    list(GET fields 1 validity)
    list(GET fields 11 capabilities)
    set(signer OFF)
    if(NOT validity MATCHES "^[reid]$" AND capabilities MATCHES "S")
      set(signer ON)
    endif()
  elseif(type STREQUAL "fpr" AND count GREATER 9 AND signer)
    list(GET fields 9 fingerprint)
    list(APPEND candidates ${fingerprint})
    set(signer OFF) # the next fpr is a subkey's
  endif()
endforeach()
list(LENGTH candidates count)
if(NOT count EQUAL 1)
  if(count EQUAL 0)
    set(named "none")
  else()
    string(JOIN ", " named ${candidates})
  endif()
  message(FATAL_ERROR "${OPENPGP_KEY}: the keyring must hold exactly one secret key of that name that can sign; \
it holds ${count} (${named}): name the one to sign with by its fingerprint")
endif()
set(FINGERPRINT ${candidates})

foreach(file SHA256SUMS ${tarball} ${provenance})
  execute_process(COMMAND ${gpg} --local-user ${FINGERPRINT} --armor --detach-sign --yes
      --output ${packages}/${file}.asc ${packages}/${file}
    COMMAND_ERROR_IS_FATAL ANY)
endforeach()
foreach(file SHA256SUMS ${provenance})
  execute_process(COMMAND ${minisign} -S -s ${MINISIGN_KEY} -m ${packages}/${file} -x ${packages}/${file}.minisig
      -t "das ${VERSION}: ${file}"
    COMMAND_ERROR_IS_FATAL ANY)
endforeach()

# The public keys, to publish with the release beside their fingerprint.
execute_process(COMMAND ${gpg} --armor --export-options export-minimal --export ${FINGERPRINT}
  OUTPUT_FILE ${packages}/das-release-key.asc COMMAND_ERROR_IS_FATAL ANY)
file(REMOVE ${packages}/das-release.pub)
execute_process(COMMAND ${minisign} -R -s ${MINISIGN_KEY} -p ${packages}/das-release.pub
  OUTPUT_QUIET COMMAND_ERROR_IS_FATAL ANY)

# Arch Linux's makepkg checks the tarball against the signer's primary key, by its fingerprint.
file(SHA256 ${packages}/${tarball} SHA256)
# Arch Linux's names for the machines of the builds, each once.
set(ARCHITECTURES "")
foreach(build IN LISTS DAS_BUILDS)
  if(DAS_BUILD_${build}_ARCH)
    list(APPEND ARCHITECTURES ${DAS_BUILD_${build}_ARCH})
  endif()
endforeach()
list(REMOVE_DUPLICATES ARCHITECTURES)
list(JOIN ARCHITECTURES " " ARCHITECTURES)
configure_file(${CMAKE_CURRENT_LIST_DIR}/PKGBUILD.in ${AUR}/PKGBUILD @ONLY)
# Where the AUR keeps the keys its PKGBUILDs name, for packagers to import.
configure_file(${packages}/das-release-key.asc ${AUR}/keys/pgp/${FINGERPRINT}.asc COPYONLY)
execute_process(COMMAND ${makepkg} --printsrcinfo WORKING_DIRECTORY ${AUR}
  OUTPUT_FILE ${AUR}/.SRCINFO COMMAND_ERROR_IS_FATAL ANY)
file(READ ${packages}/das-release.pub minisign_public)
string(REGEX REPLACE ".*\n([^\n]+)\n?$" "\\1" minisign_public "${minisign_public}")
message(STATUS "Signed; publish with the release the OpenPGP key's fingerprint, ${FINGERPRINT}, \
and the minisign public key, ${minisign_public}. The AUR's PKGBUILD and .SRCINFO are in ${AUR}.")
