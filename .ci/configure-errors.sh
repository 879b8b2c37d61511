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
# Without the static C and C++ libraries (as on a Fedora without glibc-static and libstdc++-static),
# a package build stops, naming them; the release build says so too, and makes a dynamic das that
# needs the C library alone.
static=(/usr/lib/x86_64-linux-gnu/libc.a "$(g++ -print-file-name=libstdc++.a)")
refused "install the static C and C++ libraries (Debian: libc6-dev and libstdc++-12-dev; Fedora: glibc-static and libstdc++-static)" \
  "--preset package" "${static[@]}"
said=$(unshare --mount /bin/bash -euc 'for path in "${@:2}"; do mount --bind /dev/null "$path"; done
  cmake --preset release -B "$1" 2>&1
  cmake --build "$1" >/dev/null
  test "$(echo 5 | "$1/das")" = "$(printf "Hello, world!\ndas 5")"
  readelf -d "$1/das" | grep NEEDED' - "$scratch/no-static" "${static[@]}")
said=$(tr -s ' \n' '  ' <<<"$said")
grep -qF "Fedora: glibc-static and libstdc++-static), or configure with -DDAS_STATIC=OFF; das is linked dynamically for now." <<<"$said"
needed=$(grep -Eo '\(NEEDED\) Shared library: \[[^]]*\]' <<<"$said" | sort -u)
test "$needed" = "(NEEDED) Shared library: [libc.so.6]"
echo "each refused in one line, naming what is missing; without static libraries, a dynamic das with a warning"
