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
# public keys (das-release-key.asc, das-release.pub). gpg and minisign ask for the keys'
# passphrases as they do. All that signing needs is checked before anything is written, and what
# it writes is made aside and moved beside the packages only once all of it is made: a failed run
# leaves the packages' directory as it found it. The AUR's files are cmake/release/aur.cmake's.
cmake_minimum_required(VERSION 3.25)
if(NOT RELEASE)
  set(RELEASE build/package/release.json)
endif()
cmake_path(ABSOLUTE_PATH RELEASE BASE_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR} NORMALIZE)
if(NOT OPENPGP_KEY)
  message(FATAL_ERROR "Name the releaser's OpenPGP key: cmake -D OPENPGP_KEY=<key> -P ${CMAKE_CURRENT_LIST_FILE}")
endif()
if(NOT MINISIGN_KEY)
  set(MINISIGN_KEY $ENV{HOME}/.minisign/minisign.key)
endif()
if(NOT EXISTS ${MINISIGN_KEY})
  message(FATAL_ERROR "${MINISIGN_KEY}: no minisign secret key there; name it with -D MINISIGN_KEY=<file>")
endif()
find_program(gpg gpg REQUIRED)
find_program(minisign minisign REQUIRED)

include(${CMAKE_CURRENT_LIST_DIR}/../package/release.cmake)
das_read_release(${RELEASE})
foreach(file SHA256SUMS ${release_source} ${release_provenance})
  if(NOT EXISTS ${release_packages}/${file})
    message(FATAL_ERROR "${release_packages}/${file}: not there; make the release first (cmake --workflow --preset package)")
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

# Made aside, in a directory of its own beside the packages (so that a move is a rename), and
# removed whatever happens to a step.
set(aside ${release_packages}/../.signing)
file(REMOVE_RECURSE ${aside})
file(MAKE_DIRECTORY ${aside})
function(step)
  execute_process(COMMAND ${ARGN} RESULT_VARIABLE result)
  if(NOT result EQUAL 0)
    file(REMOVE_RECURSE ${aside})
    message(FATAL_ERROR "Nothing is signed: ${ARGN}: ${result}")
  endif()
endfunction()
set(made "")
foreach(file SHA256SUMS ${release_source} ${release_provenance})
  step(${gpg} --local-user ${FINGERPRINT} --armor --detach-sign --output ${aside}/${file}.asc ${release_packages}/${file})
  list(APPEND made ${file}.asc)
endforeach()
foreach(file SHA256SUMS ${release_provenance})
  step(${minisign} -S -s ${MINISIGN_KEY} -m ${release_packages}/${file} -x ${aside}/${file}.minisig -t "das ${release_version}: ${file}")
  list(APPEND made ${file}.minisig)
endforeach()
# The public keys, to publish with the release beside their fingerprint.
step(${gpg} --armor --export-options export-minimal --output ${aside}/das-release-key.asc --export ${FINGERPRINT})
step(${minisign} -R -s ${MINISIGN_KEY} -p ${aside}/das-release.pub)
list(APPEND made das-release-key.asc das-release.pub)

foreach(file IN LISTS made)
  file(RENAME ${aside}/${file} ${release_packages}/${file})
endforeach()
file(REMOVE_RECURSE ${aside})
file(READ ${release_packages}/das-release.pub minisign_public)
string(REGEX REPLACE ".*\n([^\n]+)\n?$" "\\1" minisign_public "${minisign_public}")
message(STATUS "Signed; publish with the release the OpenPGP key's fingerprint, ${FINGERPRINT}, \
and the minisign public key, ${minisign_public}. The AUR's files: cmake -P cmake/release/aur.cmake, as a user.")
