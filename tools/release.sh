#!/usr/bin/env bash
# Builds the release: into dist/ go CapsDub-<version>-win32.zip and -win64.zip (one folder
# each with the four programs, stripped, and the three texts), their -symbols.zip (the same
# programs unstripped) and SHA256SUMS over the four zips.
#   tools/release.sh [--dirty]
# The zips are made from the committed tree: with uncommitted changes it refuses (exit 2)
# unless --dirty is given, which marks the version "-dirty" in the names. The builds take no
# compiler cache; file times come from the last commit (SOURCE_DATE_EPOCH), so the same commit
# gives the same bytes (tools/check-reproducible.sh). dist/ changes only when everything was
# built: a failed build leaves it as it was.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
cd "$top"

suffix=""
for arg in "$@"; do
  case "$arg" in
    --dirty) suffix=-dirty ;;
    -h | --help)
      sed -n '2,10s/^# \{0,1\}//p' "$0"
      exit 0
      ;;
    *)
      echo "release: unknown argument '$arg' (usage: tools/release.sh [--dirty])" >&2
      exit 2
      ;;
  esac
done
if [ -n "$(git status --porcelain)" ] && [ -z "$suffix" ]; then
  echo "release: the tree has uncommitted changes (git status); commit them first, or give" \
       "--dirty to build them as version <version>-dirty" >&2
  exit 2
fi

bash tools/setup.sh --no-prefix

# The same inputs give the same bytes: the last commit's time for every file in the zips, one
# time zone and file mode mask, a UTF-8 locale for the guide's Japanese file name, no cache.
SOURCE_DATE_EPOCH=$(git log -1 --format=%ct)
export SOURCE_DATE_EPOCH TZ=UTC LC_ALL=C.UTF-8
umask 022
unset CMAKE_C_COMPILER_LAUNCHER CMAKE_CXX_COMPILER_LAUNCHER

mkdir -p build
stage=$(mktemp -d "$top/build/release-stage.XXXXXX")
trap 'rm -rf "$stage"' EXIT
started=$SECONDS
build_zips() { # arch: its zip and symbol zip into the staging folder
  local arch=$1 config=build/release-$1/CPackConfig.cmake
  echo "== release $arch ==" >&2
  cmake --preset "release-$arch" -DCAPSDUB_VERSION_SUFFIX="$suffix" >/dev/null &&
    cmake --build --preset "release-$arch" -j2 &&
    cpack --config "$config" -B "$stage/$arch" >/dev/null &&
    cpack --config "$config" -B "$stage/$arch" -D CAPSDUB_SYMBOLS=ON >/dev/null &&
    mv "$stage/$arch"/*.zip "$stage/"
}
for arch in win32 win64; do
  build_zips "$arch" || {
    echo "release: building the $arch zips failed; dist/ is left as it was" >&2
    exit 1
  }
done
(cd "$stage" && sha256sum -- *.zip >SHA256SUMS)

# Everything is there: dist/ gets the new set in place of the old one.
mkdir -p dist
rm -f dist/CapsDub-*.zip dist/SHA256SUMS
mv "$stage"/*.zip "$stage/SHA256SUMS" dist/
echo "== release: $(( SECONDS - started )) s ==" >&2
(cd dist && ls -l -- *.zip SHA256SUMS && cat SHA256SUMS)
