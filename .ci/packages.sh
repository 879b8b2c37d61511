# Stage packages: every Debian package, RPM, tarball, zip and image holds what it should, das answers from
# each (under qemu where it is another machine's), and SHA256SUMS lists them all.
make_packages
version=$(version)
zip=$(jq -r .builds.windows.zip build/package/release.json)
holds "$(cmake -E tar tf "$packages/$zip")" "${zip%.zip}/das.exe" "${zip%.zip}/README.md" "${zip%.zip}/LICENSE"
# Its das.exe, stripped, carries no time in its header, as the one the link made.
unzip -p "$packages/$zip" "${zip%.zip}/das.exe" >"$scratch/das.exe"
for exe in "$scratch/das.exe" build/package/windows/das.exe; do
  TZ=UTC0 x86_64-w64-mingw32-objdump -p "$exe" | grep -Ex 'Time/Date\s+Thu Jan  1 00:00:00 1970' >/dev/null ||
    { echo "$exe: a time in its PE header"; exit 1; }
done

# das from the unpacked package $1, given " -17 rest", answers as it should.
answers() {
  local answer
  answer=$(printf ' -17 rest\n' | $(runner "$1"))
  test "$answer" = "$(printf 'Hello, world!\ndas -17')" || { echo "$1 answered: $answer"; exit 1; }
}

for deb in "$packages"/das_"$version"_*.deb; do
  architecture=$(dpkg-deb -f "$deb" Architecture)
  # Under set -e only the last command of an && list can stop the script: each check stands alone.
  test "$deb" = "$packages/das_${version}_$architecture.deb"
  test -n "$(dpkg-deb -f "$deb" Section)"
  test -n "$(dpkg-deb -f "$deb" Priority)"
  lintian --fail-on error,warning "$deb"
  unpacked=$scratch/deb-$architecture
  mkdir "$unpacked"
  dpkg -x "$deb" "$unpacked"
  answers "$unpacked/usr/bin/das"
  # Installed-Size, as dpkg's own dpkg-gencontrol reckons it from the unpacked tree.
  mkdir -p "$unpacked.gencontrol/debian"
  printf 'Source: das\nMaintainer: %s\n\nPackage: das\nArchitecture: any\nDescription: -\n -\n' \
    "$(dpkg-deb -f "$deb" Maintainer)" >"$unpacked.gencontrol/debian/control"
  printf 'das (%s) unstable; urgency=low\n\n  * -\n\n -- %s  %s\n' "$version" "$(dpkg-deb -f "$deb" Maintainer)" \
    "$(released -R)" >"$unpacked.gencontrol/debian/changelog"
  size=$(cd "$unpacked.gencontrol" && dpkg-gencontrol -pdas -P"$unpacked" -O | sed -n 's/^Installed-Size: //p')
  test "$(dpkg-deb -f "$deb" Installed-Size)" = "$size" ||
    { echo "$deb: Installed-Size $(dpkg-deb -f "$deb" Installed-Size), where dpkg-gencontrol reckons $size"; exit 1; }
  files=(usr/bin/das usr/share/man/man1/das.1.gz usr/share/doc/das/copyright usr/share/doc/das/changelog.gz)
  # A static das depends on nothing, and carries lintian's override for a static PIE; a dynamic
  # one depends on the C library it uses.
  kind=$(pie_kind "$unpacked/usr/bin/das" "")
  if [ "$kind" = static ]; then
    test -z "$(dpkg-deb -f "$deb" Depends)"
    # It carries its C library, and says so.
    test -n "$(dpkg-deb -f "$deb" Built-Using)"
    files+=(usr/share/lintian/overrides/das)
  else
    dpkg-deb -f "$deb" Depends | grep -Ex 'libc6 \(>= 2\.[0-9]+\)'
  fi
  holds "$(dpkg-deb --fsys-tarfile "$deb" | tar -t)" "${files[@]}"
  echo "$(basename "$deb"): $kind, depends on: $(dpkg-deb -f "$deb" Depends)"
done

for tgz in "$packages"/das-"$version"-linux-*-musl.tar.gz; do
  holds "$(tar -tzf "$tgz")" bin/das share/man/man1/das.1 share/doc/das/LICENSE
  unpacked=$scratch/$(basename "$tgz" .tar.gz)
  mkdir "$unpacked"
  tar -xzf "$tgz" -C "$unpacked"
  test "$(pie_kind "$unpacked/bin/das" "")" = static
  answers "$unpacked/bin/das"
done

