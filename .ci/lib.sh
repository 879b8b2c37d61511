# The helpers of .ci/run's stages. Sourced from the top of the source tree.

# What the stages need, as Debian packages; installed when missing, after an update.
install_missing() {
  # arm64's musl comes from Debian's arm64 architecture, beside the host's.
  if ! dpkg --print-foreign-architectures | grep -qx arm64; then
    dpkg --add-architecture arm64
  fi
  local package missing=()
  for package in cmake make ninja-build g++ clang libgtest-dev valgrind libc6-dev \
                 g++-mingw-w64-x86-64-posix wine wine64 musl-tools musl-dev lintian \
                 g++-aarch64-linux-gnu qemu-user musl-dev:arm64 zip; do
    dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed' || missing+=("$package")
  done
  if ((${#missing[@]})); then
    apt-get update
    DEBIAN_FRONTEND=noninteractive apt-get install -y --no-install-recommends "${missing[@]}"
  fi
}

# The project's version, from project() in CMakeLists.txt.
version() { sed -n 's/^project(das VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt; }

# The other builds, a name each, as the list in CMakeLists.txt has them.
other_builds() {
  sed -n '/^set(das_other_builds/,/)/s/^ \+\([a-z0-9-]\+\) \+[A-Za-z0-9_.-]\+\.cmake)\?$/\1/p' CMakeLists.txt
}

# The project's Markdown pages under $top (the top of the source tree unless set), a path each.
doc_pages() {
  (cd "$top" && find . \( -path ./build -o -path ./.git \) -prune -o -name '*.md' -print | cut -c3- | LC_ALL=C sort)
}

# Every command in an `sh` block of those pages: the page, a tab, the command.
doc_commands() {
  local page
  for page in $(doc_pages); do
    awk -v page="$page" 'match($0, /^ *```/) { inside = !inside && substr($0, RLENGTH + 1) == "sh"; next }
                         inside { sub(/^ +/, ""); print page "\t" $0 }' "$top/$page"
  done
}

# Whether the page's command $1 is the one that `shown $2` runs: the same, or, where $2 ends in a
# blank (to leave out what changes, such as a version), the first one that begins with it.
is_shown_as() { [[ $1 == "$2" || ($2 == *' ' && $1 == "$2"*) ]]; }

# Runs a command as a page of the project shows it, word for word: the one that `is_shown_as` $1.
shown() {
  local page line
  while IFS=$'\t' read -r page line; do
    if is_shown_as "$line" "$1"; then
      echo "+ $line"
      eval "$line"
      return
    fi
  done < <(doc_commands)
  echo "no page shows the command: $1" >&2
  return 1
}
top=$PWD
export top
export -f doc_pages doc_commands is_shown_as shown

# Checks that a program is a static PIE with a stack that is not executable, and prints what
# readelf says of it, for the checks that differ between builds.
static_pie() {
  local elf
  elf=$(readelf -hldsW "$1")
  if ! grep -q 'Type: *DYN' <<<"$elf"; then echo "$1 is not position-independent" >&2; return 1; fi
  if ! grep -Eq 'GNU_STACK.* RW +0x' <<<"$elf"; then echo "$1 has an executable stack" >&2; return 1; fi
  if grep -Eq 'INTERP|NEEDED' <<<"$elf"; then echo "$1 is not static" >&2; return 1; fi
  printf '%s\n' "$elf"
}

# Checks that an archive's listing ($1) holds exactly the files named after it.
holds() {
  local listing=$1; shift
  diff <(grep -v '/$' <<<"$listing" | sed 's|^\./||' | sort) <(printf '%s\n' "$@" | sort)
}

# Copies the tracked source, without .git, into the directory $1.
copy_source() { git ls-files -z | tar --null -T - -c | tar -x -C "$1"; }
export -f copy_source

# The packages of this source, made once in a run of .ci/run, by the stage that first needs them.
packages=build/package/packages
packages_made=false
make_packages() {
  if ! $packages_made; then
    shown "cmake --workflow --preset package"
    packages_made=true
  fi
}
