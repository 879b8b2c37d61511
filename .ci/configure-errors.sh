# Stage configure-errors: a missing toolchain, C library or launcher, or a misspelt build name,
# stops the configuration with one line that names it (and the Debian package that brings it).

# Configures with the cmake arguments $2 while the paths after them are hidden (a file by /dev/null
# bound over it, a directory by an empty tmpfs), and expects it to fail, saying $1.
refused() {
  local expected=$1 arguments=$2 said
  shift 2
  rm -rf "$scratch/refused"
  if said=$(unshare --mount /bin/bash -c 'for path in "${@:3}"; do
              if [ -d "$path" ]; then mount -t tmpfs tmpfs "$path"; else mount --bind /dev/null "$path"; fi
            done
            exec cmake $2 -B "$1"' - "$scratch/refused" "$arguments" "$@" 2>&1); then
    echo "cmake $arguments configured with these hidden: $*"; exit 1
  fi
  said=$(tr -s ' \n' '  ' <<<"$said")
  if ! grep -qF -- "$expected" <<<"$said" || grep -q CMAKE_MAKE_PROGRAM <<<"$said"; then
    echo "cmake $arguments, with these hidden: $*, did not say \"$expected\" alone:"; echo "$said"; exit 1
  fi
}
refused "needs qemu-aarch64, which is not here: install Debian's qemu-user" "--preset arm64" /usr/bin/qemu-aarch64
refused "needs qemu-aarch64, which is not here: install Debian's qemu-user" "--preset arm64-musl" /usr/bin/qemu-aarch64
refused "install Debian's g++-aarch64-linux-gnu" "--preset arm64" /usr/bin/aarch64-linux-gnu-gcc /usr/bin/aarch64-linux-gnu-g++
refused "needs stdio.h, which is not here: install Debian's musl-dev" "--preset musl" /usr/include/x86_64-linux-musl
refused "install Debian's musl-dev:arm64" "--preset arm64-musl" /usr/include/aarch64-linux-musl
refused "install Debian's g++-mingw-w64-x86-64-posix" "--preset windows" \
  /usr/bin/x86_64-w64-mingw32-gcc-posix /usr/bin/x86_64-w64-mingw32-g++-posix
refused "needs wine, which is not here: install Debian's wine" "--preset windows" /usr/bin/wine
refused "needs wine64, which is not here: install Debian's wine64" "--preset windows" /usr/lib/wine/wine64
refused "DAS_ALSO_BUILD: no such build: win64 (the builds: $(echo native $(other_builds) | sed 's/ /, /g'))" \
  "--preset release -DDAS_ALSO_BUILD=win64"
refused "DAS_TEST_BUILD: no such build: mussl" "--preset release -DDAS_TEST_BUILD=mussl"
echo "each refused in one line, naming what is missing"
