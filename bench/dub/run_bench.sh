#!/bin/bash
# Dubs a generated capsule of about 1 GB in several segments into a folder on the same disk,
# alternating with cat of the same segments into a file in the same folder (warm page cache),
# natively and, when a Windows build is given, under Wine. Each run's output is removed and
# flushed outside the timing, so that the write-back of one run does not land in the next.
# Prints, per contender, the median wall time, the median of the per-round throughput ratios
# to cat (cat time / contender time, paired within a round) and the ratio of the best times,
# and the copy's peak memory. A dd with the copy's own block size shows what a plain
# read/write loop costs here (cat copies inside the kernel with copy_file_range where it can).
# The data lives under a temporary folder that is removed at the end.
#   bench/dub/run_bench.sh NATIVE_BENCH_DUB [WINDOWS_BENCH_DUB_EXE] [ROUNDS]
set -euo pipefail
native=$1
windows=${2:-}
rounds=${3:-7}
segments=8
megabytes=1000
top=$(cd "$(dirname "$0")/../.." && pwd)
work=$(mktemp -d "${TMPDIR:-/tmp}/capsdub-bench-dub.XXXXXX")
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/host" "$work/out"

"$native" generate "$work/host/" "$megabytes" "$segments"
segs=("$work"/host/seg-*.ssg "$work/host/seg-001.ssx")
cat "${segs[@]}" > /dev/null  # warm the page cache
sync

seconds() {  # wall seconds of a command; its standard output goes to $work/last.txt
  local start end
  start=$(date +%s.%N)
  "$@" > "$work/last.txt"
  end=$(date +%s.%N)
  echo "$end - $start" | bc -l
}
median() { sort -g | awk '{a[NR]=$1} END {print (NR%2) ? a[(NR+1)/2] : (a[NR/2]+a[NR/2+1])/2}'; }
best() { sort -g | head -1; }
ratio() { echo "$1 / $2" | bc -l; }

declare -A times inner ratios
peak_native=0 peak_wine=0
if [[ -n "$windows" ]]; then
  export WINEPREFIX=${WINEPREFIX:-$top/.wine} WINEDEBUG=-all
  whost=$(wine winepath -w "$work/host/" 2>/dev/null | tr -d '\r')
  wout=$(wine winepath -w "$work/out/" 2>/dev/null | tr -d '\r')
  wine "$windows" > /dev/null 2>&1 || true  # start the Wine server before timing
fi
for ((r = 1; r <= rounds; r++)); do
  c=$(seconds sh -c 'cat "$@" > "'"$work"'/out/cat.mpg"' cat "${segs[@]}")
  rm -f "$work/out/cat.mpg"; sync
  times[cat]+="$c "
  d=$(seconds sh -c 'for f; do dd if="$f" bs=8000000 status=none; done > "'"$work"'/out/dd.mpg"' dd "${segs[@]}")
  rm -f "$work/out/dd.mpg"; sync
  times[dd]+="$d "; ratios[dd]+="$(ratio "$c" "$d") "
  n=$(seconds "$native" dub "$work/host/" "$segments" "$work/out/")
  read -r i peak _ < "$work/last.txt"
  rm -f "$work"/out/Bench.*; sync
  times[native]+="$n "; inner[native]+="$i "; ratios[native]+="$(ratio "$c" "$n") "
  ((peak > peak_native)) && peak_native=$peak
  if [[ -n "$windows" ]]; then
    w=$(seconds wine "$windows" dub "$whost" "$segments" "$wout")
    read -r i peak _ < <(tr -d '\r' < "$work/last.txt")
    rm -f "$work"/out/Bench.*; sync
    times[wine]+="$w "; inner[wine]+="$i "; ratios[wine]+="$(ratio "$c" "$w") "
    ((peak > peak_wine)) && peak_wine=$peak
  fi
done

col() { tr ' ' '\n' <<< "${1% }" | "$2"; }
bytes=$(cat "${segs[@]}" | wc -c)
printf 'capsule: %d bytes in %d media segments and 1 index segment, %d rounds, load %s\n' \
  "$bytes" "$segments" "$rounds" "$(cut -d' ' -f1-3 /proc/loadavg)"
cbest=$(col "${times[cat]}" best)
printf '%-8s median %.3f s  best %.3f s\n' cat "$(col "${times[cat]}" median)" "$cbest"
for who in dd native wine; do
  [[ -n "${times[$who]:-}" ]] || continue
  printf '%-8s median %.3f s  best %.3f s  throughput vs cat: median of rounds %.3f, best %.3f' \
    "$who" "$(col "${times[$who]}" median)" "$(col "${times[$who]}" best)" \
    "$(col "${ratios[$who]}" median)" "$(ratio "$cbest" "$(col "${times[$who]}" best)")"
  if [[ -n "${inner[$who]:-}" ]]; then
    peak=$([[ $who == native ]] && echo "$peak_native" || echo "$peak_wine")
    printf '  (copy alone: median %.3f s)  peak %d KiB' "$(col "${inner[$who]}" median)" "$peak"
  fi
  printf '\n'
done
