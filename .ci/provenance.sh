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
# the digest of its .deb, it is that one.
count=0
while read -r name package_version architecture digest; do
  dpkg-query -W -f '${Version}\n' "$name:$architecture" 2>/dev/null | grep -xF "$package_version" >/dev/null ||
    { echo "$provenance: $name $package_version ($architecture) is not this machine's"; exit 1; }
  if [ "$digest" != none ]; then
    apt-cache show "$name:$architecture=$package_version" | grep -x "SHA256: $digest" >/dev/null ||
      { echo "$provenance: $name $package_version ($architecture): not the digest of its .deb"; exit 1; }
  fi
  count=$((count + 1))
done < <(jq -r '.resolvedDependencies[] | select(.uri | startswith("pkg:deb/")) |
                (.uri | capture("^pkg:deb/[^/]+/(?<n>[^@]+)@(?<v>[^?]+)\\?arch=(?<a>[^&]+)")) as $p |
                [$p.n, ($p.v | gsub("%2B"; "+") | gsub("%7E"; "~") | gsub("%3A"; ":")), $p.a, (.digest.sha256 // "none")] | join(" ")' \
             <<<"$definition")
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
