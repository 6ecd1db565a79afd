#!/bin/bash
# capsdub-cli match with a keyword and no text: the usage error on standard error, exit status 2.
#   cli_match_usage_test.sh RUNNER CAPSDUB_CLI RK_SAMPLEGEN WORK_FOLDER
# RUNNER is empty for native programs or the Wine runner for Windows ones.
set -uo pipefail
runner=$1 cli=$2
run() { if [[ -n "$runner" ]]; then "$runner" "$@"; else "$@"; fi; }
fail() { echo "FAIL: $*"; exit 1; }

text=$(run "$cli" match onlykeyword 2>&1 >/dev/null); status=$?
[[ $status -eq 2 ]] || fail "usage error exited $status: $text"
grep -qF "a keyword and at least one text are needed" <<< "$text" || fail "no usage error: $text"
echo "capsdub-cli match usage: all checks passed"
