# Stage provenance: the build's provenance is an in-toto statement with a SLSA provenance predicate
# whose subjects are exactly the files of SHA256SUMS, at the same digests, but itself, which
# SHA256SUMS lists too; it names the source tarball by its digest, the commit of a clean checkout,
# the release's time, and Debian packages that this machine has, at those versions; and no time of
# the build, path or user.
make_packages
version=$(version)
provenance=$packages/das-$version.provenance.json
test "$(wc -l <"$provenance")" = 1
test "$(jq -r '._type + " " + .predicateType' "$provenance")" = \
  "https://in-toto.io/Statement/v1 https://slsa.dev/provenance/v1"
diff <(jq -r '.subject[] | .digest.sha256 + "  " + .name' "$provenance") \
     <(grep -v "  das-$version\.provenance\.json\$" "$packages/SHA256SUMS")
grep -q "  das-$version\.provenance\.json\$" "$packages/SHA256SUMS"

definition=$(jq -c .predicate.buildDefinition "$provenance")
epoch=$(released +%s)
test "$(jq -r '.externalParameters | [.source, .preset, .SOURCE_DATE_EPOCH] | join(" ")' <<<"$definition")" = \
  "das-$version.tar.gz package $epoch"
# The page the build type names has the section it points to.
anchor=$(jq -r '.buildType | sub(".*#"; "")' <<<"$definition")
grep -qx "## $(sed 's/-/ /g' <<<"$anchor")" <(sed 's/^## \(.*\)$/## \L\1/' docs/releasing.md)
test "$(jq -r '.resolvedDependencies[0] | .name + " " + .digest.sha256' <<<"$definition")" = \
  "das-$version.tar.gz $(sha256sum "$packages/das-$version.tar.gz" | cut -c1-64)"
if [ -z "$(git status --porcelain --untracked-files=all)" ]; then
  test "$(jq -r '.resolvedDependencies[] | select(.digest.gitCommit) | .digest.gitCommit' <<<"$definition")" = \
    "$(git rev-parse HEAD)"
fi
# Every Debian package it names is this machine's at that version, and where the package lists give
# the digest of its .deb, it is that one (the lists read once, for all of them).
named_debs=$(jq -r '.resolvedDependencies[] | select(.uri | startswith("pkg:deb/")) |
                    (.uri | capture("^pkg:deb/[^/]+/(?<n>[^@]+)@(?<v>[^?]+)\\?arch=(?<a>[^&]+)")) as $p |
                    [$p.n, ($p.v | gsub("%2B"; "+") | gsub("%7E"; "~") | gsub("%3A"; ":")), $p.a, (.digest.sha256 // "none")] | join(" ")' \
             <<<"$definition")
listed=$(apt-cache show $(awk '$4 != "none" { print $1 ":" $3 "=" $2 }' <<<"$named_debs") 2>/dev/null |
         awk '/^Package: / { p = $2 } /^Architecture: / { a = $2 } /^Version: / { v = $2 } /^SHA256: / { print p, v, a, $2 }')
count=0
while read -r name package_version architecture digest; do
  dpkg-query -W -f '${Version}\n' "$name:$architecture" 2>/dev/null | grep -xF "$package_version" >/dev/null ||
    { echo "$provenance: $name $package_version ($architecture) is not this machine's"; exit 1; }
  if [ "$digest" != none ]; then
    grep -xF "$name $package_version $architecture $digest" <<<"$listed" >/dev/null ||
      { echo "$provenance: $name $package_version ($architecture): not the digest of its .deb"; exit 1; }
  fi
  count=$((count + 1))
done <<<"$named_debs"
for tool in g++-12 cmake dpkg rpm buildah; do
  jq -e --arg name "$tool" '.resolvedDependencies[] | select(.name == $name)' <<<"$definition" >/dev/null ||
    { echo "$provenance: names no $tool"; exit 1; }
done
# Nothing of when, where or by whom it was built.
if jq -r '.. | strings' "$provenance" | grep -E '^/|/(home|root|tmp|work)/|nobody'; then
  echo "$provenance: a path or user above"; exit 1
fi
if jq -e '.. | objects | select(has("startedOn") or has("finishedOn"))' "$provenance" >/dev/null; then
  echo "$provenance: a time of the build"; exit 1
fi
echo "$(basename "$provenance"): $(jq '.subject | length' "$provenance") subjects, the source at" \
  "$(jq -r '.resolvedDependencies[0].digest.sha256' <<<"$definition"), $count Debian packages of this machine"

# Found apart from the build's own records: every package that holds a header a build's compile of
# das reads (g++ -M, with the build's flags) or a program its compiler runs to compile and link it
# (g++ -v, with the build's link command), named in the provenance, at its architecture.
named=$(jq -r '.predicate.buildDefinition.resolvedDependencies[] | select(.uri | startswith("pkg:deb/")) |
               .name + ":" + (.uri | capture("[?&]arch=(?<a>[^&]+)").a)' "$provenance" | LC_ALL=C sort -u)
read_here=$scratch/read-by-the-builds
mkdir -p "$read_here"
for dir in $(jq -r '.builds[].directory' build/package/release.json); do
  # The compiler, as the link command begins with it.
  cxx=$(cut -d' ' -f1 "$dir/CMakeFiles/das.dir/link.txt")
  flags=$(sed -n 's/^CXX_\(DEFINES\|INCLUDES\|FLAGS\) = //p' "$dir/CMakeFiles/das.dir/flags.make" | tr '\n' ' ')
  link=$(sed -e "s| -o [^ ]*| -o $read_here/das|" -e "s|-Map=[^ ,]*|-Map=$read_here/map|" "$dir/CMakeFiles/das.dir/link.txt")
  (cd "$dir" && eval "$cxx $flags -v -M $top/src/das.cpp" && eval "$link -v") >"$read_here/said" 2>&1 ||
    { cat "$read_here/said"; echo "$dir: the compile or the link above failed"; exit 1; }
  tr ' \\' '\n\n' <"$read_here/said" | grep '^/' | LC_ALL=C sort -u | while read -r file; do
    if [ -f "$file" ] && [[ $file != "$top"/* && $file != /tmp/* ]]; then
      printf '%s\n%s\n' "$file" "$(realpath "$file")"
    fi
  done >"$read_here/files"
  dpkg-query -S $(LC_ALL=C sort -u "$read_here/files") 2>/dev/null | sed -n 's/^\([^ ,:]*\(:[a-z0-9]*\)\?\)[^ ]*: .*/\1/p' |
    LC_ALL=C sort -u >"$read_here/packages" || true
  while read -r package; do
    [[ $package == *:* ]] || package=$(dpkg-query -W -f '${Package}:${Architecture}' "$package")
    grep -x "$package" <<<"$named" >/dev/null || { echo "$provenance: names no $package, which the $dir build read"; exit 1; }
  done <"$read_here/packages"
  echo "$dir: the $(wc -l <"$read_here/packages") packages it read, named"
done
