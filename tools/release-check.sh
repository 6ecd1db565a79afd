#!/usr/bin/env bash
# Checks the release zips in dist/ (tools/release.sh) as a user gets them.
#   tools/release-check.sh
# For each architecture: SHA256SUMS; the zip's contents (one folder with the four programs,
# stripped, of that architecture, needing no DLL but the system's and Reel Keeper's, and the
# three texts in Shift-JIS with CR LF; no stand-in of Reel Keeper's libraries) and its symbol
# zip (the same programs with their debug information). Then, in a fresh Wine prefix, the zip
# unpacked under C:\Program Files\カプスダブ 1\ and run from there on generated sample data:
# capsdub-cli list; CapsDub.exe with batch arguments, whose files must equal those of
# capsdub-cli batch on the same host; kapctl recorded through the zip's KAP.dll against the
# stand-ins (put beside it for this check only); a second start of CapsDub.exe, which must
# restore the first. Where 32-bit programs cannot run, the win32 zip's run is skipped (said
# so); its contents are still checked. Uses the developer builds (win32/win64 presets) for the
# sample generator and the window test, and the release build's stand-ins.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
cd "$top"
export WINEDEBUG=-all LC_ALL=C.UTF-8
export CAPSDUB_XVFB_DISPLAY=${CAPSDUB_XVFB_DISPLAY:-97}
unset DISPLAY
run="$top/cmake/wine-run"

failures=0
fail() {
  echo "release-check: FAILED: $*" >&2
  failures=$((failures + 1))
}
say() { echo "release-check: $*" >&2; }

[ -f dist/SHA256SUMS ] || { echo "release-check: no dist/SHA256SUMS; run tools/release.sh" >&2; exit 1; }
(cd dist && sha256sum --check --quiet SHA256SUMS) || fail "SHA256SUMS does not match the zips"

work=$(mktemp -d /tmp/capsdub-release-check.XXXXXX)
trap 'rm -rf "$work"' EXIT

can_run_32=true
/usr/lib/wine/wine --version >/dev/null 2>&1 || can_run_32=false

# The unpacked folder of a zip: exactly the seven files, and what they must be.
check_contents() { # zip arch folder(unpacked)
  local zip=$1 arch=$2 folder=$3 name
  name=$(basename "$folder")
  local expected actual
  expected=$(printf '%s\n' CapsDub.exe KAP.dll LICENSE.txt README.txt capsdub-cli.exe kapctl.exe \
             読んでください.txt | sort)
  actual=$(cmake -E tar tf "$zip" | sed -n "s|^$name/\(..*\)$|\1|p" | sort)
  [ "$actual" = "$expected" ] || fail "$zip holds other files than the seven:"$'\n'"$actual"
  [ -z "$(cmake -E tar tf "$zip" | grep -v "^$name/")" ] || fail "$zip has entries outside $name/"
  local format=pei-x86-64
  [ "$arch" = win32 ] && format=pei-i386
  local f
  for f in CapsDub.exe capsdub-cli.exe kapctl.exe KAP.dll; do
    objdump -f "$folder/$f" | grep -q "file format $format" || fail "$f is not $format"
    if objdump -h "$folder/$f" | grep -q '\.debug'; then fail "$f is not stripped"; fi
    # The static run-time: no compiler DLL is needed beside the program.
    local dlls
    dlls=$(objdump -p "$folder/$f" | sed -n 's/^\s*DLL Name: //p' | tr 'A-Z' 'a-z' |
           grep -v -E '^(kernel32|user32|gdi32|advapi32|shell32|comctl32|comdlg32|ole32|oleaut32|version|msvcrt|shlwapi|rkdb|chdb)\.dll$' || true)
    [ -z "$dlls" ] || fail "$f needs $dlls"
  done
  for f in 読んでください.txt README.txt LICENSE.txt; do
    iconv -f CP932 -t UTF-8 "$folder/$f" >/dev/null 2>&1 || fail "$f is not Shift-JIS"
    if grep -q -v $'\r$' "$folder/$f"; then fail "$f has a line without CR LF"; fi
  done
  grep -q "$(echo 'カプスダブ 使い方' | iconv -f UTF-8 -t CP932)" "$folder/読んでください.txt" ||
    fail "読んでください.txt is not the guide"
}

