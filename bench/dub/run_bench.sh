#!/bin/bash
# Dubs a generated capsule of about 1 GB in several segments into a folder on the same disk,
# alternating with cat of the same segments into a file in the same folder (warm page cache),
# natively and, when a Windows build is given, under Wine (alternating, each run's output removed
# and flushed outside the timing so that write-back of one run does not land in the next). Prints the medians, the throughput
# ratios to cat and the copy's peak memory. The data lives under a temporary folder that is
# removed at the end.
#   bench/dub/run_bench.sh NATIVE_BENCH_DUB [WINDOWS_BENCH_DUB_EXE] [ROUNDS]
set -euo pipefail
native=$1
windows=${2:-}
rounds=${3:-5}
segments=8
megabytes=1000
top=$(cd "$(dirname "$0")/../.." && pwd)
work=$(mktemp -d "${TMPDIR:-/tmp}/capsdub-bench-dub.XXXXXX")
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/host" "$work/out"

"$native" generate "$work/host/" "$megabytes" "$segments"
segs=("$work"/host/seg-*.ssg "$work/host/seg-001.ssx")
cat "${segs[@]}" > /dev/null  # warm the page cache
sync  # and start with no dirty pages; every run's output is removed and synced outside the timing

seconds() {  # wall seconds of a command
  local start end
  start=$(date +%s.%N)
  "$@" > "$work/last.txt"
  end=$(date +%s.%N)
  echo "$end - $start" | bc -l
}
median() { sort -g | awk '{a[NR]=$1} END {print (NR%2) ? a[(NR+1)/2] : (a[NR/2]+a[NR/2+1])/2}'; }

cat_times=() dd_times=() native_times=() native_inner=() native_peak=0
wine_times=() wine_inner=() wine_peak=0
if [[ -n "$windows" ]]; then
  export WINEPREFIX=${WINEPREFIX:-$top/.wine} WINEDEBUG=-all
  whost=$(wine winepath -w "$work/host/" 2>/dev/null | tr -d '\r')
  wout=$(wine winepath -w "$work/out/" 2>/dev/null | tr -d '\r')
  wine "$windows" > /dev/null 2>&1 || true  # start the Wine server before timing
fi
for ((r = 1; r <= rounds; r++)); do
  cat_times+=("$(seconds sh -c 'cat "$@" > "'"$work"'/out/cat.mpg"' cat "${segs[@]}")")
  rm -f "$work/out/cat.mpg"; sync
  # The same read/write loop with the same block size as the copy (cat itself copies inside
  # the kernel with copy_file_range where it can).
  dd_times+=("$(seconds sh -c 'for f; do dd if="$f" bs=8000000 status=none; done > "'"$work"'/out/dd.mpg"' dd "${segs[@]}")")
  rm -f "$work/out/dd.mpg"; sync
  native_times+=("$(seconds "$native" dub "$work/host/" "$segments" "$work/out/")")
  read -r inner peak _ < "$work/last.txt"
  native_inner+=("$inner"); ((peak > native_peak)) && native_peak=$peak
  rm -f "$work"/out/Bench.*; sync
  if [[ -n "$windows" ]]; then
    wine_times+=("$(seconds wine "$windows" dub "$whost" "$segments" "$wout")")
    read -r inner peak _ < <(tr -d '\r' < "$work/last.txt")
    wine_inner+=("$inner"); ((peak > wine_peak)) && wine_peak=$peak
    rm -f "$work"/out/Bench.*; sync
  fi
done

bytes=$(cat "${segs[@]}" | wc -c)
c=$(printf '%s\n' "${cat_times[@]}" | median)
d=$(printf '%s\n' "${dd_times[@]}" | median)
n=$(printf '%s\n' "${native_times[@]}" | median)
ni=$(printf '%s\n' "${native_inner[@]}" | median)
printf 'capsule: %d bytes in %d media segments and 1 index segment, %d rounds\n' "$bytes" "$segments" "$rounds"
printf 'cat:           %.3f s\n' "$c"
printf 'dd bs=8000000: %.3f s  throughput vs cat %.3f\n' "$d" "$(echo "$c / $d" | bc -l)"
printf 'native dub:    %.3f s (copy alone %.3f s)  throughput vs cat %.3f (copy alone %.3f)  peak %d KiB\n' \
  "$n" "$ni" "$(echo "$c / $n" | bc -l)" "$(echo "$c / $ni" | bc -l)" "$native_peak"
printf '               throughput vs dd %.3f\n' "$(echo "$d / $n" | bc -l)"
if [[ -n "$windows" ]]; then
  w=$(printf '%s\n' "${wine_times[@]}" | median)
  wi=$(printf '%s\n' "${wine_inner[@]}" | median)
  printf 'Wine dub:      %.3f s (copy alone %.3f s)  throughput vs cat %.3f (copy alone %.3f)  peak %d KiB\n' \
    "$w" "$wi" "$(echo "$c / $w" | bc -l)" "$(echo "$c / $wi" | bc -l)" "$wine_peak"
  printf '               throughput vs dd %.3f (copy alone %.3f)\n' "$(echo "$d / $w" | bc -l)" "$(echo "$d / $wi" | bc -l)"
fi
