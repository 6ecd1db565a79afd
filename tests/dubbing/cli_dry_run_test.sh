#!/bin/bash
# capsdub-cli dub and batch --dry-run on a generated sample host where some output names are
# taken: the printed outputs are exactly the files the real run then creates, with and without
# renumbering, and the dry run changes nothing on disk. Also the exit statuses: an unknown
# option is refused (2) and touches nothing, a dub with a missing segment fails (1) naming it.
#   cli_dry_run_test.sh RUNNER CAPSDUB_CLI RK_SAMPLEGEN WORK_FOLDER
source "$(dirname "$0")/../cli_test_lib.sh" "$@"
fresh_work D out

if [[ -n "$runner" ]]; then
  host="$(windows_path "$work/D/")Reel Keeper\\"
  out=$(windows_path "$work/out")
  drives=(--media "${host:0:1}")
else
  host='D:\Reel Keeper\'
  out='O:\'
  drives=(--drive "D=$work/D" --drive "O=$work/out")
fi
run "$samplegen" --out "$host" "${drives[@]}" --capsules 6 --small --plain > /dev/null ||
  fail "sample host not written"
[[ -n "$runner" ]] && drives=()

list=$(run "$cli" list --host "$host" "${drives[@]}" --tsv 2>/dev/null) || fail "list"
mapfile -t numbers < <(tail -n +2 <<< "$list" | cut -f1 | head -4)
[[ ${#numbers[@]} -eq 4 ]] || fail "fewer than four capsules listed"
# Names taken: the first capsule's number and 0001 (the first renumbered name).
echo taken > "$work/out/${numbers[0]}.mpg"
echo taken > "$work/out/0001.mpg"

snapshot() { (cd "$work" && find . -type f -exec md5sum {} + | sort); }
outputs() {  # the Output column's file names, one a line, sorted
  tail -n +2 | tr -d '\r' | awk -F'\t' '{print $NF}' | sed 's|.*[\\/]||' | sort
}
created() { comm -13 <(sort <<< "$1") <(cd "$work/out" && ls *.mpg | sort); }

check() {  # label, then the command's arguments after the subcommand
  local label=$1 sub=$2; shift 2
  local before plan status after existing
  before=$(snapshot)
  plan=$(run "$cli" "$sub" --host "$host" "${drives[@]}" --dry-run "$@" 2>/dev/null); status=$?
  [[ $status -eq 0 ]] || fail "$label: dry run exited $status"
  after=$(snapshot)
  [[ "$before" == "$after" ]] || fail "$label: the dry run changed files"
  head -1 <<< "$plan" | tr -d '\r' | grep -qx "$(head -1 <<< "$list" | tr -d '\r')	Output" ||
    fail "$label: header $(head -1 <<< "$plan")"
  existing=$(cd "$work/out" && ls *.mpg)
  run "$cli" "$sub" --host "$host" "${drives[@]}" "$@" > /dev/null 2>&1
  [[ "$(outputs <<< "$plan")" == "$(created "$existing")" ]] ||
    fail "$label: planned $(outputs <<< "$plan" | tr '\n' ' ') but created $(created "$existing" | tr '\n' ' ')"
  echo "$label: $(outputs <<< "$plan" | tr '\n' ' ')"
}

check "dub, cabinet form, no renumbering" dub --to "$out" --cabinet-form "${numbers[@]:0:3}"
check "dub, cabinet form, renumbered" dub --to "$out" --cabinet-form --renumber "${numbers[@]}"
check "batch /o, taken names skipped" batch "$out" /o /s:n /c:5
check "batch /o /w, renumbered" batch "$out" /o /w /s:n /c:3
check "batch by title, renumbered" batch "$out" /w /s:t /c:3

# Unknown options: refused with status 2, nothing touched.
before=$(snapshot)
for sub in "dub --to $out --bogus ${numbers[0]}" "batch $out /o --bogus" "list --bogus"; do
  read -r -a words <<< "$sub"
  run "$cli" "${words[0]}" --host "$host" "${drives[@]}" "${words[@]:1}" > /dev/null 2>&1
  status=$?
  [[ $status -eq 2 ]] || fail "$sub: exited $status, 2 expected"
done
[[ "$before" == "$(snapshot)" ]] || fail "a refused command changed files"

# A capsule one of whose segments is missing: a failure, with the segment named.
segment=$(cd "$work/D/Reel Keeper" && ls "${numbers[3]}"-*.* 2>/dev/null | head -1)
[[ -n "$segment" ]] || fail "no segment file of ${numbers[3]}"
rm -f "$work/D/Reel Keeper/$segment"
text=$(run "$cli" dub --host "$host" "${drives[@]}" --to "$out" --renumber "${numbers[3]}" 2>&1)
status=$?
[[ $status -eq 1 ]] || fail "incomplete dub exited $status: $text"
grep -q "capsule ${numbers[3]}: incomplete dub: segment .*$segment is missing" <<< "$text" ||
  fail "incomplete dub not reported: $text"
grep -q "capsules dubbed" <<< "$text" && fail "incomplete dub reported as done: $text"
echo "capsdub-cli --dry-run and exit statuses: all checks passed"
