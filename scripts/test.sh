#!/usr/bin/env bash
# Set-up, then the whole suite twice: a plain build and an AddressSanitizer +
# UndefinedBehaviorSanitizer build.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
start=$(date +%s)
scripts/build.sh build
(cd build && ctest --output-on-failure -j2)
scripts/build.sh build-asan -DKESTREL_SANITIZE=ON -DCMAKE_BUILD_TYPE=Debug
(cd build-asan && ASAN_OPTIONS=detect_leaks=1 ctest --output-on-failure -j2)
echo "test suite: plain and sanitizer builds in $(( $(date +%s) - start )) s"
