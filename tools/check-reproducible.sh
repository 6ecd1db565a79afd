#!/usr/bin/env bash
# Checks that the release is reproducible: clones the committed tree (HEAD) twice, into two
# folders of different names and depths, runs tools/release.sh in each, one after the other
# and under different time zones, and compares the two dist/ folders byte for byte.
#   tools/check-reproducible.sh [work folder]   (default: a new folder under /tmp, removed after)
# Exit status 0 when both builds gave identical zips and SHA256SUMS, 1 when they differ.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
if [ $# -gt 1 ]; then
  echo "usage: tools/check-reproducible.sh [work folder]" >&2
  exit 2
fi
if [ $# -eq 1 ]; then
  work=$1
  mkdir -p "$work"
else
  work=$(mktemp -d /tmp/capsdub-reproducible.XXXXXX)
  trap 'rm -rf "$work"' EXIT
fi
first=$work/first
second="$work/second build/capsdub"
rm -rf "$first" "$work/second build"
for clone in "$first" "$second"; do
  git clone --quiet --no-local "$top" "$clone"
done
echo "== check-reproducible: commit $(git -C "$first" rev-parse --short HEAD) ==" >&2
echo "== build 1 in $first ==" >&2
(cd "$first" && TZ=UTC bash tools/release.sh >/dev/null)
echo "== build 2 in $second ==" >&2
(cd "$second" && TZ=Asia/Tokyo bash tools/release.sh >/dev/null)

status=0
for file in "$first"/dist/*; do
  name=$(basename "$file")
  if cmp -s "$file" "$second/dist/$name"; then
    echo "same       $name"
  else
    echo "DIFFERENT  $name"
    status=1
  fi
done
if [ "$(ls "$first/dist")" != "$(ls "$second/dist")" ]; then
  echo "the two dist/ folders hold different files" >&2
  status=1
fi
cat "$first/dist/SHA256SUMS"
if [ $status -eq 0 ]; then
  echo "check-reproducible: both builds gave identical zips and SHA256SUMS"
else
  echo "check-reproducible: the builds differ" >&2
fi
exit $status
