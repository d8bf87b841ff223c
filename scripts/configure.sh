#!/usr/bin/env bash
# Installs what is missing and configures the cross build of the Windows
# programs in $KF_BUILD (build/ by default); the test, demo and benchmark
# commands start with it.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${KF_BUILD:-$root/build}

"$root/scripts/install-deps.sh"
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-i686.cmake" \
  -DCMAKE_BUILD_TYPE=Release >/dev/null
