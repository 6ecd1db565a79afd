#!/usr/bin/env bash
# Benchmark of the catalogue load: generates hosts of 1,000 and 10,000 capsules (tiny segment
# files) and times the load natively and, when a Windows build is given, under Wine, against a
# baseline over the same files in the same run: `find` listing the index segments with their
# sizes and times, and `cat` of every database and extension file. Then it compares the largest
# host with the next smaller one: the time and the memory of the load per capsule, which stay
# flat when the load is linear in the capsule count (BENCH_COUNTS="10000 100000" for the
# 100,000-capsule host).
#
# usage: bench/catalogue/run_catalogue_bench.sh NATIVE_BUILD_DIR [WINDOWS_BUILD_DIR]
#   NATIVE_BUILD_DIR   an optimised native build (preset native-release) with the targets
#                      rk-samplegen and catalogue_bench
#   WINDOWS_BUILD_DIR  optional: a win32 or win64 build with the same targets
# Environment: BENCH_COUNTS (default "1000 10000"), BENCH_RUNS (default 5), BENCH_WINEPREFIX
# (default the project's prefix; a fresh one is made on first use), BENCH_WORK (the
# folder for the generated hosts, kept between runs; default /tmp/capsdub-catalogue-bench,
# a short path, since every path component costs a lookup; a host of the window benchmark,
# BENCH_WORK=/tmp/capsdub-window-bench, serves as well).
set -euo pipefail

top=$(cd "$(dirname "$0")/../.." && pwd)
native=$(cd "${1:?usage: $0 NATIVE_BUILD_DIR [WINDOWS_BUILD_DIR]}" && pwd)
windows=${2:+$(cd "$2" && pwd)}
counts=${BENCH_COUNTS:-1000 10000}
runs=${BENCH_RUNS:-5}
work=${BENCH_WORK:-${TMPDIR:-/tmp}/capsdub-catalogue-bench}

samplegen=$native/tools/samplegen/rk-samplegen
bench=$native/bench/catalogue/catalogue_bench
winbench=${windows:+$windows/bench/catalogue/catalogue_bench.exe}
for program in "$samplegen" "$bench" ${winbench:+"$winbench"}; do
  [ -x "$program" ] || { echo "missing $program (build it first)" >&2; exit 1; }
done
[ -x /usr/bin/time ] || { echo "needs /usr/bin/time (Debian package time)" >&2; exit 1; }

# Drive Z stands for / on both sides: Wine maps it so by default, natively the drive table
# does, so both loaders read the very same files through the same Windows path.
windows_path() { printf 'Z:%s\\' "${1//\//\\}"; }

now_ns() { date +%s%N; }

# Runs a command `runs` times; prints the best wall time in ms and the largest peak RSS in KB.
measure() {
  local best=0 peak=0 start end ms kb
  for ((i = 0; i < runs; i++)); do
    start=$(now_ns)
    kb=$( (/usr/bin/time -f '%M' "$@" 2>&1 >/dev/null || true) | tail -n 1)
    end=$(now_ns)
    ms=$(((end - start) / 1000))
    if ((best == 0 || ms < best)); then best=$ms; fi
    if ((kb > peak)); then peak=$kb; fi
  done
  printf '%d.%03d %d\n' $((best / 1000)) $((best % 1000)) "$peak"
}

baseline() {
  local host=$1
  find "$host" -maxdepth 1 -type f -iname '????-???.ss*' -printf '%s %T@\n' >/dev/null
  find "$host/RKDB" -type f -exec cat {} + >/dev/null
}
export -f baseline

# The phase times of a catalogue_bench line.
phases() { sed -E 's/.*media_ms=([0-9.]+) tape_ms=([0-9.]+) cabinet_ms=([0-9.]+) scan_ms=([0-9.]+).*/         phases (ms): media \1, tape database \2, cabinets \3, scan and sort \4/' <<<"$1"; }

ratio() { awk -v a="$1" -v b="$2" 'BEGIN { if (b > 0) printf "%.2f", a / b; else print "-" }'; }

mkdir -p "$work"
if [ -n "${windows:-}" ]; then
  # BENCH_WINEPREFIX: a prefix of its own keeps other programs' Wine work off the figures.
  : "${WINEPREFIX:=${BENCH_WINEPREFIX:-${CAPSDUB_WINEPREFIX:-$top/.wine}}}"
  export WINEPREFIX WINEDEBUG=-all
  if [ ! -f "$WINEPREFIX/system.reg" ]; then
    echo "creating Wine prefix $WINEPREFIX" >&2
    WINEARCH=win64 wineboot -i >/dev/null 2>&1 || true
    wineserver -w || true
  fi
  if [ -n "${BENCH_WINEPREFIX:-}" ]; then
    # A private prefix's server would start afresh with every program: keep it running for
    # the benchmark, and stop it at the end.
    wineserver -p 2>/dev/null || true
    trap 'wineserver -k 2>/dev/null || true' EXIT
  fi
  # Wine's start-up, measured on a host without capsules, so it can be told apart from the
  # load.
  empty="$work/empty/Reel Keeper"
  rm -rf "$work/empty"
  "$samplegen" --drive Z=/ --out "$(windows_path "$empty")" --media Z --capsules 0 >/dev/null
  read -r wine_start _ < <(measure wine "$winbench" --host "$(windows_path "$empty")" --repeat 1)
  echo "Wine start-up (empty host, whole process): ${wine_start} ms"
