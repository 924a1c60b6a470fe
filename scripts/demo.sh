#!/usr/bin/env bash
# Set-up and build of only what the demo runs (the tool, the library and the virtual probe),
# then the kestrel tool on the virtual probe.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh demo
cmake -S . -B build -G Ninja -DKESTREL_TESTS=OFF >/dev/null
cmake --build build --target kestrel kestrel_sim
build/bin/kestrel --sim info
