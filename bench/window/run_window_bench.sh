#!/usr/bin/env bash
# Benchmark of CapsDub's main window under Wine: generates hosts of 100 and 10,000 capsules
# (tiny segment files, once), then for each runs window_bench, which times in-process the start
# to the first painted grid, single inputs (a click, the page keys, an arrow, Home, End,
# Escape), selections over every row, title clicks, the grid's reload and 表示更新 against
# baselines measured in the same process; compares the single inputs of the largest host with
# those of the smallest, so that anything one input costs per row shows as a ratio; then
# compares the process's memory after a load with and without the window, to show that the
# window's share does not grow with rows.
#
# usage: bench/window/run_window_bench.sh [WINDOWS_BUILD_DIR]
#   WINDOWS_BUILD_DIR  a win64 (or win32, where 32-bit programs run) build with the target
#                      window_bench; default build/win64
# Environment: BENCH_COUNTS (default "100 10000"; BENCH_COUNTS=100000 for the largest host),
# BENCH_RUNS (repetitions of each step in a process, default 3), BENCH_LOAD_RUNS (repetitions
# of each whole load: bare loads and 表示更新; default BENCH_RUNS), BENCH_MEMORY_RUNS (processes
# per memory figure, default 1), BENCH_WORK (the folder of the generated hosts, kept between
# runs; default /tmp/capsdub-window-bench), BENCH_SAMPLEGEN (a native rk-samplegen, which
# writes a host much faster than the Windows program under Wine; default the one of
# build/native-release when it is there), CAPSDUB_XVFB_DISPLAY (the virtual display
# cmake/wine-run starts; default 97), WINEPREFIX (default the project's prefix).
set -euo pipefail

top=$(cd "$(dirname "$0")/../.." && pwd)
build=$(cd "${1:-$top/build/win64}" && pwd)
counts=${BENCH_COUNTS:-100 10000}
runs=${BENCH_RUNS:-3}
load_runs=${BENCH_LOAD_RUNS:-$runs}
memory_runs=${BENCH_MEMORY_RUNS:-1}
work=${BENCH_WORK:-${TMPDIR:-/tmp}/capsdub-window-bench}
samplegen=${BENCH_SAMPLEGEN:-$top/build/native-release/tools/samplegen/rk-samplegen}
bench=$build/bench/window/window_bench.exe
[ -f "$bench" ] || { echo "missing $bench (build the target window_bench first)" >&2; exit 1; }
began=$(date +%s)

# cmake/wine-run picks the loader that runs the program on this machine (the 64-bit one where
# 32-bit programs cannot run), starts the virtual display and sets a UTF-8 locale.
export WINEDEBUG=-all
unset DISPLAY
run() { "$top/cmake/wine-run" "$bench" "$@" | tr -d '\r'; }

# Wine maps drive Z to /, so the generated host is reachable from the program as Z:\...
windows_path() { printf 'Z:%s\\' "${1//\//\\}"; }

median() { sort -g | awk '{ a[NR] = $1 } END { print (NR % 2) ? a[(NR + 1) / 2] : (a[NR / 2] + a[NR / 2 + 1]) / 2 }'; }
field() { sed -E "s/.*$1=([0-9]+).*/\\1/" <<<"$2"; }

# The fonts the window asks for, as tools/screenshots.sh maps them: without them every
# Japanese text goes through Wine's font fallback, which is not what a user's system does.
for font in 'ＭＳ Ｐゴシック' Tahoma; do
  "$top/cmake/wine-run" reg add 'HKCU\Software\Wine\Fonts\Replacements' /v "$font" /t REG_SZ \
    /d IPAPGothic /f >/dev/null
done