for rpm in "$packages"/das-"$version"-1.*.rpm; do
  # A static das asks for nothing but rpmlib's features; a dynamic one for the C library.
  if rpm -qpR "$rpm" | grep -v '^rpmlib(' >/dev/null; then rpmlintrc=cmake/package/rpmlintrc; else rpmlintrc=cmake/package/rpmlintrc-static; fi
  rpmlint -r $rpmlintrc "$rpm"
  test "$(rpm -qp --queryformat '%{LICENSE} %{PACKAGER}' "$rpm")" = "ISC The das developers <das@example.org>"
  # Not relocatable, no Group tag, which RPM no longer uses (rpm shows an absent one as
  # Unspecified), and the licence marked as one.
  test "$(rpm -qp --queryformat '%{PREFIXES} %{GROUP}' "$rpm")" = "(none) Unspecified"
  rpm -qpL "$rpm" | grep -x /usr/share/licenses/das/LICENSE >/dev/null
  changelog=$(rpm -qp --changelog "$rpm")
  grep -q -- " - $version-1\$" <<<"${changelog%%$'\n'*}"
  diff <(rpm -qpl "$rpm") <(printf '%s\n' /usr/bin/das /usr/share/licenses/das /usr/share/licenses/das/LICENSE \
                                         /usr/share/man/man1/das.1.gz)
  # Installed for real into a root of its own, where das then answers.
  root=$scratch/$(basename "$rpm" .rpm)
  rpm --root "$root" --initdb
  rpm --root "$root" --install --nodeps --ignorearch --quiet "$rpm" 2>/dev/null
  answers "$root/usr/bin/das"
  echo "$(basename "$rpm"): requires" $(rpm -qpR "$rpm" | grep -v '^rpmlib(')
done

# The container image, checked without a container runtime, which cannot run here: an index over
# the platform of every build that goes into it, each an image whose root holds das alone, run by
# nobody, which answers from it.
image=oci-archive:$packages/das-$version-oci-image.tar:das:$version
platforms=$(jq -r '.image[]' build/package/release.json | while read -r build; do
  builds_where name "$build" name image uname; done)
test "$(skopeo inspect --raw "$image" | jq -r '[.manifests[].platform | .os + "/" + .architecture + (if .variant then "/" + .variant else "" end)] | join(" ")')" = \
  "$(cut -f2 <<<"$platforms" | paste -sd' ')"
first=""
while IFS=$'\t' read -r build platform processor; do
  IFS=/ read -r os architecture variant <<<"$platform"
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
    "das $version: COPY bin/das of das-$version-linux-$processor-musl.tar.gz to /das"
  answers "$scratch/bundle-$build/rootfs/das"
  first=${first:-$build}
done <<<"$platforms"
echo "image: $(skopeo inspect "$image" | jq -r .Digest) for" $(cut -f2 <<<"$platforms")
# The same archive as `docker save` writes it, read through its manifest.json by skopeo's reader of
# Docker's archives: das:VERSION, the image of the first of those builds, whose layers match its
# config's digests.
docker_image=docker-archive:$packages/das-$version-oci-image.tar:das:$version
first_platform=$(sed -n 1p <<<"$platforms" | cut -f2)
test "$(skopeo inspect --config "$docker_image" | jq -r '.os + "/" + .architecture')" = "$first_platform"
skopeo copy --quiet "$docker_image" "oci:$scratch/docker:first"
umoci unpack --image "$scratch/docker:first" "$scratch/bundle-docker" >/dev/null
diff <(cd "$scratch/bundle-docker/rootfs" && find . -printf '%p %U:%G %m\n' | sort) <(printf '%s\n' '. 0:0 755' './das 0:0 755')
cmp "$scratch/bundle-docker/rootfs/das" "$scratch/bundle-$first/rootfs/das"
echo "image: as Docker's classic store loads it, das:$version for $first_platform"

echo "packages: $(cd "$packages" && ls -1 | tr '\n' ' ')"
# SHA256SUMS lists every package beside it (but the signatures of a release), and each one's sum is right.
lists_every_package() { diff <(release_files | grep -vx SHA256SUMS) <(cut -c67- "$packages/SHA256SUMS"); }
lists_every_package
(cd "$packages" && sha256sum --strict -c SHA256SUMS)
# The pages name the packages of this version.
for page in $(doc_pages); do
  if grep -Eo 'das[-_][0-9]+\.[0-9.]*[0-9]' "$page" | grep -Evx "das[-_]$version"; then
    echo "$page: a package name above is not of version $version, the project's"; exit 1
  fi
done
# SHA256SUMS lists the packages that the build made, not whatever else lies beside them.
stray=$packages/das_${version}_stray.deb
touch "$stray"
cmake --build --preset package >/dev/null
rm "$stray"
lists_every_package
echo "SHA256SUMS: what the build made, and nothing else beside it"
