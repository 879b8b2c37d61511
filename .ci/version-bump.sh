# Stage version-bump: the version and the home page live in project(); changed there (and the
# version in the changelog), every package and its manual page follow, and lintian passes under
# umask 002. Built on a tmpfs, which lists directories in another order than most disks.
bumped() {
  local version=$1 next=$2 page home old_home file
  # $3: the packages of $version, a name each, which those of $next must match.
  sed -i "s/^project(das VERSION $version /project(das VERSION $next /" CMakeLists.txt
  old_home=$(sed -n 's/^ *HOMEPAGE_URL "\([^"]*\)".*/\1/p' CMakeLists.txt)
  home=https://das.example.net/home
  sed -i "s|HOMEPAGE_URL \"$old_home\"|HOMEPAGE_URL \"$home\"|" CMakeLists.txt
  if cmake --preset package >configure.log 2>&1; then
    echo "packages of $next were configured with no changelog entry for it"; exit 1
  fi
  grep -q 'docs/changelog' configure.log
  { printf 'das (%s) unstable; urgency=medium\n\n  * Checks that the version lives in one place.\n\n' "$next"
    printf ' -- The das developers <das@example.org>  Mon, 01 Feb 2027 10:00:00 +0000\n\n'
    cat docs/changelog; } >changelog.new
  mv changelog.new docs/changelog
  (umask 002 && cmake --workflow --preset package >/dev/null)
  # The packages of the first build, the one of this machine.
  deb=$(jq -r .builds.musl.packages.deb build/package/release.json)
  tarball=$(jq -r .builds.musl.packages.tarball build/package/release.json)
  zip=$(jq -r .builds.windows.packages.zip build/package/release.json)
  cd build/package/packages
  diff <(ls -1) <(sed "s/\([-_]\)$version\([-_.]\)/\1$next\2/" "$3")
  sha256sum --strict -c --quiet SHA256SUMS
  page=".TH DAS 1 2027-02-01 \"das $next\" \"User Commands\""
  dpkg-deb --fsys-tarfile "$deb" | tar -xO ./usr/share/man/man1/das.1.gz | gzip -dc | grep -xF "$page" >/dev/null
  tar -xOzf "$tarball" share/man/man1/das.1 | grep -xF "$page" >/dev/null
  test "$(dpkg-deb -f "$deb" Version)" = "$next"
  lintian --fail-on error,warning "$deb"
  # Members in name order, and the tarball's modes those of an executable and of data.
  dpkg-deb --fsys-tarfile "$deb" | tar -t | LC_ALL=C sort -c
  tar -tzf "$tarball" | LC_ALL=C sort -c
  zipinfo -1 "$zip" | LC_ALL=C sort -c
  if tar -tvzf "$tarball" | grep -Ev '^(-rwxr-xr-x .* bin/das|-rw-r--r-- .* share/.*)$'; then
    echo "a mode above follows the umask"; exit 1
  fi
  # The new home page in every field that a package's format has for it, and the old one nowhere.
  for file in *; do
    case $file in
      *.deb) test "$(dpkg-deb -f "$file" Homepage)" = "$home" ;;
      *.rpm) test "$(rpm -qp --qf '%{URL}' "$file" 2>/dev/null)" = "$home" ;;
      *.cdx.json) test "$(jq -r '.metadata.component.externalReferences[] | select(.type == "website") | .url' "$file")" = "$home" ;;
      *-oci-image.tar)
        # Each platform's, the loop failing on the first that is not.
        skopeo inspect --raw "oci-archive:$file:das:$next" | jq -r '.manifests[].platform | .architecture + " " + (.variant // "")' |
          while read -r architecture variant; do
            test "$(skopeo inspect --override-arch "$architecture" ${variant:+--override-variant "$variant"} \
                      --config "oci-archive:$file:das:$next" | jq -r '.config.Labels["org.opencontainers.image.source"]')" = "$home" ||
              exit 1
          done ;;
      *.provenance.json) test "$(jq -r '.predicate.buildDefinition.resolvedDependencies[0].uri' "$file")" = "$home/releases/das-$next.tar.gz" ;;
    esac || { echo "$file: not the home page $home"; exit 1; }
  done
  if grep -rlF "$old_home" .; then echo "the old home page above is still in a package"; exit 1; fi
}
export -f bumped
mkdir "$scratch/bump"
make_packages
ls -1 "$packages" >"$scratch/packages"
unshare --mount /bin/bash -euc 'mount -t tmpfs tmpfs "$1"
  copy_source "$1"
  cd "$1" && bumped "$2" "$3" "$4"' - "$scratch/bump" "$(version)" "$(version | awk -F. -v OFS=. '{ $NF += 1; print }')" \
  "$scratch/packages"
echo "bumped: every package and its manual page carry the new version, and every package the new home page; lintian passes under umask 002"
