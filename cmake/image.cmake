# Writes das's container image, an OCI image archive, from the musl tarballs beside it:
#
#   cmake -DVERSION=... -DEPOCH=... -DPACKAGES=<dir> -DWORK=<dir> -DBUILDAH=... -DTAR=... -DSOURCE=<url>
#         -DDESCRIPTION=... -DBUILT_FROM=<amd64's>|<arm64's> -DRECORD=<dir> -P image.cmake
#
# For linux/amd64 and linux/arm64 an image of one layer that holds the static das and nothing
# else, run as nobody with das as its entry point, and one index over both, named das:VERSION; and
# for Docker's classic image store, a manifest.json that names the linux/amd64 image.
# buildah makes them in a store of its own under WORK; every time in them is EPOCH (or the
# builder's SOURCE_DATE_EPOCH, as in every other package), and the archive
# is written in name order with root as the owner, so that the same source gives the same bytes.
# Its bill of materials, beside it, names what each das in it carries (BUILT_FROM: what
# cmake/built-from.cmake wrote for each).
cmake_minimum_required(VERSION 3.25)
if(DEFINED ENV{SOURCE_DATE_EPOCH})
  set(EPOCH $ENV{SOURCE_DATE_EPOCH})
endif()
file(REMOVE_RECURSE ${WORK})
set(buildah ${BUILDAH} --root ${WORK}/storage --runroot ${WORK}/run --storage-driver vfs)

function(run)
  execute_process(COMMAND ${ARGN} OUTPUT_VARIABLE out RESULT_VARIABLE failed)
  if(failed)
    message(FATAL_ERROR "${ARGN}: ${failed}")
  endif()
  string(STRIP "${out}" out)
  set(out "${out}" PARENT_SCOPE)
endfunction()

run(${buildah} manifest create das-index)
foreach(platform amd64:x86_64 arm64:aarch64)
  string(REPLACE ":" ";" platform ${platform})
  list(GET platform 0 architecture)
  list(GET platform 1 processor)
  file(ARCHIVE_EXTRACT INPUT ${PACKAGES}/das-${VERSION}-linux-${processor}-musl.tar.gz
       DESTINATION ${WORK}/${architecture} PATTERNS bin/das)
  run(${buildah} from --arch ${architecture} --os linux --name das-${architecture} scratch)
  set(container ${out})
  run(${buildah} copy --chmod 0755 --chown 0:0 ${container} ${WORK}/${architecture}/bin/das /das)
  # An image with no base says none, and its layer's history says what made it.
  run(${buildah} config --entrypoint [=[["/das"]]=] --user 65534:65534
    --annotation org.opencontainers.image.base.name- --annotation org.opencontainers.image.base.digest-
    --created-by "das ${VERSION}: COPY bin/das of das-${VERSION}-linux-${processor}-musl.tar.gz to /das"
    --label org.opencontainers.image.title=das
    --label org.opencontainers.image.description=${DESCRIPTION}
    --label org.opencontainers.image.version=${VERSION}
    --label org.opencontainers.image.licenses=ISC
    --label org.opencontainers.image.source=${SOURCE}
    ${container})
  run(${buildah} commit --quiet --timestamp ${EPOCH} --format oci --rm ${container} das-${architecture})
  run(${buildah} manifest add das-index containers-storage:localhost/das-${architecture})
endforeach()
run(${buildah} manifest push --quiet --all --format oci das-index oci:${WORK}/layout:das:${VERSION})
# Docker's classic image store loads only an archive that `docker save` would write, which names
# an image's config and layers in manifest.json; the blobs are the layout's, shared. It names the
# linux/amd64 image, as das:VERSION (a store that reads the OCI index takes both platforms).
set(layout ${WORK}/layout)
function(blob variable digest)
  string(REPLACE ":" "/" path "${digest}")
  file(READ ${layout}/blobs/${path} text)
  set(${variable} "${text}" PARENT_SCOPE)
endfunction()
file(READ ${layout}/index.json images)
string(JSON type GET "${images}" manifests 0 mediaType)
if(type STREQUAL "application/vnd.oci.image.index.v1+json")
  string(JSON digest GET "${images}" manifests 0 digest)
  blob(images ${digest})
endif()
string(JSON count LENGTH "${images}" manifests)
math(EXPR last "${count} - 1")
set(amd64 "")
foreach(i RANGE ${last})
  string(JSON architecture GET "${images}" manifests ${i} platform architecture)
  if(architecture STREQUAL "amd64")
    string(JSON amd64 GET "${images}" manifests ${i} digest)
  endif()
endforeach()
if(NOT amd64)
  message(FATAL_ERROR "${layout}: no linux/amd64 image in the index")
endif()
blob(manifest ${amd64})
string(JSON config GET "${manifest}" config digest)
string(REPLACE ":" "/" config "blobs/${config}")
set(entry "{}")
string(JSON entry SET "${entry}" Config "\"${config}\"")
string(JSON entry SET "${entry}" RepoTags "[\"das:${VERSION}\"]")
string(JSON entry SET "${entry}" Layers "[]")
string(JSON count LENGTH "${manifest}" layers)
math(EXPR last "${count} - 1")
foreach(i RANGE ${last})
  string(JSON layer GET "${manifest}" layers ${i} digest)
  string(REPLACE ":" "/" layer "blobs/${layer}")
  string(JSON entry SET "${entry}" Layers ${i} "\"${layer}\"")
endforeach()
string(JSON docker SET "[]" 0 "${entry}")
file(WRITE ${layout}/manifest.json "${docker}\n")
run(${TAR} --create --file ${PACKAGES}/das-${VERSION}-oci-image.tar --directory ${WORK}/layout --sort=name
  --format=ustar --owner=0 --group=0 --numeric-owner --mtime=@${EPOCH} --mode=u+rw,go=rX .)
include(${CMAKE_CURRENT_LIST_DIR}/cyclonedx.cmake)
string(REPLACE "|" ";" BUILT_FROM "${BUILT_FROM}")
das_cyclonedx(PACKAGE "${PACKAGES}/das-${VERSION}-oci-image.tar" OUTPUT "${PACKAGES}/das-${VERSION}-oci-image.tar.cdx.json"
  VERSION ${VERSION} EPOCH ${EPOCH} URL ${SOURCE} DESCRIPTION "${DESCRIPTION}" BUILT_FROM ${BUILT_FROM})
# Both noted as made (see checksums.cmake).
file(TOUCH ${RECORD}/das-${VERSION}-oci-image.tar ${RECORD}/das-${VERSION}-oci-image.tar.cdx.json)
