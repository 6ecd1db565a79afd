#!/usr/bin/env bash
# Benchmark of the catalogue load. For each host size of BENCH_COUNTS and a host a tenth of that
# size, it generates a host of tiny segment files (once) and times the load natively and, when a
# Windows build is given, under Wine, against a baseline over the same files in the same run:
# `find` listing the index segments with their sizes and times, and `cat` of every database and
# extension file. Then it compares each host with the one a tenth its size: the load's time,
# its memory a capsule and the time of a row look-up. It ends with the goals, each as a ratio.
#
# usage: bench/catalogue/run_catalogue_bench.sh NATIVE_BUILD_DIR [WINDOWS_BUILD_DIR]
#   NATIVE_BUILD_DIR   an optimised native build (preset native-release) with the targets
#                      rk-samplegen and catalogue_bench
#   WINDOWS_BUILD_DIR  optional: a win32 or win64 build with the target catalogue_bench
# Environment: BENCH_COUNTS (default 10000; BENCH_COUNTS=100000 for the largest host, which
# brings the 10,000 one along), BENCH_RUNS (loads per figure, the best counts; default 3),
# BENCH_WINEPREFIX (default the project's prefix; a fresh one is made on first use),
# BENCH_WORK (the folder of the generated hosts, kept between runs and shared with
# bench/window/run_window_bench.sh; default /tmp/capsdub-bench, a short path, since every path
# component costs a lookup).
set -euo pipefail

top=$(cd "$(dirname "$0")/../.." && pwd)
native=$(cd "${1:?usage: $0 NATIVE_BUILD_DIR [WINDOWS_BUILD_DIR]}" && pwd)
windows=${2:+$(cd "$2" && pwd)}
runs=${BENCH_RUNS:-3}
work=${BENCH_WORK:-${TMPDIR:-/tmp}/capsdub-bench}
began=$(date +%s)

# Every size of BENCH_COUNTS with the size a tenth of it, each once, smallest first.
counts=$(for count in ${BENCH_COUNTS:-10000}; do
  echo "$count"
  if ((count >= 10)); then echo $((count / 10)); fi
done | sort -n -u | tr '\n' ' ')

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
  local best=0 peak=0 start end us kb
  for ((i = 0; i < runs; i++)); do
    start=$(now_ns)
    kb=$( (/usr/bin/time -f '%M' "$@" 2>&1 >/dev/null || true) | tail -n 1)
    end=$(now_ns)
    us=$(((end - start) / 1000))
    if ((best == 0 || us < best)); then best=$us; fi
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

# A value of a catalogue_bench line.
value() { sed -E "s/.* $1=([0-9.]+).*/\\1/" <<<" $2"; }

# The phase times of a catalogue_bench line.
phases() { sed -E 's/.*media_ms=([0-9.]+) tape_ms=([0-9.]+) cabinet_ms=([0-9.]+) scan_ms=([0-9.]+).*/         phases (ms): media \1, tape database \2, cabinets \3, scan and sort \4/' <<<"$1"; }

ratio() { awk -v a="$1" -v b="$2" 'BEGIN { if (b > 0) printf "%.2f", a / b; else print "-" }'; }

