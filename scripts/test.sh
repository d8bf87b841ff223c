#!/usr/bin/env bash
# Builds everything and runs the whole test suite: the Windows programs under
# Wine (in code pages 932 and 1252 where it matters) and the encoders' native
# fuzz targets for a short, bounded run.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${KF_BUILD:-$root/build}

KF_BUILD=$build "$root/scripts/configure.sh"
cmake --build "$build" -j2
if [ -d "$build/release" ]; then
  cmake --build "$build/release" -j2 --target kestrelfind_package
fi

status=0
if [ -x "$root/scripts/fuzz.sh" ]; then
  "$root/scripts/fuzz.sh" "${KF_FUZZ_SECONDS:-10}" || status=1
fi

cd "$build"
ctest --output-on-failure -j2 --timeout 300 || status=1
exit $status
