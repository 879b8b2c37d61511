# The pages checked against what the build makes, by the documented stage: each check takes the
# pages (and the release) it reads as arguments, so that it can be tried on a copy with a fault in it.

# The words of the Markdown page $1 written as code (between backticks), a line each.
ticked() { grep -o '`[^`]*`' "$1" | tr -d '`'; }

# The column named $3 of the table of the Markdown page $1 whose first column is named $2: its cell
# in each row, a line each.
column() {
  awk -F '|' -v first="$2" -v name="$3" '
    function trimmed(text) { gsub(/^ +| +$/, "", text); return text }
    !inside && trimmed($2) == first {
      for (i = 2; i < NF; i++) if (trimmed($i) == name) at = i
      if (!at) { print FILENAME ": its table of " first " has no column " name > "/dev/stderr"; exit 2 }
      inside = 1; getline; next
    }
    inside && !/^\|/ { exit }
    inside { print $at }' "$1"
}

# The release in the directory $1 (packages, bills, signatures, keys) and the files that the pages
# after it name agree: each file named is the release's, and each file of the release is named by a
# page. A page that says `<package>.cdx.json` names the bill of every package it names.
pages_name_the_release() {
  local release=$1 page file named="" bills="" ticks names; shift
  for page; do
    ticks=$(ticked "$page")
    names=$(grep -Ex '(das[-_][0-9][^ ]*[^/]|SHA256SUMS[^ ]*|das-release[^ ]*)' <<<"$ticks" || true)
    while IFS= read -r file; do
      [ -z "$file" ] || [ -e "$release/$file" ] || { echo "$page: names $file, which the release does not have"; return 1; }
    done <<<"$names"
    named+=$names$'\n'
    if grep -x '<package>\.cdx\.json' <<<"$ticks" >/dev/null; then bills+=$(sed 's/$/.cdx.json/' <<<"$names")$'\n'; fi
  done
  for file in $(ls -1 "$release"); do
    grep -xF "$file" <<<"$named$bills" >/dev/null || { echo "the release has $file, which no page ($*) names"; return 1; }
  done
  echo "pages: $* name the $(ls -1 "$release" | wc -l) files of the release, and no other"
}

# The table of stages of the page $1 (building.md) is .ci/run's stages, in their order.
stages_listed() {
  if ! diff <(printf '%s\n' "${stages[@]}") <(column "$1" stage stage | tr -d '` '); then
    echo "$1: its table of stages is not .ci/run's (above, < .ci/run, > the page)"; return 1
  fi
  echo "$1: the ${#stages[@]} stages of .ci/run"
}

# The page $1 (building.md) names every build of the table, and no other, in its table of presets
# (in the table's order) and in its table of platforms (as a preset of the column "how das is built").
builds_listed() {
  if ! diff <(other_builds) <(column "$1" preset preset | grep ', ' | grep -o '`[^`]*`' | tr -d '`'); then
    echo "$1: its table of presets does not name the builds of cmake/builds.cmake (above, < the table, > the page)"; return 1
  fi
  if ! diff <(other_builds | sort) <(column "$1" platform "how das is built" | grep -o '`[a-z0-9-]*`' | tr -d '`' | grep -vx release | sort -u); then
    echo "$1: its table of platforms does not name the builds of cmake/builds.cmake (above, < the table, > the page)"; return 1
  fi
  echo "$1: the $(other_builds | wc -l) builds of cmake/builds.cmake in its tables of presets and platforms"
}

# The install grid of the page $1 (the README) names the image's platforms, those of the builds that
# go into the image.
platforms_listed() {
  local build images=()
  for build in $(other_builds); do
    [[ ,$(field "$build" packages), != *,image,* ]] || images+=("$(field "$build" image)")
  done
  if ! diff <(printf '%s\n' "${images[@]}" | sort) <(column "$1" machine "container image" | grep -o '`[^`]*`' | tr -d '`' | sort); then
    echo "$1: its install grid does not name the image's platforms (above, < the table, > the page)"; return 1
  fi
  echo "$1: the image's ${#images[@]} platforms"
}
