# The checks of a kind of package, the musl tarball: sourced by the stages that check packages.

# Stage packages: the tarball $1 of the build $2 holds a static das, which answers, its page and
# its licence.
check_tarball() {
  local unpacked
  test "$1" = "$packages/das-$version-linux-$(field "$2" uname)-$(field "$2" libc).tar.gz"
  holds "$(tar -tzf "$1")" bin/das share/man/man1/das.1 share/doc/das/LICENSE
  unpacked=$scratch/$(basename "$1" .tar.gz)
  mkdir "$unpacked"
  tar -xzf "$1" -C "$unpacked"
  test "$(pie_kind "$unpacked/bin/das" "")" = static
  answers "$unpacked/bin/das"
}

# Stage sbom: a tarball has no field for what das embeds.
embeds_tarball() { echo "$(basename "$1"): embeds $embedded"; }

# Stage distcheck: every entry of the tarball $1 is a file, and root's.
owned_by_root_tarball() {
  if tar --numeric-owner -tvzf "$1" | grep -Ev '^-[rwx-]{9} 0/0 '; then echo "$1: not root's"; exit 1; fi
}
