#!/usr/bin/env bash
# Set-up, build, and the kestrel tool on the virtual probe.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
scripts/build.sh build
build/bin/kestrel --sim info
