# The checks of a kind of package, Windows' zip: sourced by the stages that check packages.

# Stage packages: the zip $1 holds das.exe, the README and the licence under a directory of its
# name; its das.exe, stripped, carries no time in its header, as the one the link made.
check_zip() {
  local zip exe
  zip=$(basename "$1")
  holds "$(cmake -E tar tf "$1")" "${zip%.zip}/das.exe" "${zip%.zip}/README.md" "${zip%.zip}/LICENSE"
  unzip -p "$1" "${zip%.zip}/das.exe" >"$scratch/das.exe"
  for exe in "$scratch/das.exe" "build/package/$2/das.exe"; do
    TZ=UTC0 x86_64-w64-mingw32-objdump -p "$exe" | grep -Ex 'Time/Date\s+Thu Jan  1 00:00:00 1970' >/dev/null ||
      { echo "$exe: a time in its PE header"; exit 1; }
  done
  echo "$zip: das.exe, README.md, LICENSE; no time in das.exe's header"
}

# Stage sbom: a zip has no field for what das.exe embeds.
embeds_zip() { echo "$(basename "$1"): embeds $embedded"; }

# Stage distcheck: no entry of the zip $1 records an owner.
owned_by_root_zip() {
  if zipinfo -v "$1" | grep 'UID/GID'; then echo "$1: records an owner"; exit 1; fi
}
