#!/usr/bin/env bash
# Builds the native fuzz targets (fuzz/) with clang and runs each for a while.
#   scripts/fuzz.sh [seconds-per-target]     (default 10)
# Build folder: build-fuzz/ in the tree, or $KF_FUZZ_BUILD. The committed seed
# corpus in fuzz/corpus/<target>/ is read, never written: new inputs go to the
# build folder. Any finding (crash, sanitizer report, broken property, leak,
# timeout) makes the script fail; its input is kept under <build>/findings/.
set -euo pipefail

seconds=${1:-10}
case $seconds in
  ''|*[!0-9]*) echo "usage: $0 [seconds-per-target]" >&2; exit 2 ;;
esac

root=$(cd "$(dirname "$0")/.." && pwd)
build=${KF_FUZZ_BUILD:-$root/build-fuzz}
targets=(EucJpFuzz UrlEncodeFuzz UrlBuildFuzz OpenPolicyFuzz Utf8Fuzz MailTextFuzz SearchAddressFuzz)

command -v clang++ >/dev/null || { echo "clang++ is missing (scripts/install-deps.sh)" >&2; exit 1; }
if ! echo 'extern "C" int LLVMFuzzerTestOneInput(const unsigned char*, unsigned long) { return 0; }' |
     clang++ -x c++ -fsanitize=fuzzer - -o /dev/null 2>/dev/null; then
  echo "clang's libFuzzer runtime is missing (Debian: libclang-rt-14-dev)" >&2
  exit 1
fi

generator=()
command -v ninja >/dev/null && generator=(-G Ninja)
mkdir -p "$build"
if ! { cmake -S "$root/fuzz" -B "$build" "${generator[@]}" -DCMAKE_CXX_COMPILER=clang++ &&
       cmake --build "$build" -j2; } >"$build/build.log" 2>&1; then
  tail -30 "$build/build.log" >&2
  echo "building the fuzz targets failed, see $build/build.log" >&2
  exit 1
fi

status=0
for target in "${targets[@]}"; do
  work=$build/corpus/$target
  findings=$build/findings/$target
  mkdir -p "$work" "$findings"
  log=$build/$target.log
  echo "== $target: ${seconds}s"
  if "$build/$target" "$work" "$root/fuzz/corpus/$target" \
       -max_total_time="$seconds" -timeout=10 -rss_limit_mb=1024 -max_len=4096 \
       -print_final_stats=1 -artifact_prefix="$findings/" >"$log" 2>&1; then
    runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log")
    rate=$(sed -n 's/^stat::average_exec_per_sec: *//p' "$log")
    cov=$(grep -o 'cov: [0-9]*' "$log" | tail -1 || true)
    echo "   ok: ${runs:-?} runs, ${rate:-?} execs/s, ${cov:-cov: ?}"
  else
    status=1
    echo "   FINDING, see $log; inputs in $findings:" >&2
    grep -E 'ERROR|property broken|runtime error|SUMMARY' "$log" | head -5 >&2 || true
    ls "$findings" >&2
  fi
done
exit $status
