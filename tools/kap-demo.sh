#!/usr/bin/env bash
# KAP.dll on sample data under Wine: builds the win32 preset's programs, writes a sample host
# with the stand-ins' channel table and reservations, lists it through kapctl, then deletes,
# renames and annotates capsules through KAP.dll and shows capsdub-cli's list before and after.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
cd "$top"
bash tools/setup.sh
cmake --preset win32 >/dev/null
cmake --build --preset win32 -j2 --target kap kapctl RKDB chdb capsdub-cli rk-samplegen
b=build/win32
demo=$top/sample/kap
rm -rf "$demo"
mkdir -p "$demo/bin" "$demo/data"
cp "$b/kap/KAP.dll" "$b/kap/kapctl/kapctl.exe" "$b/hostlibs/rkdb/RKDB.dll" \
   "$b/hostlibs/chdb/chdb.dll" "$b/app/cli/capsdub-cli.exe" "$b/tools/samplegen/rk-samplegen.exe" \
   "$demo/bin/"
run() { "$top/cmake/wine-run" "$@"; }
host="$(run winepath -w "$demo/data" | tr -d '\r')\\Reel Keeper\\"
# KAP.dll talks to Reel Keeper only when Reel Keeper's registry key names its installation
# folder; the demo's bin folder plays it (32-bit view, as the programs are i686) while it runs.
key='HKLM\Software\Orvan Corporation\Tessaly'
run reg add "$key" /v InstalledPath /t REG_SZ /d "$(run winepath -w "$demo/bin/" | tr -d '\r')" \
  /f /reg:32 > /dev/null
trap 'run reg delete "$key" /v InstalledPath /f /reg:32 > /dev/null 2>&1' EXIT
export CAPSDUB_STANDIN_DATA=$host
run "$demo/bin/rk-samplegen.exe" --out "$host" --media "${host:0:1}" --capsules 6 --small \
  --standin --seed 2
kapctl() { echo "\$ kapctl $*"; run "$demo/bin/kapctl.exe" "$@"; }
list() { echo "\$ capsdub-cli list"; run "$demo/bin/capsdub-cli.exe" list --host "$host"; }
kapctl channels
kapctl reservations
kapctl recorded
list
mapfile -t ids < <(run "$demo/bin/kapctl.exe" recorded | tr -d '\r' | grep -E '^[0-9]+'$'\t' | cut -f1)
kapctl delete "${ids[0]}"
kapctl rename "${ids[1]}" "新しい題名"
kapctl memo "${ids[1]}" "KAP.dll から書いたメモ"
list
