# Stage signatures: a release signed as the releases page shows (sign_release) verifies as a user
# checks it, with the page's commands; every signature verifies with two OpenPGP implementations,
# gpgv and Sequoia's sqv, or with minisign, and each of them refuses a signed file with one byte
# changed. The signatures sit beside the packages and change none of them.
sign_release
version=$(version)
signed=$release/source/$packages
fingerprint=$(as_nobody "$release/home" 'gpg --with-colons --fingerprint das@example.org' | sed -n 's/^fpr:::::::::\([0-9A-F]*\):$/\1/p' | sed -n 1p)
# The downloads, checked by a user who has none of the releaser's keys, as the page shows.
downloads=$scratch/downloads
mkdir -p "$downloads/gnupg"
chmod 700 "$downloads/gnupg"
cp "$signed"/* "$downloads/"
(cd "$downloads" && export GNUPGHOME="$downloads/gnupg"
 test "$(shown "sqv --keyring das-release-key.asc SHA256SUMS.asc SHA256SUMS" | tail -n 1)" = "$fingerprint"
 shown "gpg --dearmor --output das-release-key.gpg das-release-key.asc"
 shown "gpgv --keyring ./das-release-key.gpg SHA256SUMS.asc SHA256SUMS" 2>&1 | grep '^gpgv: Good signature from "The das developers <das@example.org>"$' >/dev/null
 shown "minisign -V -p das-release.pub -m SHA256SUMS" | grep -x 'Signature and comment signature verified' >/dev/null
 shown "sha256sum -c " >/dev/null
 test "$(shown "sqv --keyring das-release-key.asc das-$version.tar.gz.asc das-$version.tar.gz" | tail -n 1)" = "$fingerprint")

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
expected=(SHA256SUMS.asc SHA256SUMS.minisig "das-$version.tar.gz.asc" "das-$version.intoto.jsonl.asc"
          "das-$version.intoto.jsonl.minisig")
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
echo "signed by $fingerprint (OpenPGP) and $(tail -n 1 "$signed/das-release.pub") (minisign)"
