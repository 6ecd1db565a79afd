# The common start of the capsdub-cli test scripts (capsdub_add_cli_test), sourced first:
#   source "$(dirname "$0")/../cli_test_lib.sh" "$@"
# It reads RUNNER CAPSDUB_CLI RK_SAMPLEGEN WORK_FOLDER into runner, cli, samplegen and work.
# RUNNER is empty for native programs or the Wine runner for Windows ones (paths are then
# given to the programs in Windows form).
set -uo pipefail
runner=$1 cli=$2 samplegen=${3:-} work=${4:-}
run() { if [[ -n "$runner" ]]; then "$runner" "$@"; else "$@"; fi; }
fail() { echo "FAIL: $*"; exit 1; }
# The Windows form of a folder, through the Wine runner.
windows_path() { "$runner" winepath -w "$1" 2>/dev/null | tr -d '\r'; }
# An empty work folder with the given subfolders, removed when the script ends.
fresh_work() {
  rm -rf "$work"
  local folder
  for folder in "$@"; do mkdir -p "$work/$folder"; done
  trap 'rm -rf "$work"' EXIT
}
