# The checks of a kind of package, the Debian package: sourced by the stages that check packages.

# Stage packages: the .deb $1 of the build $2, its name, fields and files; das answers from it.
check_deb() {
  local deb=$1 architecture unpacked size files kind
  architecture=$(dpkg-deb -f "$deb" Architecture)
  # Under set -e only the last command of an && list can stop the script: each check stands alone.
  test "$deb" = "$packages/das_${version}_$architecture.deb"
  test "$architecture" = "$(field "$2" debian)"
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
}

# Stage sbom: the .deb $1 says in Built-Using what its bill says das embeds ($built_using).
embeds_deb() {
  test "$(dpkg-deb -f "$1" Built-Using)" = "$built_using"
  echo "$(basename "$1"): Built-Using: $built_using"
}

# Stage distcheck: every entry of the .deb $1, and every member of its ar archive, is root's.
owned_by_root_deb() {
  if dpkg-deb --fsys-tarfile "$1" | tar --numeric-owner -tv | grep -Ev '^[-d][rwx-]{9} 0/0 '; then
    echo "$1: not root's"; exit 1
  fi
  if ar tv "$1" | grep -v '^rw-r--r-- 0/0 '; then echo "$1: a member above is not 0644 and root's"; exit 1; fi
}
