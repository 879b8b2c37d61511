# Stage signatures: a release signed as the releases page shows (sign_release) verifies as a user
# checks it, with the page's commands; every signature verifies with two OpenPGP implementations,
# gpgv and Sequoia's sqv, or with minisign, and each of them refuses a signed file with one byte
# changed. The signatures sit beside the packages and change none of them.
sign_release
version=$(version)
signed=$release/source/$packages
# What the release announcement publishes, from the releaser's own keys, never from the downloads.
DAS_FINGERPRINT=$(GNUPGHOME=$release/home/.gnupg gpg --with-colons --list-secret-keys | sed -n 's/^fpr:::::::::\([0-9A-F]*\):$/\1/p' | sed -n 1p)
DAS_MINISIGN_KEY=$(tail -n 1 "$release/home/.minisign/minisign.pub")
export DAS_FINGERPRINT DAS_MINISIGN_KEY
# The releaser's keyring also holds a colleague's key of the same address: only the releaser's is
# exported and named in the PKGBUILD.
mkdir -m 700 "$scratch/show-keys"
test "$(gpg --homedir "$scratch/show-keys" --show-keys --with-colons "$signed/das-release-key.asc" 2>/dev/null |
        sed -n 's/^fpr:::::::::\([0-9A-F]*\):$/\1/p')" = "$DAS_FINGERPRINT"
grep -x "validpgpkeys=('$DAS_FINGERPRINT') # The das developers" "$release/source/build/package/aur/PKGBUILD" >/dev/null