# One line of the goals table: goal, host, ratio, limit; met when ratio <= limit (< with "<").
goals=()
goal() {
  goals+=("$(awk -v g="$1" -v h="$2" -v r="$3" -v l="$4" 'BEGIN {
    strict = substr(l, 1, 1) == "<"; n = strict ? substr(l, 2) + 0 : l + 0
    ok = strict ? r < n : r <= n
    printf "| %-62s | %8s | %7.2f | %6s | %-7s |", g, h, r, (strict ? "< " n : "<= " n), (ok ? "met" : "NOT met") }')")
}

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
declare -A load_of base_of kb_of find_of index_of
for count in $counts; do
  host="$work/host-$count/Reel Keeper"
  # The host markers: .count beside the host, capsules.txt in it (written by window_bench
  # --generate too); either tells a complete host of this size.
  if [ ! -f "$host/RKDB/RKDBTape.SVD" ] ||
    { [ "$(cat "$work/host-$count/.count" 2>/dev/null)" != "$count" ] &&
      [ "$(cat "$host/capsules.txt" 2>/dev/null)" != "$count" ]; }; then
    echo "generating $count capsules in $host" >&2
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
  load_ms=$(value best_ms "$line")
  rows=$(value rows "$line")
  read -r proc_ms peak_kb < <(measure "$bench" --host "$(windows_path "$host")" --drive Z=/ \
    --repeat 1)
  printf '%-8s %-7s %10s %10s %10s %9s %9s %9s %7s   (%s rows)\n' "$count" native "$load_ms" \
    "$proc_ms" "$base_ms" "$(ratio "$proc_ms" "$base_ms")" "$peak_kb" "$base_kb" \
    "$(ratio "$peak_kb" "$base_kb")" "$rows"
  phases "$line"
  echo "         row look-up: by identity $(value find_ns "$line") ns, display position $(value index_ns "$line") ns"
  load_of[$count]=$load_ms
  base_of[$count]=$base_ms
  # The catalogue's own memory: the peak of a process with one load less the program's own
  # before its first load. (Repeated loads in one process leave the allocator's heap larger
  # than any one load needs, by an amount that says nothing about the catalogue.)
  kb_of[$count]=$((peak_kb - $(value base_kb "$line")))
  find_of[$count]=$(value find_ns "$line")
  index_of[$count]=$(value index_ns "$line")
  goal "native load process against find + cat" "$count" "$(ratio "$proc_ms" "$base_ms")" 1.0

  if [ -n "${windows:-}" ]; then
    wline=$(wine "$winbench" --host "$(windows_path "$host")" --repeat "$runs" --phases 1 |
      tr -d '\r')
    read -r wproc_ms _ < <(measure wine "$winbench" --host "$(windows_path "$host")" --repeat 1)
    # Under Wine the peak is the Windows process's own peak working set.
    printf '%-8s %-7s %10s %10s %10s %9s %9s %9s %7s   (%s rows)\n' "$count" wine \
      "$(value best_ms "$wline")" "$wproc_ms" "$base_ms" "$(ratio "$wproc_ms" "$base_ms")" \
      "$(value peak_kb "$wline")" "$base_kb" "$(ratio "$(value peak_kb "$wline")" "$base_kb")" \
      "$(value rows "$wline")"
    phases "$wline"
  fi
done

# Each host against the one a tenth its size: linear work takes 10 times the time and the same
# memory a capsule, constant-time look-ups the same time.
echo
for large in $counts; do
  small=$((large / 10))
  [ -n "${load_of[$small]:-}" ] || continue
  time_x=$(ratio "${load_of[$large]}" "${load_of[$small]}")
  memory_x=$(awk -v ml="${kb_of[$large]}" -v ms="${kb_of[$small]}" -v l="$large" -v s="$small" \
    'BEGIN { printf "%.2f", (ms > 0 ? (ml / l) / (ms / s) : 0) }')
  find_x=$(ratio "${find_of[$large]}" "${find_of[$small]}")
  index_x=$(ratio "${index_of[$large]}" "${index_of[$small]}")
  # find + cat over the same files shows how the file system itself grows with the files.
  awk -v l="$large" -v s="$small" -v t="$time_x" -v ml="${kb_of[$large]}" \
    -v ms="${kb_of[$small]}" -v m="$memory_x" -v f="$find_x" -v x="$index_x" \
    -v b="$(ratio "${base_of[$large]}" "${base_of[$small]}")" 'BEGIN {
      printf "%d against %d capsules: load %.2f times the time (find + cat %.2f times); catalogue memory %d KB against %d KB, %.2f times a capsule; look-ups %.2f (identity) and %.2f (position) times the time\n",
        l, s, t, b, ml, ms, m, f, x }'
  if ((large >= 100000)); then goal "native load against the host a tenth its size" "$large" "$time_x" "<10"; fi
  goal "catalogue memory a capsule against the host a tenth its size" "$large" "$memory_x" 1.1
  # A scan of the table would take 10 times as long; what is left is the caches' share.
  goal "row look-up by identity against the host a tenth its size" "$large" "$find_x" 2
  goal "display position of a row against the host a tenth its size" "$large" "$index_x" 2
done

cat <<'EOF'

load_ms: best in-process time of the whole load (readers, scan, sort) over BENCH_RUNS loads in
one process; process_ms: best wall time of a whole benchmark process with one load;
baseline_ms: best wall time of find + cat over the same files; time_x = process_ms /
baseline_ms; peak_kb: peak resident memory (under Wine the process's peak working set);
mem_x = peak_kb / base_kb. Phases come from one more load, reader by reader; the look-ups are
1,000 rows picked at random in the loaded catalogue, each looked up 20 times (as many rows
touched at every size, so the caches favour no size).
EOF
echo
echo "== goals (native) =="
printf '| %-62s | %8s | %7s | %6s | %-7s |\n' goal capsules ratio limit verdict
printf '|%s|%s|%s|%s|%s|\n' "$(printf -- '-%.0s' {1..64})" ---------- --------- -------- ---------
printf '%s\n' "${goals[@]}"
echo
echo "whole run: $(($(date +%s) - began)) s"
