#!/usr/bin/env bash
# Takes a fresh Debian 12 machine to a state where CapsDub builds and its tests run:
# compilers, cmake, mingw-w64, Wine (32- and 64-bit), Xvfb, a Japanese font, GoogleTest,
# and one Wine prefix for the project. Quick when run again.
#   tools/setup.sh [--no-prefix]   --no-prefix: the packages only (what tools/release.sh needs)
set -euo pipefail
make_prefix=true
case "${1:-}" in
  "") ;;
  --no-prefix) make_prefix=false ;;
  *) echo "usage: tools/setup.sh [--no-prefix]" >&2; exit 2 ;;
esac

top=$(cd "$(dirname "$0")/.." && pwd)
: "${CAPSDUB_WINEPREFIX:=$top/.wine}"
export WINEPREFIX="$CAPSDUB_WINEPREFIX" WINEDEBUG=-all

sudo_cmd=()
[ "$(id -u)" -eq 0 ] || sudo_cmd=(sudo)

# fonts-wine: Wine's own fonts, among them Marlett, which draws the buttons of window frames.
packages=(cmake g++ make ninja-build clang-format mingw-w64 wine wine64 wine32:i386
          xvfb xauth fonts-ipafont fonts-wine googletest libgtest-dev imagemagick xdotool)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done

if [ ${#missing[@]} -gt 0 ]; then
  echo "setup: installing ${missing[*]}" >&2
  if ! dpkg --print-foreign-architectures | grep -qx i386; then
    "${sudo_cmd[@]}" dpkg --add-architecture i386
  fi
  export DEBIAN_FRONTEND=noninteractive
  "${sudo_cmd[@]}" apt-get update -qq
  "${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi

$make_prefix || exit 0

# One Wine prefix for the project, made after both Wine architectures are present so that
# 32-bit programs run in it. A prefix made once is reused. Some machines (a kernel without
# 32-bit support) run only 64-bit programs: the prefix is then made by the 64-bit loader, and
# remade once 32-bit programs can run.
if /usr/lib/wine/wine --version >/dev/null 2>&1; then
  loader=wine
  marker="$WINEPREFIX/.capsdub-32bit"
else
  loader=/usr/lib/wine/wine64
  marker="$WINEPREFIX/.capsdub-64bit-only"
  echo "setup: this machine cannot execute 32-bit programs; the i686 build's tests will not run" >&2
fi
if [ ! -f "$WINEPREFIX/system.reg" ] || [ ! -d "$WINEPREFIX/drive_c/windows/syswow64" ] ||
   [ ! -f "$marker" ]; then
  echo "setup: creating Wine prefix $WINEPREFIX" >&2
  rm -rf "$WINEPREFIX"
  WINEARCH=win64 "$loader" wineboot -i >/dev/null 2>&1 || true
  wineserver -w || true
  [ -f "$WINEPREFIX/system.reg" ] && touch "$marker"
fi
[ -f "$WINEPREFIX/system.reg" ] || { echo "setup: could not create Wine prefix" >&2; exit 1; }
# Wine draws the buttons of window frames with the Marlett font of fonts-wine, which this Wine
# does not load from the package's folder by itself: the prefix gets a copy.
marlett=/usr/share/wine/fonts/marlett.ttf
if [ -f "$marlett" ] && [ ! -f "$WINEPREFIX/drive_c/windows/Fonts/marlett.ttf" ]; then
  mkdir -p "$WINEPREFIX/drive_c/windows/Fonts"
  cp "$marlett" "$WINEPREFIX/drive_c/windows/Fonts/"
fi
echo "setup: ready (Wine prefix $WINEPREFIX)" >&2
