# Stage arch: the AUR's PKGBUILD, as the signing of the release wrote it, builds das from the signed
# source tarball with Debian's makepkg, by an unprivileged packager who has imported the release's
# key, checking the tarball's checksum and signature and running the tests; without Arch's own
# dependency resolution, which would want Arch's packages. makepkg is given Arch's own compiler and
# linker flags, which are the ones the build uses, and the das it builds is dynamic, needing
# glibc alone. Its .SRCINFO is makepkg's; its package installs with pacman into a root of its own,
# where das answers, with the licence once, where Arch keeps it.
sign_release
version=$(version)
aur=$release/source/build/package/aur
arch=$scratch/arch
mkdir -p "$arch/home" "$arch/build"
cp "$aur/PKGBUILD" "$aur/.SRCINFO" "$release/source/$packages/das-$version.tar.gz"{,.asc} "$arch/build/"
cp "$aur/keys/pgp/"*.asc "$arch/home/key.asc"
cp /etc/makepkg.conf "$arch/home/makepkg.conf"
cat >>"$arch/home/makepkg.conf" <<'FLAGS'
CFLAGS="-march=x86-64 -mtune=generic -O2 -pipe -fno-plt -fexceptions -Wp,-D_FORTIFY_SOURCE=3 -Wformat -Werror=format-security -fstack-clash-protection -fcf-protection"
CXXFLAGS="$CFLAGS -Wp,-D_GLIBCXX_ASSERTIONS"
LDFLAGS="-Wl,-O1 -Wl,--sort-common -Wl,--as-needed -Wl,-z,relro -Wl,-z,now -Wl,-z,pack-relative-relocs"
FLAGS
chown -R nobody:nogroup "$arch"
# makepkg notes what pacman has installed, from a database that Debian's pacman does not make.
mkdir -p /var/lib/pacman
as_nobody "$arch/home" '
  export GNUPGHOME=$HOME/gnupg
  mkdir -m 700 "$GNUPGHOME"
  gpg --quiet --import "$HOME/key.asc" 2>/dev/null
  cd "$1"
  makepkg --printsrcinfo | diff .SRCINFO -
  makepkg --config "$HOME/makepkg.conf" --nodeps >makepkg.log 2>&1 || { cat makepkg.log; exit 1; }
  grep -E "^(==>|  ->|    das-)|tests passed" makepkg.log' "$arch/build"
# The checksum passed, then the signature.
test "$(grep -cx "    das-$version.tar.gz ... Passed" "$arch/build/makepkg.log")" = 2
grep -q '^==> Starting check()...$' "$arch/build/makepkg.log"
package=$(ls "$arch/build"/das-"$version"-1-*.pkg.tar.*)
root=$scratch/arch-root
mkdir -p "$root/var/lib/pacman"
# The root has no Arch glibc to satisfy depends=(glibc): das runs on this machine's.
pacman --root "$root" --upgrade --nodeps --nodeps --noconfirm "$package" >/dev/null
diff <(pacman --root "$root" --query --list --quiet das | grep -v '/$' | sed "s|^$root||") \
     <(printf '%s\n' /usr/bin/das /usr/share/licenses/das/LICENSE /usr/share/man/man1/das.1.gz)
test "$(echo 5 | "$root/usr/bin/das")" = "$(printf 'Hello, world!\ndas 5')"
grep -x 'depends=(glibc)' "$arch/build/PKGBUILD" >/dev/null
grep -x 'checkdepends=(gtest)' "$arch/build/PKGBUILD" >/dev/null
test "$(pie_kind "$root/usr/bin/das" "$(uname -m)")" = dynamic
# The compiler's flags are makepkg's, and no build type adds its own after them.
flags=$(sed -n 's/^CXX_FLAGS = //p' "$arch/build/src/build/CMakeFiles/das.dir/flags.make")
cxxflags=$(set +u; source "$arch/home/makepkg.conf"; echo "$CXXFLAGS")
[[ $flags == "$cxxflags "* ]] || { echo "das was not compiled with makepkg's flags first: $flags"; exit 1; }
if grep -Ew -e '-O[0-3s]' -e '-D_FORTIFY_SOURCE=2' <<<"${flags#"$cxxflags"}"; then
  echo "a flag above overrides makepkg's"; exit 1
fi
echo "$(basename "$package"): built from the signed tarball with makepkg's flags, dynamic, tested, installed by pacman into a root of its own"
# One summary everywhere: the PKGBUILD's, the packages' and the manual page's NAME line.
summary=$(jq -r .summary build/package/release.json)
grep -xF "pkgdesc='$summary'" "$arch/build/PKGBUILD" >/dev/null || { echo "PKGBUILD: not the summary '$summary'"; exit 1; }
test "$(dpkg-deb -f "$packages/das_${version}_amd64.deb" Description | sed -n 1p)" = "$summary"
# RPM's own convention begins a summary with a capital.
test "$(rpm -qp --qf '%{SUMMARY}' "$packages/das-$version-1.x86_64.rpm")" = "${summary^}"
zcat "$root/usr/share/man/man1/das.1.gz" | grep -xF "das \\- $summary" >/dev/null
echo "one summary in the PKGBUILD, the packages and the manual page: $summary"
