#!/usr/bin/env bash
# Builds the three presets (Linux with sanitizers, Windows i686 and x86_64) and runs every
# test: natively, and the Windows builds under Wine. Exits nonzero when any test fails.
set -uo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
cd "$top"
export WINEDEBUG=-all WINEPREFIX="${CAPSDUB_WINEPREFIX:-$top/.wine}"
# Wine needs a UTF-8 locale for Japanese file names; C.UTF-8 is on every Debian machine.
case "${LC_ALL:-${LC_CTYPE:-${LANG:-}}}" in
  *UTF-8* | *utf8* | *UTF8* | *utf-8*) ;;
  *) export LC_ALL=C.UTF-8 ;;
esac
# The Windows tests always get the virtual display that cmake/wine-run starts, whatever display
# (or broken one) the caller's session names.
unset DISPLAY
# A test that hangs fails after this many seconds instead of holding up the run.
per_test_timeout=${CAPSDUB_TEST_TIMEOUT:-600}
presets=(native win32 win64)
status=0
for preset in "${presets[@]}"; do
  echo "== build $preset ==" >&2
  cmake --preset "$preset" >/dev/null || { status=1; continue; }
  cmake --build --preset "$preset" -j2 || status=1
done
summary=()
for preset in "${presets[@]}"; do
  if [ "$preset" = win32 ] && ! /usr/lib/wine/wine --version >/dev/null 2>&1; then
    # Built above, so it keeps compiling; its programs cannot start on this kernel.
    echo "== test $preset: not run, this machine cannot execute 32-bit programs ==" >&2
    summary+=("$preset: built; tests not run (no 32-bit program support on this machine)")
    continue
  fi
  echo "== test $preset ==" >&2
  # A fresh Wine server, so that its desktop gets the display that cmake/wine-run provides.
  [ "$preset" = native ] || wineserver -k 2>/dev/null || true
  log=$(mktemp)
  timeout -k 30 2400 ctest --preset "$preset" -j2 --timeout "$per_test_timeout" 2>&1 | tee "$log"
  [ "${PIPESTATUS[0]}" -eq 0 ] || status=1
  summary+=("$preset: $(grep -E 'tests passed|tests failed' "$log" | tail -n 1)")
  rm -f "$log"
done
wineserver -k 2>/dev/null || true
pkill -f "Xvfb :${CAPSDUB_XVFB_DISPLAY:-97} " 2>/dev/null || true
echo "== summary ==" >&2
printf '%s\n' "${summary[@]}"
exit $status
