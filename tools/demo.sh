#!/usr/bin/env bash
# Sets everything up, builds CapsDub for Linux, writes a sample Reel Keeper data folder
# (two media, D and E, under sample/) and runs the main job on it.
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
echo "== The catalogue of the sample data ==" >&2
"$bin/app/cli/capsdub-cli" list --host 'D:\Reel Keeper\' "${drives[@]}"
