# das's container image, all of it: one OCI image archive for every build whose row of
# cmake/builds.cmake says image, each a platform of it.
#
#   das_image_file(<variable> <build> <version>)  its name, at the package build's configure time
#   das_image_step(<build>...)  the target das_image, which makes it once the builds' tarballs are
#                               made; at the package build's configure time
#   cmake -DRELEASE=<release.json> -DBUILDS=<build>... -DWORK=<dir> -DBUILDAH=... -DTAR=... -P image.cmake
#                               makes it, at build time (that target's command)
#
# For each of those machines an image of one layer that holds the static das of its tarball and
# nothing else, run as nobody with das as its entry point, and one index over them all, named
# das:VERSION; and for Docker's classic image store, a manifest.json that names the first machine's
# image. buildah makes them in a store of its own under WORK; every time in them is the release's
# (or the builder's SOURCE_DATE_EPOCH, as in every other package), and the archive is written in
# name order with root as the owner, so that the same source gives the same bytes. Its bill of
# materials, beside it, names what each das in it carries.
include_guard(GLOBAL)
include(${CMAKE_CURRENT_LIST_DIR}/tarball.cmake)

function(das_image_file variable build version)
  set(${variable} das-${version}-oci-image.tar PARENT_SCOPE)
endfunction()

function(das_image_step)
  list(JOIN ARGN "$<SEMICOLON>" builds)
  add_custom_target(das_image ALL
    COMMAND ${CMAKE_COMMAND} -DRELEASE=${PROJECT_BINARY_DIR}/release.json -DBUILDS=${builds}
      -DWORK=${PROJECT_BINARY_DIR}/image -DBUILDAH=${DAS_BUILDAH} -DTAR=${DAS_TAR} -P ${CMAKE_CURRENT_FUNCTION_LIST_FILE}
    VERBATIM)
  foreach(name IN LISTS ARGN)
    add_dependencies(das_image das_${name}-package)
  endforeach()
endfunction()

if(NOT CMAKE_SCRIPT_MODE_FILE STREQUAL CMAKE_CURRENT_LIST_FILE)
  return()
endif()
cmake_minimum_required(VERSION 3.25)
include(${CMAKE_CURRENT_LIST_DIR}/../builds.cmake)
include(${CMAKE_CURRENT_LIST_DIR}/release.cmake)
das_read_release(${RELEASE})
file(REMOVE_RECURSE ${WORK})
file(MAKE_DIRECTORY ${release_packages})
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
set(built_from_files "")
foreach(build IN LISTS BUILDS)
  das_tarball_file(tarball ${build} ${release_version})
  string(JSON image_file GET "${release_builds}" ${build} packages image)
  string(JSON built_from GET "${release_builds}" ${build} built_from)
  list(APPEND built_from_files ${built_from})
  # linux/arm/v7: the architecture arm, its variant v7.
  string(REPLACE "/" ";" platform ${DAS_BUILD_${build}_IMAGE})
  list(POP_FRONT platform os architecture variant)
  set(variant_option "")
  if(variant)
    set(variant_option --variant ${variant})
  endif()
  file(ARCHIVE_EXTRACT INPUT ${release_packages}/${tarball} DESTINATION ${WORK}/${build} PATTERNS bin/das)
  run(${buildah} from --arch ${architecture} ${variant_option} --os ${os} --name das-${build} scratch)
  set(container ${out})
  run(${buildah} copy --chmod 0755 --chown 0:0 ${container} ${WORK}/${build}/bin/das /das)
  # An image with no base says none, and its layer's history says what made it.
  run(${buildah} config --entrypoint [=[["/das"]]=] --user 65534:65534
    --annotation org.opencontainers.image.base.name- --annotation org.opencontainers.image.base.digest-
    --created-by "das ${release_version}: COPY bin/das of ${tarball} to /das"
    --label org.opencontainers.image.title=${release_name}
    --label org.opencontainers.image.description=${release_summary}
    --label org.opencontainers.image.version=${release_version}
    --label org.opencontainers.image.licenses=${release_licence}
    --label org.opencontainers.image.source=${release_homepage}
    ${container})
  run(${buildah} commit --quiet --timestamp ${release_epoch} --format oci --rm ${container} das-${build})
  run(${buildah} manifest add das-index containers-storage:localhost/das-${build})
endforeach()
run(${buildah} manifest push --quiet --all --format oci das-index oci:${WORK}/layout:das:${release_version})
# Docker's classic image store loads only an archive that `docker save` would write, which names
# an image's config and layers in manifest.json; the blobs are the layout's, shared. It names the
# image of the first build above, the first of cmake/builds.cmake (linux/amd64), as das:VERSION; a
# store that reads the OCI index takes every platform.
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
string(JSON first GET "${images}" manifests 0 digest)
blob(manifest ${first})
string(JSON config GET "${manifest}" config digest)
string(REPLACE ":" "/" config "blobs/${config}")
set(entry "{}")
string(JSON entry SET "${entry}" Config "\"${config}\"")
string(JSON entry SET "${entry}" RepoTags "[\"das:${release_version}\"]")
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
run(${TAR} --create --file ${release_packages}/${image_file} --directory ${WORK}/layout --sort=name
  --format=ustar --owner=0 --group=0 --numeric-owner --mtime=@${release_epoch} --mode=u+rw,go=rX .)
include(${CMAKE_CURRENT_LIST_DIR}/cyclonedx.cmake)
das_cyclonedx(PACKAGE "${release_packages}/${image_file}" OUTPUT "${release_packages}/${image_file}.cdx.json"
  BUILT_FROM ${built_from_files})
