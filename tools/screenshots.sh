#!/usr/bin/env bash
# Starts CapsDub.exe (x86_64) under Wine on a virtual display with generated sample data and
# saves screenshots into docs/: the main window after the load, with a Shift-click range
# selected, and at the end of a command-line batch dub. Needs tools/setup.sh first.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
cd "$top"
export WINEPREFIX="${CAPSDUB_WINEPREFIX:-$top/.wine}" WINEDEBUG=-all
export CAPSDUB_XVFB_DISPLAY=${CAPSDUB_XVFB_DISPLAY:-96}
command -v import >/dev/null && command -v xdotool >/dev/null || {
  echo "screenshots: needs ImageMagick's import and xdotool (apt-get install imagemagick xdotool)" >&2
  exit 1
}
cmake --preset win64 >/dev/null
cmake --build --preset win64 -j2 --target CapsDub rk-samplegen >/dev/null
bin=build/win64
run() { DISPLAY= "$top/cmake/wine-run" "$@"; }
work=$top/sample/gui
rm -rf "$work"
mkdir -p "$work/D" "$work/out" docs
# The program's default host folder is D:\Reel Keeper\: drive D names the sample data while
# the screenshots are taken.
saved_d=$(readlink "$WINEPREFIX/dosdevices/d:" 2>/dev/null || true)
ln -sfn "$work/D" "$WINEPREFIX/dosdevices/d:"
restore() {
  rm -f "$WINEPREFIX/dosdevices/d:"
  [ -z "$saved_d" ] || ln -s "$saved_d" "$WINEPREFIX/dosdevices/d:"
  wineserver -k 2>/dev/null || true
}
trap restore EXIT
wineserver -k 2>/dev/null || true
run "$bin/tools/samplegen/rk-samplegen.exe" --out 'D:\Reel Keeper\' --seed 1 --capsules 40 \
  --small --standin >/dev/null
# Fonts for Japanese text.
run reg add 'HKCU\Software\Wine\Fonts\Replacements' /v 'ＭＳ Ｐゴシック' /t REG_SZ /d IPAPGothic /f >/dev/null
run reg add 'HKCU\Software\Wine\Fonts\Replacements' /v 'Tahoma' /t REG_SZ /d IPAPGothic /f >/dev/null
export DISPLAY=:$CAPSDUB_XVFB_DISPLAY
shot() { import -window root -crop 680x520+200+100 "$1"; }

run "$bin/app/gui/CapsDub.exe" &
sleep 6
shot docs/main-window.png
# Click the second row, Shift-click the sixth (rows are 14 pixels apart under the titles).
xdotool mousemove 400 251 click 1
sleep 1
xdotool keydown shift mousemove 400 307 click 1 keyup shift
sleep 2
shot docs/main-window-selection.png
xdotool key alt+F4 >/dev/null 2>&1 || true
wineserver -k 2>/dev/null || true
wait || true

# The batch: the three newest capsules into the save folder; the window closes after 5 s.
out=$(run winepath -w "$work/out" | tr -d '\r')
run "$bin/app/gui/CapsDub.exe" "$out" /c:3 &
sleep 4
shot docs/batch-dub.png
wait || true
ls "$work/out"
echo "screenshots: docs/main-window.png docs/main-window-selection.png docs/batch-dub.png" >&2
