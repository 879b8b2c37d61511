#!/usr/bin/env bash
# Runs every terminal session shown in the project's pages and the manual page, as printed, with
# the das under test on PATH, and compares what it prints with what the page shows. Each session
# runs several times in a row, because a race in an example shows only now and then.
#
#   examples.sh RUNS PAGE... -- COMMAND-FILE   (the file names the launcher, if any, then das, a line each)
#
# A session is a Markdown block marked `console`, or a manual page block between .EX and .EE:
# lines that begin with "$ " are commands, the lines after them their output; where output ends
# without a line end, the next "$ " follows on its line.
set -euo pipefail
runs=$1
shift
pages=()
while [ "$1" != -- ]; do pages+=("$1"); shift; done
shift

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir "$work/bin"
mapfile -t command <"$1"
{ printf '#!/bin/sh\nexec'; printf ' %q' "${command[@]}"; printf ' "$@"\n'; } >"$work/bin/das"
chmod +x "$work/bin/das"

# Every session of a page, each into a file of its own.
sessions=0
for page in "${pages[@]}"; do
  if [[ $page == *.md ]]; then
    blocks=$(awk 'match($0, /^ *```/) {
                    inside = !inside && substr($0, RLENGTH + 1) == "console"; indent = RLENGTH - 3
                    if (!inside) print "\f"; next
                  }
                  inside { print substr($0, indent + 1) }' "$page")
  else
    blocks=$(awk '/^\.EE/ { inside = 0; print "\f" } inside; /^\.EX/ { inside = 1 }' "$page" |
             sed -e "s/\\\\(aq/'/g" -e 's/\\(dq/"/g' -e 's/\\-/-/g' -e 's/\\&//g' -e 's/\\e/\\/g')
  fi
  while IFS= read -r -d $'\f' block; do
    block=${block#$'\n'}
    block=${block%$'\n'}
    [[ $block == '$ '* ]] || continue
    sessions=$((sessions + 1))
    printf '%s\n' "$block" >"$work/session.$sessions"
    echo "$page" >"$work/session.$sessions.page"
  done <<<"$blocks"$'\f'
done
((sessions > 0)) || { echo "no sessions found in ${pages[*]}" >&2; exit 1; }

failed=0
for ((s = 1; s <= sessions; s++)); do
  # The session as a script that prints each prompt and command before running it.
  script=$work/script.$s
  : >"$script"
  while IFS= read -r line; do
    [[ $line =~ ^([^$]*)\$\ (.*)$ ]] || continue
    printf 'printf "%%s\\n" %q\n%s\n' "\$ ${BASH_REMATCH[2]}" "${BASH_REMATCH[2]}" >>"$script"
  done <"$work/session.$s"
  for ((run = 1; run <= runs; run++)); do
    rm -rf "$work/cwd" && mkdir "$work/cwd"
    (cd "$work/cwd" && PATH=$work/bin:$PATH bash "$script" >"$work/out" 2>"$work/err") || true
    [ -z "$(tail -c1 "$work/out")" ] || printf '$\n' >>"$work/out"
    if ! cmp -s "$work/out" "$work/session.$s" || [ -s "$work/err" ]; then
      echo "$(cat "$work/session.$s.page"): session $s, run $run of $runs, differs from the page:" >&2
      diff "$work/session.$s" "$work/out" >&2 || true
      cat "$work/err" >&2
      failed=1
      break
    fi
  done
done
echo "$sessions sessions, each run $runs times"
exit $failed
