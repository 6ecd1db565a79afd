#!/bin/bash
# capsdub-cli batch end to end on a generated sample host: "/s:t /c:2" dubs the first two
# capsules in title order, "/?" and a save folder that does not exist print the usage text.
#   cli_batch_test.sh RUNNER CAPSDUB_CLI RK_SAMPLEGEN WORK_FOLDER
source "$(dirname "$0")/../cli_test_lib.sh" "$@"
fresh_work D/out

if [[ -n "$runner" ]]; then
  root=$(windows_path "$work/D/")
  drives=(--media "${root:0:1}")
else
  root='D:\'
  drives=(--drive "D=$work/D")
fi
host="${root}Reel Keeper\\"
# The save folder in Windows form: an argument starting with "/" is an option of the batch.
out="${root}out"
missing="${root}missing"
# The checksums of the given capsules' segments of one kind joined in number order (the media
# segments are .ssg, or .mpg for a capsule without .ssg), sorted.
segments="$work/D/Reel Keeper"
shopt -s nocaseglob nullglob
joined_sums() { # KIND... -- NUMBER...
  local kinds=() n kind files
  while [[ $1 != -- ]]; do kinds+=("$1"); shift; done
  shift
  for n in "$@"; do
    for kind in "${kinds[@]}"; do
      files=("$segments/$n"-???."$kind")
      [[ ${#files[@]} -gt 0 ]] && break
    done
    cat "${files[@]}" /dev/null | cksum
  done | sort
}
file_sums() { local f; for f in "$@"; do cksum < "$f"; done | sort; }

run "$samplegen" --out "$host" "${drives[@]}" --capsules 6 --small --plain > /dev/null ||
  fail "sample host not written"
[[ -n "$runner" ]] && drives=()
list=$(run "$cli" list --host "$host" "${drives[@]}" --tsv 2>/dev/null) || fail "list"
# The sample titles sort the same by code point as by the catalogue's collation.
batch() { run "$cli" batch --host "$host" "${drives[@]}" "$@"; }

text=$(batch "$out" /s:t /c:2 2>&1); status=$?
[[ $status -eq 0 ]] || fail "batch exited $status: $text"
grep -q "2 capsules dubbed" <<< "$text" || fail "batch: $text"
[[ $(ls "$work/D/out"/*.mpg 2>/dev/null | wc -l) -eq 2 ]] || fail "two .mpg files expected: $text"
mapfile -t first < <(tail -n +2 <<< "$list" | cut -f1,2 | LC_ALL=C sort -t $'\t' -k2 | head -2)
[[ ${#first[@]} -eq 2 ]] || fail "two titles expected in the list"
for row in "${first[@]}"; do
  title=${row#*$'\t'}
  ls "$work/D/out" | grep -qF "${title//\"/”}" || fail "no output for '$title': $(ls "$work/D/out")"
done
numbers=("${first[0]%%$'\t'*}" "${first[1]%%$'\t'*}")
[[ $(file_sums "$work/D/out"/*.mpg) == $(joined_sums ssg mpg -- "${numbers[@]}") ]] ||
  fail "the .mpg files are not the capsules' joined media segments"
[[ $(file_sums "$work/D/out"/*.ssx) == $(joined_sums ssx -- "${numbers[@]}") ]] ||
  fail "the .ssx files are not the capsules' joined index segments"

usage_line='CapsDub [パス] [/w][/o][/s:ソート順][/c:数][/t:"キーワード"][/a:TV局名][/f:キャビネット名]'
expect_usage() {
  local text status
  text=$(batch "$@" 2>/dev/null); status=$?
  [[ $status -eq 0 ]] || fail "usage for '$*' exited $status"
  grep -qxF "$usage_line" <<< "${text//$'\r'/}" || fail "no usage text for '$*': $text"
  [[ $(wc -l <<< "$text") -eq 27 ]] || fail "27 usage lines expected for '$*'"
}
expect_usage "/?"
expect_usage "$missing" /c:3
expect_usage "$out" /c:0 /c:5
[[ $(ls "$work/D/out"/*.mpg | wc -l) -eq 2 ]] || fail "the usage runs dubbed something"
echo "capsdub-cli batch: all checks passed"
