#!/usr/bin/env bash
# ThreadSanitizer job: builds the library, the virtual probe, the lock-free test logger and the
# many-probes test with -fsanitize=thread into build-tsan/, and runs the test with 4 probes on
# 4 threads. The logger takes no lock, so nothing but the library's (and the virtual probe's)
# own synchronisation orders the threads; any report fails the job.
set -euo pipefail
cd "$(dirname "$0")/.."
dir=build-tsan
launcher=()
if command -v ccache >/dev/null; then
  launcher=(-DCMAKE_C_COMPILER_LAUNCHER=ccache -DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
fi
cmake -S . -B "$dir" -G Ninja "${launcher[@]}" -DKESTREL_TESTS=ON -DKESTREL_TSAN=ON \
  -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$dir" --target kestrel_thread_tests_lockfree
KESTREL_TEST_PROBES=4 TSAN_OPTIONS="halt_on_error=1 exitcode=66 second_deadlock_stack=1" \
  "$dir/tests/kestrel_thread_tests_lockfree"
