#!/usr/bin/env bash
# Saves a screenshot of the About box under Wine on the virtual display:
#   tools/screenshots-about.sh [preset] [output.png]
# preset: a built Windows preset (default win64); output: default build/screenshots/about.png.
# Maps the Japanese window font to the IPA font in the project's Wine prefix first, and has
# Wine draw the window frames itself while the box is shown (there is no window manager).
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
preset=${1:-win64}
out=${2:-$top/build/screenshots/about.png}
preview=$top/build/$preset/tools/about-preview/about-preview.exe
[ -f "$preview" ] || { echo "screenshots-about: build the $preset preset first ($preview)" >&2; exit 1; }
command -v import >/dev/null || { echo "screenshots-about: ImageMagick's import is needed" >&2; exit 1; }
export WINEPREFIX="${CAPSDUB_WINEPREFIX:-$top/.wine}" WINEDEBUG=-all LC_ALL=C.UTF-8
display=${CAPSDUB_XVFB_DISPLAY:-97}
export CAPSDUB_XVFB_DISPLAY=$display
unset DISPLAY
run="$top/cmake/wine-run"

# A fresh server of this prefix, so that its desktop is the virtual display.
wineserver -k 2>/dev/null || true
for face in "ＭＳ Ｐゴシック" "ＭＳ ゴシック" "Tahoma"; do
  "$run" reg add 'HKCU\Software\Wine\Fonts\Replacements' /v "$face" /d IPAPGothic /f >/dev/null
done

"$run" reg add 'HKCU\Software\Wine\X11 Driver' /v Decorated /t REG_SZ /d N /f >/dev/null
wineserver -k 2>/dev/null || true
work=$(mktemp -d)
trap 'rm -rf "$work"; "$run" reg delete "HKCU\Software\Wine\X11 Driver" /v Decorated /f >/dev/null 2>&1 || true' EXIT
"$run" "$preview" 8 >"$work/rect" &
preview_pid=$!
# The first start after the font mapping builds the font cache; give the box time to paint.
sleep 6
DISPLAY=:$display import -window root "$work/screen.png"
wait "$preview_pid"
read -r x y w h <"$work/rect"
mkdir -p "$(dirname "$out")"
convert "$work/screen.png" -crop "${w}x${h}+${x}+${y}" +repage "$out"
echo "screenshots-about: saved $out (${w}x${h})" >&2
