#!/bin/bash
# capsdub-cli dub --delete end to end on a generated sample host. Under Wine, KAP.dll and the
# stand-in host libraries (CAPSDUB_KAP_FILES, copied beside a copy of the program) delete the
# dubbed capsules, and the list no longer shows them. Natively there is no library: the
# deletion is reported as unavailable, the exit status is 1 and the capsules stay.
#   cli_delete_test.sh RUNNER CAPSDUB_CLI RK_SAMPLEGEN WORK_FOLDER
source "$(dirname "$0")/../cli_test_lib.sh" "$@"
fresh_work D out bin

if [[ -n "$runner" ]]; then
  [[ -n "${CAPSDUB_KAP_FILES:-}" ]] || fail "CAPSDUB_KAP_FILES names no KAP.dll"
  IFS=';' read -r -a kap_files <<< "$CAPSDUB_KAP_FILES"
  cp "$cli" "${kap_files[@]}" "$work/bin/" || fail "programs not copied"
  cli=$work/bin/$(basename "$cli")
  # KAP.dll talks to Reel Keeper only when Reel Keeper's key names its installation folder:
  # the folder of the copies plays it, in both registry views, for this test only.
  key='HKLM\Software\Orvan Corporation\Tessaly'
  install=$(windows_path "$work/bin/")
  for view in 32 64; do
    "$runner" reg add "$key" /v InstalledPath /t REG_SZ /d "$install" /f /reg:$view \
      > /dev/null 2>&1 || fail "InstalledPath not set"
  done
  trap 'for view in 32 64; do "$runner" reg delete "$key" /v InstalledPath /f /reg:$view \
    > /dev/null 2>&1; done; rm -rf "$work"' EXIT
  host="$(windows_path "$work/D/")Reel Keeper\\"
  out=$(windows_path "$work/out")
  export CAPSDUB_STANDIN_DATA=$host
  run "$samplegen" --out "$host" --media "${host:0:1}" --capsules 5 --small --plain --standin \
    > /dev/null || fail "sample host not written"
  drives=()
else
  host='D:\Reel Keeper\'
  out=$work/out
  drives=(--drive "D=$work/D")
  run "$samplegen" --out "$host" "${drives[@]}" --capsules 5 --small --plain > /dev/null ||
    fail "sample host not written"
fi

listed() {
  run "$cli" list --host "$host" "${drives[@]}" --tsv 2>"$work/list.err" | tail -n +2 | cut -f1
}
mapfile -t before < <(listed)
[[ ${#before[@]} -ge 3 ]] ||
  fail "fewer than three capsules listed in $host: $(cat "$work/list.err"; ls -R "$work/D" | head)"
numbers=("${before[0]}" "${before[1]}")

text=$(run "$cli" dub --host "$host" "${drives[@]}" --to "$out" --delete "${numbers[@]}" 2>&1)
status=$?
[[ $(ls "$work/out"/*.mpg | wc -l) -eq 2 ]] || fail "two .mpg files expected: $text"
mapfile -t after < <(listed)

if [[ -n "$runner" ]]; then
  [[ $status -eq 0 ]] || fail "dub --delete exited $status: $text"
  grep -q "2 capsules dubbed and deleted" <<< "$text" || fail "dub --delete: $text"
  for n in "${numbers[@]}"; do
    printf '%s\n' "${after[@]}" | grep -qx "$n" && fail "capsule $n still listed"
  done
  [[ ${#after[@]} -eq $((${#before[@]} - 2)) ]] || fail "other capsules changed: ${after[*]}"
  # Deleted capsules are gone for the library too: a second dub finds nothing to dub.
  text=$(run "$cli" dub --host "$host" --to "$out" --delete "${numbers[0]}" 2>&1)
  [[ $? -ne 0 ]] && grep -q "no capsule ${numbers[0]}" <<< "$text" || fail "second dub: $text"
else
  [[ $status -eq 1 ]] || fail "dub --delete without KAP.dll exited $status: $text"
  [[ $(grep -c "Reel Keeper起動エラー / APIをLoadLibrary()できなかった" <<< "$text") -eq 2 ]] ||
    fail "one unavailability message per capsule expected: $text"
  grep -q "capsule ${numbers[1]}: dubbed but not deleted" <<< "$text" || fail "report: $text"
  [[ "${after[*]}" == "${before[*]}" ]] || fail "capsules changed without the library"
fi
echo "capsdub-cli dub --delete: all checks passed"
