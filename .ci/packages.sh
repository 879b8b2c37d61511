# Stage packages: the Debian packages, the Windows zip and the musl tarballs, each holding what it
# should, das answering from each, and SHA256SUMS listing them all.
make_packages
version=$(version)
zip=$packages/das-$version-windows-x86_64.zip
holds "$(cmake -E tar tf "$zip")" das-$version-windows-x86_64/das.exe \
  das-$version-windows-x86_64/README.md das-$version-windows-x86_64/LICENSE
# Installed from each Linux package, das still answers, under qemu where it is another machine's.
for arch in amd64:x86_64: arm64:aarch64:qemu-aarch64; do
  IFS=: read -r debian processor launcher <<<"$arch"
  deb=$packages/das_${version}_$debian.deb
  tgz=$packages/das-$version-linux-$processor-musl.tar.gz
  holds "$(dpkg-deb --fsys-tarfile "$deb" | tar -t)" usr/bin/das usr/share/man/man1/das.1.gz \
    usr/share/doc/das/copyright usr/share/doc/das/changelog.gz usr/share/lintian/overrides/das
  holds "$(tar -tzf "$tgz")" bin/das share/man/man1/das.1 share/doc/das/LICENSE
  # Under set -e only the last command of an && list can stop the script: each check stands alone.
  test "$(dpkg-deb -f "$deb" Architecture)" = "$debian"
  test -n "$(dpkg-deb -f "$deb" Section)"
  test -n "$(dpkg-deb -f "$deb" Priority)"
  test -z "$(dpkg-deb -f "$deb" Depends)"
  lintian --fail-on error,warning "$deb"
  mkdir "$scratch/deb-$debian" "$scratch/musl-$debian"
  dpkg -x "$deb" "$scratch/deb-$debian"
  tar -xzf "$tgz" -C "$scratch/musl-$debian"
  for das in "$scratch/deb-$debian/usr/bin/das" "$scratch/musl-$debian/bin/das"; do
    answer=$(printf ' -17 rest\n' | $launcher "$das")
    test "$answer" = "$(printf 'Hello, world!\ndas -17')" || { echo "$das answered: $answer"; exit 1; }
  done
done
echo "packages: $(cd "$packages" && ls -1 | tr '\n' ' ')"
# SHA256SUMS lists every package beside it, and each one's sum is right.
diff <(cd "$packages" && ls -1 | grep -vx SHA256SUMS) <(cut -c67- "$packages/SHA256SUMS")
(cd "$packages" && sha256sum --strict -c SHA256SUMS)
# The pages name the packages of this version.
for page in $(doc_pages); do
  if grep -Eo 'das[-_][0-9]+\.[0-9.]*[0-9]' "$page" | grep -Evx "das[-_]$version"; then
    echo "$page: a package name above is not of version $version, the project's"; exit 1
  fi
done
