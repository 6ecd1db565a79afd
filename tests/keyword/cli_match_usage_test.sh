#!/bin/bash
# capsdub-cli match with a keyword and no text: the usage error on standard error, exit status 2.
#   cli_match_usage_test.sh RUNNER CAPSDUB_CLI RK_SAMPLEGEN WORK_FOLDER
source "$(dirname "$0")/../cli_test_lib.sh" "$@"

text=$(run "$cli" match onlykeyword 2>&1 >/dev/null); status=$?
[[ $status -eq 2 ]] || fail "usage error exited $status: $text"
grep -qF "a keyword and at least one text are needed" <<< "$text" || fail "no usage error: $text"
echo "capsdub-cli match usage: all checks passed"
