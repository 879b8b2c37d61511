# Stage arch: the AUR's PKGBUILD, as the signing of the release wrote it, builds das from the signed
# source tarball with Debian's makepkg, by an unprivileged packager who has imported the release's
# key, checking the tarball's checksum and signature and running the tests; without Arch's own
# dependency resolution, which would want Arch's packages. Its .SRCINFO is makepkg's; its package
# installs with pacman into a root of its own, where das answers.
sign_release
version=$(version)
aur=$release/source/build/package/aur
arch=$scratch/arch
mkdir -p "$arch/home" "$arch/build"
cp "$aur/PKGBUILD" "$aur/.SRCINFO" "$release/source/$packages/das-$version.tar.gz"{,.asc} "$arch/build/"
cp "$aur/keys/pgp/"*.asc "$arch/home/key.asc"
chown -R nobody:nogroup "$arch"
# makepkg notes what pacman has installed, from a database that Debian's pacman does not make.
mkdir -p /var/lib/pacman
as_nobody "$arch/home" '
  export GNUPGHOME=$HOME/gnupg
  mkdir -m 700 "$GNUPGHOME"
  gpg --quiet --import "$HOME/key.asc" 2>/dev/null
  cd "$1"
  makepkg --printsrcinfo | diff .SRCINFO -
  makepkg --nodeps >makepkg.log 2>&1 || { cat makepkg.log; exit 1; }
  grep -E "^(==>|  ->|    das-)|tests passed" makepkg.log' "$arch/build"
# The checksum passed, then the signature.
test "$(grep -cx "    das-$version.tar.gz ... Passed" "$arch/build/makepkg.log")" = 2
grep -q '^==> Starting check()...$' "$arch/build/makepkg.log"
package=$(ls "$arch/build"/das-"$version"-1-*.pkg.tar.*)
root=$scratch/arch-root
mkdir -p "$root/var/lib/pacman"
pacman --root "$root" --upgrade --noconfirm "$package" >/dev/null
diff <(pacman --root "$root" --query --list --quiet das | grep -v '/$' | sed "s|^$root||") \
     <(printf '%s\n' /usr/bin/das /usr/share/doc/das/LICENSE /usr/share/licenses/das/LICENSE /usr/share/man/man1/das.1.gz)
test "$(echo 5 | "$root/usr/bin/das")" = "$(printf 'Hello, world!\ndas 5')"
echo "$(basename "$package"): built from the signed tarball, tested, installed by pacman into a root of its own"