# The symbol zip: the same four programs, with debug information, that strip to the shipped
# ones (both stripped again with one time stamp, which strip writes into the header).
check_symbols() { # zip arch folder(unpacked program folder)
  local zip=$1 arch=$2 folder=$3 strip=x86_64-w64-mingw32-strip
  [ "$arch" = win32 ] && strip=i686-w64-mingw32-strip
  local unpacked=$work/symbols-$arch
  mkdir -p "$unpacked"
  (cd "$unpacked" && cmake -E tar xf "$zip")
  local sym
  sym=$(find "$unpacked" -mindepth 1 -maxdepth 1 -type d)
  [ "$(ls "$sym" | sort | tr '\n' ' ')" = "CapsDub.exe KAP.dll capsdub-cli.exe kapctl.exe " ] ||
    fail "$zip holds $(ls "$sym" | tr '\n' ' ')"
  local f
  for f in CapsDub.exe capsdub-cli.exe kapctl.exe KAP.dll; do
    objdump -h "$sym/$f" | grep -q '\.debug_info' || fail "$f in $zip has no debug information"
    SOURCE_DATE_EPOCH=0 "$strip" -o "$work/a" "$sym/$f"
    SOURCE_DATE_EPOCH=0 "$strip" -o "$work/b" "$folder/$f"
    cmp -s "$work/a" "$work/b" || fail "$f in $zip is not the shipped $f unstripped"
  done
}

