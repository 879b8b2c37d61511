# Stage installs: the README's install commands, as printed. A private mount namespace gives each
# its own empty /usr/local; the Debian package is installed for real and removed again.
make_packages
cmake --workflow --preset release >/dev/null
(cd "$packages" && shown "sha256sum -c ")
(cd "$packages" && shown "apt install " </dev/null >/dev/null 2>&1)
test "$(echo 5 | das)" = "$(printf 'Hello, world!\ndas 5')"
dpkg -r das >/dev/null
unshare --mount /bin/bash -euc '
  mount -t tmpfs tmpfs /usr/local
  shown "cmake --install " >/dev/null
  test -x /usr/local/bin/das
  test -f /usr/local/share/man/man1/das.1
  test -f /usr/local/share/doc/das/LICENSE'
# The tarball leaves the directories it finds as they were: their owner, group and mode.
unshare --mount /bin/bash -euc '
  mount -t tmpfs -o mode=755 tmpfs /usr/local
  dirs="/usr/local /usr/local/bin /usr/local/share /usr/local/share/man"
  mkdir -p $dirs
  chown 1234:1234 $dirs
  chmod 2775 $dirs
  before=$(stat -c "%n %u:%g %a" $dirs)
  cd "$1"
  shown "tar -xzf "
  test "$(echo 5 | /usr/local/bin/das)" = "$(printf "Hello, world!\ndas 5")"
  after=$(stat -c "%n %u:%g %a" $dirs)
  test "$after" = "$before" || { printf "the tarball changed a directory it found:\n%s\n" "$after"; exit 1; }' \
  - "$PWD/$packages"
echo "installed: from the .deb, from the build, from the musl tarball"
