#!/bin/bash
# capsdub-cli dub end to end on a generated sample host: dubs two capsules, refuses an unknown
# number, skips existing names without --renumber, renumbers in the external cabinet form.
#   cli_dub_test.sh RUNNER CAPSDUB_CLI RK_SAMPLEGEN WORK_FOLDER
source "$(dirname "$0")/../cli_test_lib.sh" "$@"
fresh_work D out

if [[ -n "$runner" ]]; then
  host="$(windows_path "$work/D/")Reel Keeper\\"
  out=$(windows_path "$work/out")
  drives=(--media "${host:0:1}")
else
  host='D:\Reel Keeper\'
  out=$work/out
  drives=(--drive "D=$work/D")
fi
# What a capsule's output must hold: its segments of one kind joined in number order (the
# media segments are .ssg, or .mpg for a capsule without .ssg).
segments="$work/D/Reel Keeper"
shopt -s nocaseglob nullglob
joined() { # NUMBER KIND...
  local n=$1 kind files
  shift
  for kind in "$@"; do
    files=("$segments/$n"-???."$kind")
    if [[ ${#files[@]} -gt 0 ]]; then
      cat "${files[@]}"
      return
    fi
  done
}
# The checksums of the given capsules' joined media (or index) segments, sorted.
joined_sums() { # KIND... -- NUMBER...
  local kinds=() n
  while [[ $1 != -- ]]; do kinds+=("$1"); shift; done
  shift
  for n in "$@"; do joined "$n" "${kinds[@]}" | cksum; done | sort
}
file_sums() { local f; for f in "$@"; do cksum < "$f"; done | sort; }

run "$samplegen" --out "$host" "${drives[@]}" --capsules 6 --small --plain > /dev/null ||
  fail "sample host not written"
[[ -n "$runner" ]] && drives=()
list=$(run "$cli" list --host "$host" "${drives[@]}" --tsv 2>/dev/null) || fail "list"
mapfile -t numbers < <(tail -n +2 <<< "$list" | cut -f1 | head -2)
[[ ${#numbers[@]} -eq 2 ]] || fail "fewer than two capsules listed"

dub() { run "$cli" dub --host "$host" "${drives[@]}" --to "$out" "$@" 2>&1; }

text=$(dub "${numbers[@]}"); status=$?
[[ $status -eq 0 ]] || fail "first dub exited $status: $text"
grep -q "2 capsules dubbed" <<< "$text" || fail "first dub: $text"
[[ $(ls "$work/out"/*.mpg | wc -l) -eq 2 ]] || fail "two .mpg files expected"
[[ $(file_sums "$work/out"/*.mpg) == $(joined_sums ssg mpg -- "${numbers[@]}") ]] ||
  fail "the .mpg files are not the capsules' joined media segments"
[[ $(file_sums "$work/out"/*.ssx) == $(joined_sums ssx -- "${numbers[@]}") ]] ||
  fail "the .ssx files are not the capsules' joined index segments"

text=$(dub "${numbers[0]}" 9999); status=$?
[[ $status -ne 0 ]] && grep -q "no capsule 9999" <<< "$text" || fail "unknown number: $status $text"

text=$(dub "${numbers[0]}"); status=$?
[[ $status -ne 0 ]] && grep -q "はダビング済みです." <<< "$text" || fail "skip: $status $text"

text=$(dub --cabinet-form --renumber "${numbers[@]}"); status=$?
[[ $status -eq 0 ]] || fail "cabinet form exited $status: $text"
for n in "${numbers[@]}"; do
  [[ -f "$work/out/$n.mpg" && -f "$work/out/$n.sdb" && -f "$work/out/$n.scx" ]] ||
    fail "cabinet form: $n.mpg and companions expected"
  cmp -s "$work/out/$n.mpg" <(joined "$n" ssg mpg) || fail "cabinet form: $n.mpg differs"
  cmp -s "$work/out/$n.ssx" <(joined "$n" ssx) || fail "cabinet form: $n.ssx differs"
done
text=$(dub --cabinet-form --renumber "${numbers[0]}"); status=$?
[[ $status -eq 0 && -f "$work/out/0001.mpg" ]] || fail "renumbered 0001.mpg expected: $text"
cmp -s "$work/out/0001.mpg" "$work/out/${numbers[0]}.mpg" || fail "renumbered copy differs"
echo "capsdub-cli dub: all checks passed"