fi

printf '\n%-8s %-7s %10s %10s %10s %9s %9s %9s %7s\n' capsules side load_ms process_ms \
  baseline_ms time_x peak_kb base_kb mem_x
declare -A load_of peak_of
for count in $counts; do
  host="$work/host-$count/Reel Keeper"
  # A host of the window benchmark (its marker capsules.txt) is the same host.
  if [ ! -f "$host/RKDB/RKDBTape.SVD" ] ||
    { [ "$(cat "$work/host-$count/.count" 2>/dev/null)" != "$count" ] &&
      [ "$(cat "$host/capsules.txt" 2>/dev/null)" != "$count" ]; }; then
    rm -rf "$work/host-$count"
    "$samplegen" --drive Z=/ --out "$(windows_path "$host")" --media Z --tiny --seed 1 \
      --capsules "$count" >/dev/null
    echo "$count" >"$work/host-$count/.count"
    printf '%s' "$count" >"$host/capsules.txt"
  fi
  # Warm the page cache and the directory caches for every side alike.
  baseline "$host"
  read -r base_ms base_kb < <(measure bash -c 'baseline "$1"' _ "$host")

  line=$("$bench" --host "$(windows_path "$host")" --drive Z=/ --repeat "$runs" --phases 1)
  load_ms=$(sed -E 's/.*best_ms=([0-9.]+).*/\1/' <<<"$line")
  rows=$(sed -E 's/.*rows=([0-9]+).*/\1/' <<<"$line")
  read -r proc_ms peak_kb < <(measure "$bench" --host "$(windows_path "$host")" --drive Z=/ \
    --repeat 1)
  printf '%-8s %-7s %10s %10s %10s %9s %9s %9s %7s   (%s rows)\n' "$count" native "$load_ms" \
    "$proc_ms" "$base_ms" "$(ratio "$proc_ms" "$base_ms")" "$peak_kb" "$base_kb" \
    "$(ratio "$peak_kb" "$base_kb")" "$rows"
  phases "$line"
  load_of[$count]=$load_ms
  peak_of[$count]=$peak_kb
  goal_x=$(awk -v p="$proc_ms" -v b="$base_ms" 'BEGIN { print (p <= b ? "met" : "NOT met") }')
  echo "         goal: the native load process at most 1.0 times find + cat: $goal_x"

  if [ -n "${windows:-}" ]; then
    wline=$(wine "$winbench" --host "$(windows_path "$host")" --repeat "$runs" --phases 1 |
      tr -d '\r')
    wload_ms=$(sed -E 's/.*best_ms=([0-9.]+).*/\1/' <<<"$wline")
    wpeak_kb=$(sed -E 's/.*peak_kb=([0-9]+).*/\1/' <<<"$wline")
    wrows=$(sed -E 's/.*rows=([0-9]+).*/\1/' <<<"$wline")
    read -r wproc_ms _ < <(measure wine "$winbench" --host "$(windows_path "$host")" --repeat 1)
    # Under Wine the peak is the Windows process's own peak working set.
    printf '%-8s %-7s %10s %10s %10s %9s %9s %9s %7s   (%s rows)\n' "$count" wine "$wload_ms" \
      "$wproc_ms" "$base_ms" "$(ratio "$wproc_ms" "$base_ms")" "$wpeak_kb" "$base_kb" \
      "$(ratio "$wpeak_kb" "$base_kb")" "$wrows"
    phases "$wline"
  fi
done
# The largest host against the next smaller one: time and memory per capsule.
set -- $counts
if [ $# -ge 2 ]; then
  large=${!#}
  small=${*: -2:1}
  echo
  awk -v s="$small" -v l="$large" -v ts="${load_of[$small]}" -v tl="${load_of[$large]}" \
    -v ms="${peak_of[$small]}" -v ml="${peak_of[$large]}" 'BEGIN {
      printf "native load, %d against %d capsules: %.2f times the time (goal < 10: %s), %.1f against %.1f microseconds a capsule\n",
        l, s, tl / ts, (tl / ts < 10 ? "met" : "NOT met"), 1000 * tl / l, 1000 * ts / s
      printf "peak memory: %.2f times, %.2f KB a capsule at %d, %.2f at %d; growth %.2f KB a capsule\n",
        ml / ms, ml / l, l, ms / s, s, (ml - ms) / (l - s) }'
fi

cat <<'EOF'

load_ms: best in-process time of the whole load (readers, scan, sort) over BENCH_RUNS loads in
one process; process_ms: best wall time of a whole benchmark process with one load;
baseline_ms: best wall time of find + cat over the same files; time_x = process_ms /
baseline_ms; peak_kb: peak resident memory (under Wine the process's peak working set);
mem_x = peak_kb / base_kb. Phases come from one more load, reader by reader.
EOF
