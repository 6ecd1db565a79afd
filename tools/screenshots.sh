#!/usr/bin/env bash
# Starts CapsDub.exe (x86_64) under Wine on a virtual display with generated sample data and
# saves screenshots into docs/: the main window after the load, with a Shift-click range
# selected, at the end of a command-line batch dub, and during a dub of large capsules started
# with ダビング (the progress bar half way), and the About box (docs/about.png). The pictures
# show the whole window as a Windows user sees it, title bar and frame included. Needs
# tools/setup.sh first.
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
cmake --build --preset win64 -j2 --target CapsDub rk-samplegen about-preview >/dev/null
bin=build/win64
run() { DISPLAY= "$top/cmake/wine-run" "$@"; }
# A fresh Wine session whose own services write into their log, not into our programs' output.
wine_log=$top/build/wine-session.log
rm -f "$wine_log"
session() {
  wineserver -k 2>/dev/null || true
  DISPLAY= "$top/cmake/wine-run" --session "$wine_log"
}
work=$top/sample/gui
rm -rf "$work"
mkdir -p "$work/D" "$work/E/Video" docs
# The program's default host folder is D:\Reel Keeper\: drive D names the sample data while
# the screenshots are taken, and drive E the save folder (E:\Video\, as a user would have it,
# rather than a path into this checkout).
saved_d=$(readlink "$WINEPREFIX/dosdevices/d:" 2>/dev/null || true)
saved_e=$(readlink "$WINEPREFIX/dosdevices/e:" 2>/dev/null || true)
ln -sfn "$work/D" "$WINEPREFIX/dosdevices/d:"
ln -sfn "$work/E" "$WINEPREFIX/dosdevices/e:"
# The window starts from its design-time settings (no save folder typed before), whatever an
# earlier run or the user left in CapsDub.INI; that file comes back at the end.
ini="$WINEPREFIX/drive_c/windows/CapsDub.INI"
ini_saved=$(mktemp)
have_ini=false
[ -f "$ini" ] && cp "$ini" "$ini_saved" && have_ini=true
rm -f "$ini"
big=$top/sample/gui-dub
restore() {
  wineserver -k 2>/dev/null || true
  rm -f "$WINEPREFIX/dosdevices/d:" "$WINEPREFIX/dosdevices/e:"
  [ -z "$saved_d" ] || ln -s "$saved_d" "$WINEPREFIX/dosdevices/d:"
  [ -z "$saved_e" ] || ln -s "$saved_e" "$WINEPREFIX/dosdevices/e:"
  rm -f "$ini"
  if $have_ini; then cp "$ini_saved" "$ini"; fi
  rm -f "$ini_saved"
  rm -rf "$big"
  run reg delete 'HKCU\Software\Wine\X11 Driver' /v Decorated /f >/dev/null 2>&1 || true
  if grep -qE "Unhandled|starting debugger" "$wine_log" 2>/dev/null; then
    echo "screenshots: Wine's own services reported a crash (see $wine_log): that is Wine's" \
      "driver host, not CapsDub" >&2
  fi
}
trap restore EXIT
session
run "$bin/tools/samplegen/rk-samplegen.exe" --out 'D:\Reel Keeper\' --seed 1 --capsules 40 \
  --small --standin >/dev/null
# Fonts for Japanese text.
run reg add 'HKCU\Software\Wine\Fonts\Replacements' /v 'ＭＳ Ｐゴシック' /t REG_SZ /d IPAPGothic /f >/dev/null
run reg add 'HKCU\Software\Wine\Fonts\Replacements' /v 'Tahoma' /t REG_SZ /d IPAPGothic /f >/dev/null
# Without a window manager nothing draws window frames unless Wine's X11 driver draws them
# itself: "Decorated"="N" for the time of the screenshots.
run reg add 'HKCU\Software\Wine\X11 Driver' /v Decorated /t REG_SZ /d N /f >/dev/null
wineserver -k 2>/dev/null || true
export DISPLAY=:$CAPSDUB_XVFB_DISPLAY
# The main window's outer rectangle, frame included: 661 x 503 at (212, 107).
shot() { import -window root -crop 661x503+212+107 +repage "$1"; }

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
session
wait || true

# The batch: the three newest capsules into the save folder; the window closes after 5 s.
run "$bin/app/gui/CapsDub.exe" 'E:\Video\' /c:3 &
sleep 4
shot docs/batch-dub.png
wait || true
ls "$work/E/Video"

# A dub in progress: five large capsules (about 470 MB) on drive D, all selected, the save
# folder typed, ダビング clicked; the screen is grabbed until the progress bar stands between
# a sixth and seven eighths of its length (blue at x 120, still white at x 600 of the shot).
rm -rf "$big"
mkdir -p "$big/D" "$big/E/Video"
ln -sfn "$big/D" "$WINEPREFIX/dosdevices/d:"
ln -sfn "$big/E" "$WINEPREFIX/dosdevices/e:"
session
run "$bin/tools/samplegen/rk-samplegen.exe" --out 'D:\Reel Keeper\' --seed 3 --capsules 5 \
  --large --plain >/dev/null
rm -f "$ini"
run "$bin/app/gui/CapsDub.exe" &
sleep 6
xdotool mousemove 400 237 click 1
sleep 0.5
xdotool keydown shift mousemove 400 293 click 1 keyup shift
sleep 0.5
xdotool mousemove 480 180 click 1
sleep 0.3
xdotool type --delay 20 'E:\Video\'
sleep 0.5
bar() { convert "$1" -format "%[pixel:p{$2,468}]" info:; }
blue='srgb(48,150,250)'
frame=$(mktemp --suffix=.png)
xdotool mousemove 240 550 click 1
taken=false
for _ in $(seq 60); do
  shot "$frame"
  if [ "$(bar "$frame" 108)" = "$blue" ] && [ "$(bar "$frame" 588)" != "$blue" ]; then
    cp "$frame" docs/dubbing.png
    taken=true
    break
  fi
  sleep 0.05
done
rm -f "$frame"
$taken || echo "screenshots: the dub ended before a half-way frame; docs/dubbing.png kept" >&2
xdotool key alt+F4 >/dev/null 2>&1 || true
sleep 1
wineserver -k 2>/dev/null || true
wait || true
CAPSDUB_XVFB_DISPLAY=$CAPSDUB_XVFB_DISPLAY DISPLAY= bash tools/screenshots-about.sh win64 docs/about.png
echo "screenshots: docs/main-window.png docs/main-window-selection.png docs/batch-dub.png" \
  "docs/dubbing.png docs/about.png" >&2
