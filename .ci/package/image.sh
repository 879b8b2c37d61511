# The checks of a kind of package, the container image: sourced by the stages that check packages.

# Stage packages: the image archive $1, of the builds after it, checked without a container runtime,
# which cannot run here: an index over the platform of each of those builds, each an image whose
# root holds das alone, run by nobody, which answers from it; and the same archive as `docker
# save` writes it, read through its manifest.json by skopeo's reader of Docker's archives:
# das:VERSION, the image of the first of those builds, whose layers match its config's digests.
check_image() {
  local archive=$1 image build platform platforms=() os architecture variant config manifest first docker_image
  shift
  image=oci-archive:$archive:das:$version
  for build; do platforms+=("$(field "$build" image)"); done
  test "$(skopeo inspect --raw "$image" | jq -r '[.manifests[].platform | .os + "/" + .architecture + (if .variant then "/" + .variant else "" end)] | join(" ")')" = \
    "${platforms[*]}"
  for build; do
    IFS=/ read -r os architecture variant <<<"$(field "$build" image)"
    skopeo copy --quiet --override-os "$os" --override-arch "$architecture" ${variant:+--override-variant "$variant"} \
      "$image" "oci:$scratch/image:$build"
    umoci unpack --image "$scratch/image:$build" "$scratch/bundle-$build" >/dev/null
    diff <(cd "$scratch/bundle-$build/rootfs" && find . -printf '%p %U:%G %m\n' | sort) \
         <(printf '%s\n' '. 0:0 755' './das 0:0 755')
    config=$(skopeo inspect --override-arch "$architecture" ${variant:+--override-variant "$variant"} --config "$image")
    test "$(jq -r '.config | [.User, (.Entrypoint | join(" ")), .Labels["org.opencontainers.image.version"],
                             .Labels["org.opencontainers.image.licenses"]] | join(" ")' <<<"$config")" = \
      "65534:65534 /das $version ISC"
    # An image with no base names none, and its history says what made its layer.
    manifest=$(skopeo inspect --raw "oci:$scratch/image:$build")
    test "$(jq -c '.annotations // {} | with_entries(select(.key | startswith("org.opencontainers.image.base.")))' \
            <<<"$manifest")" = "{}"
    test "$(jq -r '[.history[].created_by] | join(" ")' <<<"$config")" = \
      "das $version: COPY bin/das of $(jq -r --arg build "$build" '.builds[$build].packages.tarball' build/package/release.json) to /das"
    answers "$scratch/bundle-$build/rootfs/das"
  done
  echo "image: $(skopeo inspect "$image" | jq -r .Digest) for ${platforms[*]}"
  first=$1
  docker_image=docker-archive:$archive:das:$version
  test "$(skopeo inspect --config "$docker_image" | jq -r '.os + "/" + .architecture')" = "${platforms[0]}"
  skopeo copy --quiet "$docker_image" "oci:$scratch/docker:first"
  umoci unpack --image "$scratch/docker:first" "$scratch/bundle-docker" >/dev/null
  diff <(cd "$scratch/bundle-docker/rootfs" && find . -printf '%p %U:%G %m\n' | sort) <(printf '%s\n' '. 0:0 755' './das 0:0 755')
  cmp "$scratch/bundle-docker/rootfs/das" "$scratch/bundle-$first/rootfs/das"
  echo "image: as Docker's classic store loads it, das:$version for ${platforms[0]}"
}

# Stage sbom: an image has no field for what das embeds.
embeds_image() { echo "$(basename "$1"): embeds $embedded"; }
