# Stage distcheck: the source tarball holds every file that a build, its tests and its packages
# need, and builds, tests, installs and packages from itself to the same bytes as the tree does:
# unpacked at another path, one with a letter outside ASCII in it (rpmbuild takes no blank), with no
# .git above it, its files dated otherwise, and built by an unprivileged user under umask 002.
make_packages
cmake --workflow --preset release >/dev/null
cmake --preset dynamic >/dev/null
cmake --build --preset dynamic >/dev/null
version=$(version)
tarball=$packages/das-$version.tar.gz

# Every file git tracks but CI's own, and nothing else but the commit of a clean checkout; root's,
# in name order.
members=$(tar -tzf "$tarball")
if grep -v "^das-$version/" <<<"$members"; then echo "$tarball: a member above is outside das-$version/"; exit 1; fi
LC_ALL=C sort -c <<<"$members"
listing=$(sed "s|^das-$version/||" <<<"$members")
commit=""
if grep -qx .commit <<<"$listing"; then
  recorded=$(tar -xOzf "$tarball" "das-$version/.commit")
  commit=$(sed -n 1p <<<"$recorded")
  # The rest of .commit: every other member, by its digest.
  diff <(sed 1d <<<"$recorded" | cut -c67-) <(grep -vx .commit <<<"$listing")
fi
if [ -z "$(git status --porcelain --untracked-files=all)" ]; then test "$commit" = "$(git rev-parse HEAD)"; fi
listing=$(grep -vx .commit <<<"$listing")
meant=$(git ls-files | grep -Ev '^(\.ci/|\.gitignore$)' | LC_ALL=C sort)
forgot=$(comm -23 <(echo "$meant") <(LC_ALL=C sort <<<"$listing"))
if [ -n "$forgot" ]; then echo "the source tarball forgot:" $forgot; exit 1; fi
extra=$(comm -13 <(echo "$meant") <(LC_ALL=C sort <<<"$listing"))
if [ -n "$extra" ]; then echo "the source tarball holds files that it should not:" $extra; exit 1; fi
date=$(TZ=UTC0 released '+%Y-%m-%d %H:%M')
if TZ=UTC0 tar --numeric-owner -tvzf "$tarball" | grep -Ev "^-rw[-x]r-[-x]r-[-x] 0/0 .* $date "; then
  echo "$tarball: a member above is not a file of root's, dated the release"; exit 1
fi
echo "$(basename "$tarball"): $(wc -l <<<"$listing") files, every one git tracks but .ci/ and .gitignore"

again="$scratch/agaïn"
mkdir "$again"
tar -xzf "$tarball" -C "$again"
source="$again/das-$version"
directory=$source
while [ "$directory" != / ]; do
  [ ! -e "$directory/.git" ] || { echo "$directory/.git: the tarball is to be built with no .git above it"; exit 1; }
  directory=$(dirname "$directory")
done
(cd "$source" && if [ -e .commit ]; then sed 1d .commit | sha256sum --quiet --strict -c; fi)
# A tarball made from a patched copy of this one names no commit; the provenance takes its commit
# from what this writes to COMMIT_OUT.
patched=$scratch/patched
cp -r "$source" "$patched"
echo '// patched' >>"$patched/src/das.cpp"
cmake -DSOURCE="$patched" -DOUT="$scratch/patched.tar.gz" -DVERSION="$version" -DEPOCH=0 -DTAR=tar -DGZIP=gzip \
  -DCOMMIT_OUT="$scratch/patched-commit" -P cmake/package/source.cmake
if tar -tzf "$scratch/patched.tar.gz" | grep -x "das-$version/.commit" || [ -s "$scratch/patched-commit" ]; then
  echo "a tarball made from a patched source still names the commit"; exit 1
fi
echo "a patched source names no commit"