mkdir -p "$work"
declare -A private working
declare -A input_ms  # "count name" -> ms of a single input
for count in $counts; do
  host="$work/host-$count/Reel Keeper"
  mkdir -p "$host"
  generate=()
  if [ ! -f "$host/capsules.txt" ]; then
    echo "generating $count capsules in $host" >&2
    rm -rf "${host:?}"/*
    if [ -x "$samplegen" ]; then
      # The same host window_bench --generate writes: seed 1, tiny segments, medium Z.
      "$samplegen" --drive Z=/ --out "$(windows_path "$host")" --media Z --tiny --seed 1 \
        --capsules "$count" >/dev/null
      printf '%s' "$count" >"$host/capsules.txt"
      echo "$count" >"$work/host-$count/.count"  # the catalogue benchmark's marker
    else
      generate=(--generate "$count")
    fi
  fi
  echo
  echo "== $count capsules: in-process timings (BENCH_RUNS=$runs, BENCH_LOAD_RUNS=$load_runs) =="
  output=$(run --host "$(windows_path "$host")" "${generate[@]}" --repeat "$runs" \
    --load-repeat "$load_runs")
  grep -v '^#input ' <<<"$output"
  while read -r _ name ms; do
    input_ms["$count $name"]=$ms
  done < <(grep '^#input ' <<<"$output")

  for mode in bare window; do
    p=() w=()
    for ((i = 0; i < memory_runs; i++)); do
      line=$(run --host "$(windows_path "$host")" --memory "$mode")
      p+=("$(field private_kb "$line")")
      w+=("$(field working_set_kb "$line")")
    done
    private[$mode-$count]=$(printf '%s\n' "${p[@]}" | median)
    working[$mode-$count]=$(printf '%s\n' "${w[@]}" | median)
  done
done

set -- $counts
if [ $# -ge 2 ]; then
  small=$1 large=${!#}
  echo
  echo "== single inputs: $large rows against $small rows (goal: at most 1.5 times) =="
  printf '| %-12s | %12s | %12s | %6s | %s\n' input "$small rows" "$large rows" ratio goal
  printf '|%s|%s|%s|%s|%s\n' -------------- -------------- -------------- -------- ------
  for name in plain_click page_down page_up down_arrow home end escape; do
    a=${input_ms["$small $name"]:-0} b=${input_ms["$large $name"]:-0}
    awk -v n="$name" -v a="$a" -v b="$b" 'BEGIN {
      r = (a > 0 ? b / a : 0)
      printf "| %-12s | %9.2f ms | %9.2f ms | %6.2f | %s\n", n, a, b, r, (r <= 1.5 ? "met" : "NOT met") }'
  done
fi

echo
echo "== memory after the load, median of $memory_runs processes each (K bytes) =="
printf '| %-8s | %-13s | %12s | %12s | %12s |\n' capsules counter "bare load" "window" \
  "window extra"
printf '|%s|%s|%s|%s|%s|\n' ---------- --------------- -------------- -------------- \
  --------------
for count in $counts; do
  for counter in private working; do
    declare -n values=$counter
    bare=${values[bare-$count]} win=${values[window-$count]}
    printf '| %-8s | %-13s | %12d | %12d | %12d |\n' "$count" \
      "$([ $counter = private ] && echo 'private bytes' || echo 'working set')" "$bare" "$win" \
      $((win - bare))
    unset -n values
  done
done
if [ $# -ge 2 ]; then
  for counter in private working; do
    declare -n values=$counter
    extra_small=$((values[window-$small] - values[bare-$small]))
    extra_large=$((values[window-$large] - values[bare-$large]))
    bare_growth=$((values[bare-$large] - values[bare-$small]))
    awk -v c="$counter" -v s="$small" -v l="$large" -v es="$extra_small" -v el="$extra_large" \
      -v bg="$bare_growth" 'BEGIN {
        printf "%s: window extra %d KB at %d rows, %d KB at %d rows: ratio %.2f; its growth %+d KB is %.1f%% of the catalogue'"'"'s own growth (%d KB)\n",
          (c == "private" ? "private bytes" : "working set"), es, s, el, l, (es != 0 ? el / es : 0),
          el - es, (bg != 0 ? 100 * (el - es) / bg : 0), bg }'
    unset -n values
  done
fi
echo
echo "whole run: $(($(date +%s) - began)) s"
