#!/usr/bin/env bash
# Sets everything up, builds CapsDub for Linux, writes a sample Reel Keeper data folder
# (two media, D and E, under sample/), lists its catalogue and dubs its three newest capsules
# into sample/out (the main job).
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
cd "$top"
bash tools/setup.sh
cmake --preset native-release >/dev/null
cmake --build --preset native-release -j2 --target capsdub-cli rk-samplegen
bin=build/native-release
rm -rf sample
mkdir -p sample/D sample/E
drives=(--drive D=sample/D --drive E=sample/E)
"$bin/tools/samplegen/rk-samplegen" "${drives[@]}" --out 'D:\Reel Keeper\' --media DE \
  --seed 1 --capsules 12 --small
cli="$bin/app/cli/capsdub-cli"
echo "== The catalogue of the sample data ==" >&2
"$cli" list --host 'D:\Reel Keeper\' "${drives[@]}"
mapfile -t newest < <("$cli" list --host 'D:\Reel Keeper\' "${drives[@]}" --tsv 2>/dev/null |
                      awk -F '\t' 'NR > 1 && NR <= 4 { print $1 }')
echo "== Dubbing capsules ${newest[*]} into sample/out ==" >&2
mkdir -p sample/out
"$cli" dub --host 'D:\Reel Keeper\' "${drives[@]}" --to sample/out --renumber "${newest[@]}"
ls -l sample/out

# The Windows program itself under Wine: the window on the same kind of sample data, then
# CapsDub.exe started with arguments dubs the three newest capsules and closes by itself.
echo "== CapsDub.exe under Wine: the window, then its command-line batch ==" >&2
bash tools/screenshots.sh