# What a tarball holds and the commit it names agree: the named commit's files (git archive) are its
# members, byte for byte, or it names none. Made from checkouts with an untracked file in src/build,
# with a file that .git/info/exclude ignores, and with a patched src/das.cpp that git is told to
# skip; from a shallow clone; and from a distribution's repository, the tarball unpacked and
# committed, as it is and with src/das.cpp patched and committed.
trees=$scratch/trees
mkdir "$trees"
names() { # the commit that the tarball made from the tree $1 names, once checked against its members
  local made=$1.tar.gz commit
  cmake -DSOURCE="$1" -DOUT="$made" -DVERSION="$version" -DEPOCH=0 -DTAR=tar -DGZIP=gzip -DGIT=git \
    -DCOMMIT_OUT="$1.commit" -P "$top/cmake/package/source.cmake"
  commit=$(cat "$1.commit")
  if [ -n "$commit" ]; then
    mkdir "$1.made" "$1.named"
    tar -xzf "$made" -C "$1.made" --strip-components=1 --exclude "das-$version/.commit"
    test "$(tar -xOzf "$made" "das-$version/.commit" | sed -n 1p)" = "$commit"
    git -C "$top" archive "$commit" | tar -x -C "$1.named" --exclude .ci --exclude .gitignore
    diff -r "$1.named" "$1.made" >&2 || { echo "$1: its tarball names $commit, whose files are not its members" >&2; return 1; }
  elif tar -tzf "$made" | grep -x "das-$version/.commit" >&2; then
    echo "$1: its tarball has a .commit, and it names no commit" >&2; return 1
  fi
  echo "$commit"
}
head=$(git rev-parse HEAD)
for tree in untracked excluded skipped; do git clone -q "$top" "$trees/$tree"; done
mkdir "$trees/untracked/src/build"
echo notes >"$trees/untracked/src/build/notes.txt"
echo notes.txt >>"$trees/excluded/.git/info/exclude"
echo notes >"$trees/excluded/src/notes.txt"
echo '// patched' >>"$trees/skipped/src/das.cpp"
git -C "$trees/skipped" update-index --skip-worktree src/das.cpp
test -z "$(git -C "$trees/skipped" status --porcelain)"
git clone -q --depth 1 "file://$top" "$trees/shallow"
test "$(names "$trees/untracked")" = "$head"
test "$(names "$trees/excluded")" = "$head"
test -z "$(names "$trees/skipped")"
names "$trees/shallow" >/dev/null
mkdir "$trees/distribution"
tar -xzf "$tarball" -C "$trees/distribution" --strip-components=1
git -C "$trees/distribution" init -q
git -C "$trees/distribution" add -A
git -C "$trees/distribution" -c user.name=packager -c user.email=packager@example.org commit -qm "das $version"
test "$(names "$trees/distribution")" = "$commit"
echo '// patched' >>"$trees/distribution/src/das.cpp"
git -C "$trees/distribution" -c user.name=packager -c user.email=packager@example.org commit -qam patched
test -z "$(names "$trees/distribution")"
echo "an untracked, an excluded or a skipped file, a shallow clone, a distribution's repository: each tarball names the commit whose files it holds, or none"
cp "$packages/SHA256SUMS" "$source/"
find "$again" -exec touch -h -d '2001-02-03 04:05:06' {} +
chown -R nobody:nogroup "$again"
chmod 755 "$scratch"
# The README's two commands; an install into a scratch DESTDIR; the rebuild of the releases page,
# which compares the SHA256SUMS; and the programs, before they were stripped.
setpriv --reuid=nobody --regid=nogroup --clear-groups env HOME="$again" top="$source" \
  /bin/bash -euc 'umask 002; cd "$1"
    shown "cmake --workflow --preset release && build/release/das" </dev/null >release.log || { cat release.log; exit 1; }
    tail -n 2 release.log; echo
    shown "cmake --workflow --preset test" >test.log 2>&1 || { cat test.log; exit 1; }
    tail -n 3 test.log
    DESTDIR="$2" cmake --install build/release >/dev/null
    shown "cmake --workflow --preset package && diff SHA256SUMS build/package/packages/SHA256SUMS" >package.log 2>&1 ||
      { cat package.log; exit 1; }
    cmake --preset dynamic >/dev/null && cmake --build --preset dynamic >/dev/null' - "$source" "$again/destdir"
diff <(cd "$again/destdir" && find . -type f | LC_ALL=C sort) \
     <(printf '%s\n' ./usr/local/bin/das ./usr/local/share/doc/das/LICENSE ./usr/local/share/man/man1/das.1)
test "$(echo 5 | "$again/destdir/usr/local/bin/das")" = "$(printf 'Hello, world!\ndas 5')"
echo "installed into a DESTDIR: bin/das, its manual page and the licence, under /usr/local"

# Every artefact, the packages and the programs in them before they were stripped.
programs="build/release/das build/dynamic/das build/package/das"
for program in build/package/*/das build/package/*/das.exe; do
  [ ! -e "$program" ] || programs+=" $program"
done
made=$(release_files)
diff <(echo "$made") <(ls -1 "$source/$packages")
differ=()
for file in $programs $(sed "s|^|$packages/|" <<<"$made"); do
  cmp -s "$file" "$source/$file" || differ+=("$file")
done
if ((${#differ[@]})); then echo "built again from the tarball, these differ: ${differ[*]}"; exit 1; fi
# Built by nobody, every entry of every package is root's (and a tarball holds files only), by its
# kind's check where it has one.
while IFS=$'\t' read -r -u 3 kind file rest; do
  source ".ci/package/$kind.sh"
  if declare -F "owned_by_root_$kind" >/dev/null; then "owned_by_root_$kind" "$source/$packages/$file"; fi
done 3< <(release_packages)
# And the source tarball, made from it.
source .ci/package/tarball.sh
owned_by_root_tarball "$source/$tarball"
echo "same bytes: $(wc -l <<<"$made") files of the release, $(wc -w <<<"$programs") programs;" \
  "SHA256SUMS $(sha256sum "$packages/SHA256SUMS" | cut -c1-64)"
