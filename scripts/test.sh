#!/usr/bin/env bash
# Set-up, then the whole suite twice: a plain Release build and an AddressSanitizer +
# UndefinedBehaviorSanitizer build; then the value parsers under libFuzzer. The install and
# Debian package tests run in the plain build only.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
start=$(date +%s)
# The plain tree is the Release build users make (GCC's -O3 warns most there).
scripts/build.sh build -DKESTREL_TESTS=ON -DCMAKE_BUILD_TYPE=Release
(cd build && ctest -LE real-usb --output-on-failure -j2)
scripts/bench_guard.sh build
scripts/build.sh build-asan -DKESTREL_TESTS=ON -DKESTREL_SANITIZE=ON -DCMAKE_BUILD_TYPE=Debug
(cd build-asan && ASAN_OPTIONS=detect_leaks=1 ctest -LE real-usb --output-on-failure -j2)
# The decoders of untrusted text and device data under libFuzzer for a bounded time, each from
# its kept corpus.
CC=clang CXX=clang++ scripts/build.sh build-fuzz -DKESTREL_FUZZ=ON
for target in value_parsers probe_log dfu_open config_descriptor elf_image intel_hex s_record; do
  corpus=$(mktemp -d)
  cp fuzz/corpus/"$target"/* "$corpus"/
  if ! build-fuzz/fuzz/"$target"_fuzz -max_total_time="${KESTREL_FUZZ_SECONDS:-20}" "$corpus" \
    > build-fuzz/"$target".log 2>&1; then
    tail -n 40 build-fuzz/"$target".log
    exit 1
  fi
  echo "$target: $(grep -E '^Done [0-9]+ runs' build-fuzz/"$target".log)"
  rm -rf "$corpus"
done
count() { (cd "$1" && ctest -N -LE real-usb | awk '/Total Tests:/ {print $3}'); }
echo "test suite: plain and sanitizer builds and the fuzz run in $(( $(date +%s) - start )) s"
echo "tests: $(( $(count build) + $(count build-asan) )) passed, 0 failed"
