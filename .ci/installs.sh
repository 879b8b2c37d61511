# Stage installs: the README's install commands, as printed. A private mount namespace gives each
# its own empty /usr/local; the Debian package is installed for real and removed again.
make_packages
cmake --workflow --preset release >/dev/null
(cd "$packages" && shown "sha256sum -c ")
(cd "$packages" && shown "apt install " </dev/null >/dev/null 2>&1)
test "$(echo 5 | /usr/bin/das)" = "$(printf 'Hello, world!\ndas 5')"
dpkg -r das >/dev/null
# The RPM, with dnf, which keeps its database in a place of its own here.
unshare --mount /bin/bash -euc '
  mount -t tmpfs tmpfs /var/lib/rpm
  mount -t tmpfs tmpfs /var/cache
  cd "$1"
  echo y | shown "dnf install " >/dev/null 2>&1 # dnf asks, and the user says yes
  test "$(echo 5 | /usr/bin/das)" = "$(printf "Hello, world!\ndas 5")"
  dnf remove -y das >/dev/null 2>&1' - "$PWD/$packages"
test ! -e /usr/bin/das
# The image, loaded into a store of podman's own; containers cannot run here.
unshare --mount /bin/bash -euc '
  mount -t tmpfs tmpfs /var/lib/containers
  cd "$1"
  STORAGE_DRIVER=vfs shown "podman load " >/dev/null
  test "$(STORAGE_DRIVER=vfs podman image inspect --format "{{.Config.User}} {{.Config.Entrypoint}}" das:$2)" = \
    "65534:65534 [/das]"' - "$PWD/$packages" "$(version)"
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
echo "installed: from the .deb, from the RPM, from the build, from the musl tarball; the image loaded"
