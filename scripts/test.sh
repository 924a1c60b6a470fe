#!/usr/bin/env bash
# Set-up, then the whole suite twice: a plain build and an AddressSanitizer +
# UndefinedBehaviorSanitizer build; then the value parsers under libFuzzer.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
start=$(date +%s)
scripts/build.sh build
(cd build && ctest --output-on-failure -j2)
scripts/build.sh build-asan -DKESTREL_SANITIZE=ON -DCMAKE_BUILD_TYPE=Debug
(cd build-asan && ASAN_OPTIONS=detect_leaks=1 ctest --output-on-failure -j2)
# The value parsers under libFuzzer for a bounded time, from the kept corpus.
CC=clang CXX=clang++ scripts/build.sh build-fuzz -DKESTREL_FUZZ=ON
corpus=$(mktemp -d)
cp fuzz/corpus/value_parsers/* "$corpus"/
if ! build-fuzz/fuzz/value_parsers_fuzz -max_total_time="${KESTREL_FUZZ_SECONDS:-30}" "$corpus" \
  > build-fuzz/fuzz.log 2>&1; then
  tail -n 40 build-fuzz/fuzz.log
  exit 1
fi
grep -E '^Done [0-9]+ runs' build-fuzz/fuzz.log
rm -rf "$corpus"
total=$(cd build-asan && ctest -N | awk '/Total Tests:/ {print $3}')
echo "test suite: plain and sanitizer builds and the fuzz run in $(( $(date +%s) - start )) s"
echo "tests: $((2 * total)) passed, 0 failed"
