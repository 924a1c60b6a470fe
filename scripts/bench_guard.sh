#!/usr/bin/env bash
# The ratio guard: a short run of the library-against-floor benchmarks on the virtual probe,
# failing when a ratio more than doubled against bench/ratio_baseline.txt. Ratios only, so it
# holds on a loaded machine. Many short repetitions rather than a few long ones: the least of
# each side is steadier so. About 6 s. Usage: scripts/bench_guard.sh [BUILD_DIR]
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
"$build"/bench/kestrel_bench --guard=bench/ratio_baseline.txt --seconds=0.02 --repetitions=15