# The downloads, checked as the page shows by a user who has none of the releaser's keys, with the
# fingerprint as gpg prints it, in groups; then the same downloads attacked: a package changed,
# SHA256SUMS written again for it and signed with another key, which is added to
# das-release-key.asc and replaces das-release.pub. The attacker's key has the project's name and
# address, or a user ID that holds VALIDSIG and the published fingerprint, or that fingerprint alone:
# each route refuses them all, though the keys that lie beside the files take them. So does each
# given an empty or a malformed fingerprint, without an error of its own. Every command runs twice
# in the same directory, as a user who checks the next release there does.
attack() { # the downloads attacked in the directory $1 by a key whose user ID is $2
  mkdir -p "$1/gnupg" "$1/attacker/.minisign"
  chmod 700 "$1/gnupg" "$1/attacker"
  cp "$signed"/* "$1/"
  (export GNUPGHOME=$1/attacker
   new_key "$2"
   minisign -G -W -p "$GNUPGHOME/.minisign/minisign.pub" -s "$GNUPGHOME/.minisign/minisign.key" >/dev/null
   cd "$1"
   printf 'x' >>"das_${version}_amd64.deb"
   sum=$(sha256sum "das_${version}_amd64.deb" | cut -c1-64)
   sed -i "s/^[0-9a-f]\{64\}  das_${version}_amd64\.deb\$/$sum  das_${version}_amd64.deb/" SHA256SUMS
   sha256sum --quiet --strict -c SHA256SUMS
   gpg --armor --export >>das-release-key.asc
   gpg --batch --quiet --yes --armor --detach-sign SHA256SUMS
   minisign -S -s "$GNUPGHOME/.minisign/minisign.key" -m SHA256SUMS -x SHA256SUMS.minisig >/dev/null
   cp "$GNUPGHOME/.minisign/minisign.pub" das-release.pub
   gpgconf --kill gpg-agent)
}
routes_taking() { # the page's routes that take the download in the directory $1, as the user's shell has it
  cd "$1" && export GNUPGHOME="$1/gnupg"
  shown "gpg --dearmor <das-release-key.asc >das-release-key.gpg" >/dev/null
  if shown "sqv --keyring das-release-key.asc SHA256SUMS.asc SHA256SUMS | grep -Fx \"\$DAS_FINGERPRINT\"" >/dev/null 2>>errors; then
    echo sqv
  fi
  if shown "gpgv --status-fd 1 --keyring ./das-release-key.gpg SHA256SUMS.asc SHA256SUMS | awk -v key=\"\$DAS_FINGERPRINT\" '\$1 == \"[GNUPG:]\" && \$2 == \"VALIDSIG\" && (\$3 == key || \$NF == key) { good = 1 } END { exit !good }'" \
       >/dev/null 2>>errors; then
    echo gpgv
  fi
  if shown "minisign -V -P \"\$DAS_MINISIGN_KEY\" -m SHA256SUMS" >/dev/null 2>&1; then echo minisign; fi
}
downloads=$scratch/downloads
mkdir -p "$downloads/gnupg"
chmod 700 "$downloads/gnupg"
cp "$signed"/* "$downloads/"
attackers=("The das developers <das@example.org>" "The das developers (VALIDSIG $DAS_FINGERPRINT) <das@example.org>"
           "$DAS_FINGERPRINT")
for i in "${!attackers[@]}"; do attack "$scratch/attacked-$i" "${attackers[$i]}"; done
grouped=$(sed 's/..../& /g; s/ $//' <<<"$DAS_FINGERPRINT")
for dir in "$downloads" "$scratch"/attacked-*; do
  for run in 1 2; do
    took=$(DAS_FINGERPRINT=$grouped
      shown "DAS_FINGERPRINT=\$(printf '%s' \"\$DAS_FINGERPRINT\" | tr -d ' ' | tr a-f A-F)" >/dev/null
      test "$DAS_FINGERPRINT" = "${grouped// /}"
      routes_taking "$dir"
      # The keys beside the files take the attacked download all the same.
      gpgv --quiet --keyring ./das-release-key.gpg SHA256SUMS.asc SHA256SUMS 2>/dev/null
      minisign -V -q -p das-release.pub -m SHA256SUMS)
    if [ "$dir" = "$downloads" ]; then expected="sqv gpgv minisign"; else expected=""; fi
    test "$(echo $took)" = "$expected" ||
      { echo "$dir: taken by the page's routes ${took:-(none)}, not ${expected:-none} (run $run)"; exit 1; }
  done
done
rm -f "$downloads/errors"
for fingerprint in "" "$grouped" "${DAS_FINGERPRINT:0:39}" "${DAS_FINGERPRINT,,}"; do
  took=$(DAS_FINGERPRINT=$fingerprint routes_taking "$downloads")
  test "$took" = minisign || { echo "the fingerprint '$fingerprint' taken by ${took:-(none)}, not by minisign alone"; exit 1; }
done
took=$(DAS_MINISIGN_KEY="" routes_taking "$downloads")
test "$(echo $took)" = "sqv gpgv" || { echo "an empty minisign key taken by ${took:-(none)}, not by sqv and gpgv alone"; exit 1; }
if grep -E '^(grep|awk|tr): ' "$downloads/errors"; then echo "a route above erred rather than refused"; exit 1; fi
(cd "$downloads"
 shown "sha256sum -c " >/dev/null
 shown "sqv --keyring das-release-key.asc das-$version.tar.gz.asc das-$version.tar.gz | grep -Fx \"\$DAS_FINGERPRINT\"" >/dev/null
 shown "minisign -V -P \"\$DAS_MINISIGN_KEY\" -m das-$version.provenance.json" >/dev/null)
echo "each route of the page takes the release, twice, and refuses each attacked download, which the keys beside it take, and an empty or malformed key"

# Signing with two secret keys of the address in the keyring stops, naming both, and writes nothing;
# so does signing that fails halfway, at a minisign key that is no key, once the OpenPGP signatures
# are made.
(export HOME=$release/home GNUPGHOME=$release/home/two-keys
 cp -r "$HOME/.gnupg" "$GNUPGHOME"
 rm -f "$GNUPGHOME"/S.*
 new_key
 cd "$release/source"
 rm build/package/packages/*.asc build/package/packages/*.minisig build/package/packages/das-release.pub
 before=$(ls -lA --full-time build/package)$(ls -l --full-time build/package/packages)
 if cmake -D OPENPGP_KEY=das@example.org -P cmake/release/sign.cmake >"$HOME/two-keys.log" 2>&1; then
   echo "signed with two secret keys of the address"; exit 1
 fi
 test "$(ls -lA --full-time build/package)$(ls -l --full-time build/package/packages)" = "$before"
 tr -s " \n" "  " <"$HOME/two-keys.log" | grep "it holds 2 ($DAS_FINGERPRINT, [0-9A-F]\{40\})\|it holds 2 ([0-9A-F]\{40\}, $DAS_FINGERPRINT)" >/dev/null ||
   { cat "$HOME/two-keys.log"; exit 1; }
 gpgconf --kill gpg-agent
 rm -rf "$GNUPGHOME"
 export GNUPGHOME=$HOME/.gnupg
 echo "no key" >"$HOME/not-a-key"
 if cmake -D OPENPGP_KEY=das@example.org -D MINISIGN_KEY="$HOME/not-a-key" -P cmake/release/sign.cmake >"$HOME/halfway.log" 2>&1; then
   echo "signed with a minisign key that is no key"; exit 1
 fi
 grep -F "Nothing is signed" "$HOME/halfway.log" >/dev/null || { cat "$HOME/halfway.log"; exit 1; }
 test "$(ls -lA --full-time build/package)$(ls -l --full-time build/package/packages)" = "$before"
 cp "$downloads"/*.asc "$downloads"/*.minisig "$downloads/das-release.pub" build/package/packages/)
echo "two secret keys of the address, or a minisign key that is no key: signing stops, naming why, and writes nothing"

# Every signature, by every verifier that reads its kind; then each refuses the signed file with
# its middle byte changed.
cd "$downloads"
verifies() { # whether the verifier $1 takes $2 for a signature of the file $3
  case $1 in
    gpgv) gpgv --quiet --keyring ./das-release-key.gpg "$2" "$3" 2>/dev/null ;;
    sqv) sqv --keyring das-release-key.asc "$2" "$3" >/dev/null 2>&1 ;;
    minisign) minisign -V -q -p das-release.pub -x "$2" -m "$3" 2>/dev/null ;;
  esac
}
flipped() { # the file $1 with its middle byte changed, as flipped/$1
  local size offset byte
  mkdir -p flipped
  cp "$1" flipped/
  size=$(stat -c %s "$1")
  offset=$((size / 2))
  byte=$(od -An -tu1 -j "$offset" -N1 "$1" | tr -d ' ')
  printf "$(printf '\\%03o' $((byte ^ 1)))" | dd of="flipped/$1" bs=1 seek="$offset" conv=notrunc status=none
  if cmp -s "$1" "flipped/$1"; then echo "flipped/$1: unchanged"; exit 1; fi
}
expected=(SHA256SUMS.asc SHA256SUMS.minisig "das-$version.tar.gz.asc" "das-$version.provenance.json.asc"
          "das-$version.provenance.json.minisig")
diff <(ls -1 | grep -E '\.(asc|minisig)$' | grep -vx das-release-key.asc) <(printf '%s\n' "${expected[@]}" | LC_ALL=C sort)
for signature in "${expected[@]}"; do
  file=${signature%.*}
  case $signature in
    *.asc) verifiers="gpgv sqv" ;;
    *.minisig) verifiers=minisign ;;
  esac
  flipped "$file"
  for verifier in $verifiers; do
    verifies "$verifier" "$signature" "$file" || { echo "$verifier: $signature does not verify $file"; exit 1; }
    if verifies "$verifier" "$signature" "flipped/$file"; then
      echo "$verifier took flipped/$file for $signature's"; exit 1
    fi
  done
  echo "$signature: verified by $verifiers; each refuses $file with a byte changed"
done
cd "$top"
# Signing changed no package, and no secret key is in the release, the source or a package.
(cd "$signed" && sha256sum --quiet --strict -c SHA256SUMS)
diff <(cd "$packages" && sha256sum -- $(release_files .)) <(cd "$signed" && sha256sum -- $(release_files .))
secret=(-e 'BEGIN PGP PRIVATE[ ]KEY' -e 'minisign encrypted secret[ ]key')
if grep -rl "${secret[@]}" "$signed" "$release/source/build/package/aur" || git ls-files -z | xargs -0 grep -l "${secret[@]}"; then
  echo "a secret key above"; exit 1
fi
echo "signed by $DAS_FINGERPRINT (OpenPGP) and $(tail -n 1 "$signed/das-release.pub") (minisign)"
