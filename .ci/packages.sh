# Stage packages: every package holds what it should, by its kind's checks (.ci/package/<kind>.sh),
# das answers from each (under qemu where it is another machine's), and SHA256SUMS lists them all.
make_packages
version=$(version)

# das from the unpacked package $1, given " -17 rest", answers as it should.
answers() {
  local answer
  answer=$(printf ' -17 rest\n' | $(runner "$1"))
  test "$answer" = "$(printf 'Hello, world!\ndas -17')" || { echo "$1 answered: $answer"; exit 1; }
}

# Each package, by the checks of its kind, with the builds that went into it.
while IFS=$'\t' read -r -u 3 -a package; do
  source ".ci/package/${package[0]}.sh"
  "check_${package[0]}" "$packages/${package[1]}" "${package[@]:2}"
done 3< <(release_packages)

echo "packages: $(cd "$packages" && ls -1 | tr '\n' ' ')"
# SHA256SUMS lists every package beside it (but the signatures of a release), and each one's sum is right.
lists_every_package() { diff <(release_files | grep -vx SHA256SUMS) <(cut -c67- "$packages/SHA256SUMS"); }
lists_every_package
(cd "$packages" && sha256sum --strict -c SHA256SUMS)
# The pages name the packages of this version.
for page in $(doc_pages); do
  if grep -Eo 'das[-_][0-9]+\.[0-9.]*[0-9]' "$page" | grep -Evx "das[-_]$version"; then
    echo "$page: a package name above is not of version $version, the project's"; exit 1
  fi
done
# SHA256SUMS lists the packages that the build made, not whatever else lies beside them.
stray=$packages/das_${version}_stray.deb
touch "$stray"
cmake --build --preset package >/dev/null
rm "$stray"
lists_every_package
echo "SHA256SUMS: what the build made, and nothing else beside it"
