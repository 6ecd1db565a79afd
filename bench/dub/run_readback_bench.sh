#!/bin/bash
# The read-back before a deletion against the copy it checks, in the same run: a generated
# capsule of about 1 GB dubbed with hashing (as when "削除する" is ticked), then its .mpg and
# .ssx read back and hashed, and, for the disk's read speed, cat of the same two files to
# /dev/null. All on a warm page cache; each round's output is removed and flushed outside the
# timing. Prints the medians and the ratios read-back / copy and read-back / cat.
#   bench/dub/run_readback_bench.sh NATIVE_BENCH_DUB [WINDOWS_BENCH_DUB_EXE] [ROUNDS]
set -euo pipefail
native=$1
windows=${2:-}
rounds=${3:-5}
segments=8
megabytes=1000
top=$(cd "$(dirname "$0")/../.." && pwd)
work=$(mktemp -d "${TMPDIR:-/tmp}/capsdub-bench-readback.XXXXXX")
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/host" "$work/out"
"$native" generate "$work/host/" "$megabytes" "$segments"
cat "$work"/host/* > /dev/null
sync

median() { sort -g | awk '{a[NR]=$1} END {print (NR%2) ? a[(NR+1)/2] : (a[NR/2]+a[NR/2+1])/2}'; }
seconds() {
  local start end
  start=$(date +%s.%N)
  "$@"
  end=$(date +%s.%N)
  echo "$end - $start" | bc -l
}
bench() {  # label, then the command that runs "verify"
  local label=$1; shift
  local copies="" readbacks="" cats="" c r k bytes
  for ((i = 1; i <= rounds; i++)); do
    read -r c r bytes < <("$@" | tr -d '\r')

    k=$(seconds sh -c 'cat "$1" "$2" > /dev/null' cat "$work/out/Bench.mpg" "$work/out/Bench.ssx")
    rm -f "$work"/out/Bench.*; sync
    copies+="$c "; readbacks+="$r "; cats+="$k "
  done
  c=$(tr ' ' '\n' <<< "${copies% }" | median)
  r=$(tr ' ' '\n' <<< "${readbacks% }" | median)
  k=$(tr ' ' '\n' <<< "${cats% }" | median)
  printf '%-7s %s bytes: copy %.3f s, read-back %.3f s, cat %.3f s; read-back/copy %.3f, read-back/cat %.3f\n' \
    "$label" "$bytes" "$c" "$r" "$k" "$(echo "$r / $c" | bc -l)" "$(echo "$r / $k" | bc -l)"
}
bench native "$native" verify "$work/host/" "$segments" "$work/out/"
if [[ -n "$windows" ]]; then
  whost=$("$top/cmake/wine-run" winepath -w "$work/host/" 2>/dev/null | tr -d '\r')
  wout=$("$top/cmake/wine-run" winepath -w "$work/out/" 2>/dev/null | tr -d '\r')
  bench wine "$top/cmake/wine-run" "$windows" verify "$whost" "$segments" "$wout"
fi
