# Stage reproducible: the same source gives the same bytes, built again elsewhere, later, by nobody.
make_packages
cmake --workflow --preset release >/dev/null
cmake --preset dynamic >/dev/null
cmake --build --preset dynamic >/dev/null
version=$(version)
zip=$packages/das-$version-windows-x86_64.zip
# A copy of the source without .git, at another path, one with a letter outside ASCII in it (rpmbuild
# takes no blank), its files dated otherwise, built by an unprivileged user with the rebuild command
# of the releases page, which compares the SHA256SUMS.
again="$scratch/agaïn"
mkdir "$again"
copy_source "$again"
cp "$packages/SHA256SUMS" "$again/"
find "$again" -exec touch -h -d '2001-02-03 04:05:06' {} +
chown -R nobody:nogroup "$again"
chmod 755 "$scratch"
setpriv --reuid=nobody --regid=nogroup --clear-groups env HOME="$again" top="$again" \
  /bin/bash -euc 'umask 022; cd "$1"
    shown "cmake --workflow --preset package && diff SHA256SUMS build/package/packages/SHA256SUMS"
    cmake --workflow --preset release >/dev/null
    cmake --preset dynamic >/dev/null && cmake --build --preset dynamic >/dev/null' - "$again"
# Every artefact, the packages and the programs in them before they were stripped.
programs="build/release/das build/dynamic/das build/package/das"
for program in build/package/*/das build/package/*/das.exe; do
  [ ! -e "$program" ] || programs+=" $program"
done
diff <(ls -1 "$packages") <(ls -1 "$again/$packages")
differ=()
for file in $programs "$packages"/*; do
  cmp -s "$file" "$again/$file" || differ+=("$file")
done
if ((${#differ[@]})); then echo "built again, these differ: ${differ[*]}"; exit 1; fi
# Built by nobody, every entry of every archive is root's, and a tarball holds files only.
for tgz in "$again/$packages"/*.tar.gz; do
  if tar --numeric-owner -tvzf "$tgz" | grep -Ev '^-[rwx-]{9} 0/0 '; then echo "$tgz: not root's"; exit 1; fi
done
for deb in "$again/$packages"/*.deb; do
  if dpkg-deb --fsys-tarfile "$deb" | tar --numeric-owner -tv | grep -Ev '^[-d][rwx-]{9} 0/0 '; then
    echo "$deb: not root's"; exit 1
  fi
done
if zipinfo -v "$again/$zip" | grep 'UID/GID'; then echo "$zip: records an owner"; exit 1; fi
echo "same bytes: $(cd "$packages" && sha256sum -- * | tr '\n' ' ')"
