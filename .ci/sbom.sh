# Stage sbom: every package says what its das carries of other projects' code, as its format says
# it, and has a bill of materials beside it that is a valid CycloneDX document, names that same
# code at the versions this machine built with, and holds the package's checksum.
make_packages
version=$(version)

# The CycloneDX project's schemas, as its JavaScript library ships them, at a version checked here.
library=cyclonedx-cyclonedx-library-10.3.0.tgz
(cd "$scratch" && npm pack --silent @cyclonedx/cyclonedx-library@10.3.0 >/dev/null)
echo "9833bd949052eb18218dd64b13ad62d9246f7395eef01c66dad08fcbacf74f01  $scratch/$library" | sha256sum --quiet -c
mkdir "$scratch/schemas"
tar -xzf "$scratch/$library" -C "$scratch/schemas" --strip-components=3 package/res/schema
# Debian's python3, which has Debian's jsonschema, whatever python3 comes first on the path.
/usr/bin/python3 .ci/cyclonedx.py "$scratch/schemas" "$packages"/*.cdx.json

# Whether this machine has the package $1 at version $2 for architecture $3, from source $4 at $5.
installed() {
  dpkg-query -W -f '${Package} ${Version} ${Architecture} ${source:Package} ${source:Version}\n' "$1" 2>/dev/null |
    grep -qxF "$1 $2 $3 $4 $5"
}

while IFS=$'\t' read -r -u 3 -a entry; do
  kind=${entry[0]} name=${entry[1]}
  package=$packages/$name
  sbom=$package.cdx.json
  test -f "$sbom" || { echo "$name has no bill of materials beside it"; exit 1; }
  test "$(jq -r '.metadata.component | [.name, .version, (.hashes[] | select(.alg == "SHA-256").content),
                                        (.externalReferences[] | select(.type == "distribution").url)] | join(" ")' "$sbom")" = \
    "das $version $(sha256sum "$package" | cut -c1-64) $name"
  # Every Debian package it names, embedded or in the toolchain, is this machine's, at that version.
  while read -r binary binary_version architecture source source_version; do
    installed "$binary" "$binary_version" "$architecture" "$source" "$source_version" ||
      { echo "$name.cdx.json: $binary $binary_version ($architecture, from $source $source_version) is not this machine's"; exit 1; }
  done < <(jq -r '(.components[], .metadata.tools.components[]) | select(any(.properties[]; .name == "debian:package")) |
               [.properties[] | select(.name == "debian:package"), select(.name == "debian:source") | .value] | join(" ")' "$sbom")
  # A library is named by the source package of its code, which security trackers know, never by a
  # cross package that only repackages it.
  if jq -r '.components[].purl' "$sbom" | grep -e '-cross'; then
    echo "$name.cdx.json: a component above is named by a cross package"; exit 1
  fi
  # What it says das embeds, as the package's own fields must say it too.
  embedded=$(jq -r '[.components[] | .name + " " + .version] | unique | join(", ")' "$sbom")
  built_using=$(jq -r '[.components[].properties[] | select(.name == "debian:source" or .name == "debian:built-using").value |
                        sub(" "; " (= ") + ")"] | unique | join(", ")' "$sbom")
  bundled=$(jq -r '[.components[] | "bundled(" + .name + ") = " + .version] | unique | join(", ")' "$sbom")
  source ".ci/package/$kind.sh"
  "embeds_$kind" "$package"
  # A static das carries its C library, and das.exe MinGW-w64's runtime: the map was read. The
  # builds that went into the package say which: musl's, or the Windows runtime (a glibc das in a
  # package is a dynamic one).
  for build in "${entry[@]:2}"; do
    case $(field "$build" libc) in
      musl) carries=musl ;;
      ucrt) carries=mingw-w64 ;;
      *) carries="" ;;
    esac
    if [ -n "$carries" ] && ! grep -qw "$carries" <<<"$embedded"; then
      echo "$name: its das carries $carries, which its bill of materials does not name"; exit 1
    fi
  done
done 3< <(release_packages)

# A build machine that is not exactly Debian: a compiler that no package holds, and another
# distribution. Only what das embeds must belong to a package: the compiler is named by its path and
# by what its --version says, and the package URLs by that distribution.
cp "$(readlink -f "$(command -v g++)")" "$scratch/g++"
printf 'ID=ubuntu\nVERSION_ID="24.04"\n' >"$scratch/os-release"
cmake -DMAP=build/package/musl/das-Release.map -DOUT="$scratch/built-from.json" -DCOMPILER="$scratch/g++" \
  -DLINKER=/usr/bin/ld -DPLATFORM=linux/amd64 -DOS_RELEASE="$scratch/os-release" -P cmake/package/built-from.cmake
bill=$scratch/das_${version}_amd64.deb.cdx.json
cat >"$scratch/bill.cmake" <<EOF
cmake_minimum_required(VERSION 3.25)
include("$PWD/cmake/package/cyclonedx.cmake")
include("$PWD/cmake/package/release.cmake")
das_read_release("$PWD/build/package/release.json")
das_cyclonedx(PACKAGE "$PWD/$packages/das_${version}_amd64.deb" OUTPUT "$bill" BUILT_FROM "$scratch/built-from.json")
EOF
cmake -P "$scratch/bill.cmake"
/usr/bin/python3 .ci/cyclonedx.py "$scratch/schemas" "$bill"
compiler=$(jq -r '.metadata.tools.components[] | select(.description == "compiler: g++") |
                  [.version, (.properties[] | select(.name == "das:path").value), .purl // "no purl"] | join(" ")' "$bill")
test "$compiler" = "$(g++ -dumpfullversion) $scratch/g++ no purl"
jq -r '.components[].purl' "$bill" | grep '^pkg:deb/ubuntu/musl@.*&distro=ubuntu-24\.04$' >/dev/null
echo "built elsewhere: the compiler by its path ($compiler), the package URLs for ubuntu-24.04"

# The releases page's commands, as printed: the fields and the bill of one package, and the bill
# checked against its package. Each check stands alone, so that set -e stops the stage at it.
cd "$packages"
fields=$(shown "dpkg-deb -f ")
echo "$fields"
grep -qx 'musl (= .*)' <<<"$fields"
fields=$(shown "rpm -qp --provides ")
echo "$fields"
grep -q '^bundled(musl) = ' <<<"$fields"
fields=$(shown "jq -r '.components[] ")
echo "$fields"
grep -q '^musl .* pkg:deb/debian/musl@' <<<"$fields"
fields=$(shown "jq -r '.metadata.component ")
echo "$fields"
test "${fields##*$'\n'}" = "das_${version}_amd64.deb: OK"
cd "$top"
