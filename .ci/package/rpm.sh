# The checks of a kind of package, the RPM: sourced by the stages that check packages.

# Stage packages: the RPM $1 of the build $2, its fields and files, installed for real; das answers.
check_rpm() {
  local rpm=$1 rpmlintrc changelog root
  test "$rpm" = "$packages/das-$version-1.$(field "$2" rpm).rpm"
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
}

# Stage sbom: the RPM $1 says in Provides: bundled() what its bill says das embeds ($bundled).
embeds_rpm() {
  test "$(rpm -qp --provides "$1" | grep '^bundled(' | paste -sd, | sed 's/,/, /g')" = "$bundled"
  echo "$(basename "$1"): Provides: $bundled"
}
