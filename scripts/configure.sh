#!/usr/bin/env bash
# Installs what is missing and configures the cross build of the Windows
# programs in $KF_BUILD (build/ by default); the test, demo and benchmark
# commands start with it.
#
# Becky! is a 32-bit program, so the plug-in it loads is one: the build makes
# 32-bit programs and runs them under Wine's 32-bit loader. A machine whose
# kernel runs no 32-bit programs at all (the loader cannot even start) builds
# and runs the same sources as 64-bit programs instead; KF_ARCH (i686 or
# x86_64) chooses by hand.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${KF_BUILD:-$root/build}

"$root/scripts/install-deps.sh"

arch=${KF_ARCH:-}
if [ -z "$arch" ]; then
  if /usr/lib/wine/wine --version >/dev/null 2>&1; then arch=i686; else arch=x86_64; fi
fi
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-$arch.cmake" \
  -DCMAKE_BUILD_TYPE=Release >/dev/null

# The 32-bit release beside a 64-bit build: the package alone, built by
# test.sh, so that what users install is compiled on every machine.
if [ "$arch" = x86_64 ] && [ -z "${KF_ARCH:-}" ]; then
  cmake -S "$root" -B "$build/release" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-i686.cmake" \
    -DCMAKE_BUILD_TYPE=Release -DKF_BUILD_TESTS=OFF >/dev/null
fi