# Runs the unpacked programs in a fresh prefix.
run_check() { # arch zip
  local arch=$1 zip=$2 preset=$1
  local name
  name=$(basename "$zip" .zip)
  for tool in build/$preset/tools/samplegen/rk-samplegen.exe \
              build/$preset/tests/gui_program/gui_program_test.exe; do
    [ -f "$tool" ] && continue
    say "building the $preset preset's sample generator and window test"
    cmake --preset "$preset" >/dev/null
    cmake --build --preset "$preset" -j2 --target rk-samplegen gui_program_test >/dev/null
    break
  done
  local samplegen=$top/build/$preset/tools/samplegen/rk-samplegen.exe
  local window_test=$top/build/$preset/tests/gui_program/gui_program_test.exe

  export WINEPREFIX=$work/prefix-$arch
  say "$arch: a fresh Wine prefix"
  WINEARCH=win64 "$run" wineboot -i >/dev/null 2>&1 || true
  wineserver -w 2>/dev/null || true
  [ -f "$WINEPREFIX/system.reg" ] || { fail "$arch: cannot make a Wine prefix"; return; }

  local install="$WINEPREFIX/drive_c/Program Files/カプスダブ 1"
  mkdir -p "$install"
  (cd "$install" && cmake -E tar xf "$top/$zip")
  local program="C:\\Program Files\\カプスダブ 1\\$name"
  local folder="$install/$name"
  [ -f "$folder/CapsDub.exe" ] || { fail "$arch: nothing unpacked"; return; }

  # Sample data on drive D, where the program looks by default (D:\Reel Keeper\).
  local data=$work/data-$arch
  sample() {
    rm -rf "$data" && mkdir -p "$data/out"
    "$run" "$samplegen" --out 'D:\Reel Keeper\' --seed 5 --capsules 10 --small --plain --standin >/dev/null
  }
  mkdir -p "$data"
  ln -sfn "$data" "$WINEPREFIX/dosdevices/d:"
  wineserver -k 2>/dev/null || true
  sample

  # capsdub-cli list.
  local listing
  listing=$("$run" "$program\\capsdub-cli.exe" list --host 'D:\Reel Keeper\' --tsv | tr -d '\r') ||
    fail "$arch: capsdub-cli list failed"
  local numbers
  numbers=$(echo "$listing" | awk -F '\t' 'NR > 1 { print $1 + 0 }' | sort -n)
  [ -n "$numbers" ] || fail "$arch: capsdub-cli list shows no capsule"
  say "$arch: capsdub-cli list: $(echo "$numbers" | wc -l) capsules"

  # CapsDub.exe's batch and capsdub-cli's on the same host (written again, at the same place,
  # for each), into the same save folder: the same files with the same bytes.
  local arguments=('D:\out' /s:t /c:3)
  "$run" "$program\\CapsDub.exe" "${arguments[@]}" || fail "$arch: CapsDub.exe's batch failed"
  mv "$data/out" "$work/gui-out-$arch"
  sample
  "$run" "$program\\capsdub-cli.exe" batch --host 'D:\Reel Keeper\' "${arguments[@]}" \
    >"$work/cli-batch.log" 2>&1 || { cat "$work/cli-batch.log" >&2; fail "$arch: capsdub-cli batch failed"; }
  if [ -z "$(ls "$work/gui-out-$arch")" ]; then
    fail "$arch: CapsDub.exe's batch wrote nothing"
  elif diff -r "$work/gui-out-$arch" "$data/out" >/dev/null; then
    say "$arch: CapsDub.exe ${arguments[*]} wrote the files of capsdub-cli batch:" \
        "$(ls "$data/out" | wc -l) files"
  else
    fail "$arch: CapsDub.exe's batch and capsdub-cli's differ"
  fi

  # kapctl recorded through the zip's KAP.dll, with the stand-ins beside it for this check
  # only, Reel Keeper's installation folder in the registry naming the program's folder.
  local view=/reg:64
  [ "$arch" = win32 ] && view=/reg:32
  cp "build/release-$arch/hostlibs/rkdb/RKDB.dll" "build/release-$arch/hostlibs/chdb/chdb.dll" \
     "$folder/"
  "$run" reg add 'HKLM\Software\Orvan Corporation\Tessaly' /v InstalledPath /t REG_SZ \
    /d "$program\\" /f "$view" >/dev/null
  local recorded
  recorded=$(CAPSDUB_STANDIN_DATA='D:\Reel Keeper\' "$run" "$program\\kapctl.exe" recorded |
             tr -d '\r') || fail "$arch: kapctl recorded failed"
  local ids
  ids=$(echo "$recorded" | awk -F '\t' '/^[0-9]+\t/ { print $1 + 0 }' | sort -n)
  if [ "$ids" = "$numbers" ]; then
    say "$arch: kapctl recorded through the zip's KAP.dll lists the same $(echo "$ids" | wc -l) capsules"
  else
    fail "$arch: kapctl recorded lists other capsules than capsdub-cli:"$'\n'"$recorded"
  fi
  rm -f "$folder/RKDB.dll" "$folder/chdb.dll"
  "$run" reg delete 'HKLM\Software\Orvan Corporation\Tessaly' /f "$view" >/dev/null 2>&1 || true

  # A second start of the unpacked CapsDub.exe restores the first, minimised one.
  if CAPSDUB_PROGRAM_UNDER_TEST="$program\\CapsDub.exe" "$run" "$window_test" \
       --gtest_filter='GuiProgramTest.SecondStart*' >"$work/second-start.log" 2>&1; then
    say "$arch: a second start of CapsDub.exe restored the first"
  else
    cat "$work/second-start.log" >&2
    fail "$arch: the second start of CapsDub.exe"
  fi
  wineserver -k 2>/dev/null || true
}

for arch in win32 win64; do
  zip=$(ls dist/CapsDub-*-"$arch".zip 2>/dev/null | head -n 1)
  symbols=$(ls dist/CapsDub-*-"$arch"-symbols.zip 2>/dev/null | head -n 1)
  if [ -z "$zip" ] || [ -z "$symbols" ]; then
    fail "no $arch zip or symbol zip in dist/"
    continue
  fi
  unpacked=$work/contents-$arch
  mkdir -p "$unpacked"
  (cd "$unpacked" && cmake -E tar xf "$top/$zip")
  folder=$unpacked/$(basename "$zip" .zip)
  before=$failures
  check_contents "$zip" "$arch" "$folder"
  check_symbols "$top/$symbols" "$arch" "$folder"
  [ $failures -eq $before ] && say "$arch: contents of $zip and $(basename "$symbols") as expected"
  if [ "$arch" = win32 ] && ! $can_run_32; then
    say "win32: not run: this machine cannot execute 32-bit programs (contents checked)"
    continue
  fi
  run_check "$arch" "$zip"
done

if [ $failures -eq 0 ]; then
  echo "release-check: all checks passed"
else
  echo "release-check: $failures check(s) failed" >&2
  exit 1
fi
