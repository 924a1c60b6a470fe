#!/usr/bin/env bash
# The ratio guard: a short run of the library-against-floor benchmarks on the virtual probe,
# failing when a ratio more than doubled against bench/ratio_baseline.txt. Ratios only, so it
# holds on a loaded machine; about 10 s (many short repetitions: the least of each is steadier than of a few long ones). Usage: scripts/bench_guard.sh [BUILD_DIR]
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
"$build"/bench/kestrel_bench --guard=bench/ratio_baseline.txt --seconds=0.02 --repetitions=15
