#!/bin/bash
# capsdub-cli list end to end on a generated sample host: the TSV header and field count, the
# escaping of line breaks in memos, the table for people, and clear failures for bad arguments.
#   cli_list_test.sh RUNNER CAPSDUB_CLI RK_SAMPLEGEN WORK_FOLDER
source "$(dirname "$0")/../cli_test_lib.sh" "$@"
fresh_work D

if [[ -n "$runner" ]]; then
  host="$(windows_path "$work/D/")Reel Keeper\\"
  gen_drives=(--media "${host:0:1}")
  drives=()
else
  host='D:\Reel Keeper\'
  gen_drives=(--drive "D=$work/D")
  drives=(--drive "D=$work/D")
fi

run "$samplegen" --out "$host" "${gen_drives[@]}" --capsules 12 --tiny --seed 1 > /dev/null ||
  fail "sample host not written"

tsv=$(run "$cli" list --host "$host" "${drives[@]}" --tsv 2>/dev/null) || fail "list --tsv"
tsv=${tsv//$'\r'/}
header=$(head -n 1 <<< "$tsv")
[[ $header == $'FileName\tTitle\tFileSize\tFileDateTime\tChannel\tTapeLibName\tStatus\tTapeLibID\tMemo' ]] ||
  fail "header: $header"
rows=$(tail -n +2 <<< "$tsv")
[[ $(wc -l <<< "$rows") -ge 8 ]] || fail "too few rows: $rows"
awk -F '\t' 'NF != 9 { exit 1 }' <<< "$rows" || fail "a row without 9 fields"
cut -f3 <<< "$rows" | grep -qvE '^[0-9]+$' && fail "size format"
cut -f4 <<< "$rows" | grep -qvE '^[0-9]{4}-[0-9]{2}-[0-9]{2} [0-9]{2}:[0-9]{2}:[0-9]{2}$' &&
  fail "date format"
grep -qF '\r\n' <<< "$rows" || fail "memo line breaks are not escaped"
# Newest first: the dates never increase down the list.
sort -c -r -t $'\t' -k4,4 <<< "$rows" 2>/dev/null || fail "not newest first"

table=$(run "$cli" list --host "$host" "${drives[@]}" 2>/dev/null) || fail "list"
grep -q "番号" <<< "$table" || fail "table header: $table"
grep -qE '[0-9]{4}年[0-9]{2}月[0-9]{2}日\(.\) [0-9]{2}:[0-9]{2}' <<< "$table" || fail "table date"

# A folder without Reel Keeper's database: the errors are told and the exit status is 1.
mkdir -p "$work/empty"
if [[ -n "$runner" ]]; then
  empty="$("$runner" winepath -w "$work/empty/" 2>/dev/null | tr -d '\r')Reel Keeper\\"
  empty_drives=()
else
  empty='E:\Reel Keeper\'
  empty_drives=(--drive "E=$work/empty")
fi
errors=$(run "$cli" list --host "$empty" "${empty_drives[@]}" 2>&1 >/dev/null)
status=$?
[[ $status -eq 1 ]] || fail "list of a folder without a database exited $status"
grep -q "error: " <<< "$errors" || fail "no error told for a folder without a database: $errors"

run "$cli" list --tsv > /dev/null 2>&1 && fail "missing --host accepted"
run "$cli" list --host "$host" --bogus > /dev/null 2>&1 && fail "unknown argument accepted"
run "$cli" list --host "$host" --drive 7 > /dev/null 2>&1 && fail "bad --drive accepted"
echo "capsdub-cli list: all checks passed"
