#!/usr/bin/env bash
# The library, the tool and dfu-util on the distribution's own libusb, with the virtual bus's
# devices behind umockdev's emulated usbfs nodes: the CTest label real-usb, in the plain and
# the sanitizer build trees that scripts/test.sh made (either alone when only it is there).
set -euo pipefail
cd "$(dirname "$0")/.."
ran=0
for tree in build build-asan; do
  [ -f "$tree/CTestTestfile.cmake" ] || continue
  start=$(date +%s)
  (cd "$tree" && ASAN_OPTIONS=detect_leaks=1 ctest -L real-usb --output-on-failure -j2 --no-tests=error)
  echo "real-usb suite in $tree: $(( $(date +%s) - start )) s"
  ran=1
done
[ "$ran" -eq 1 ] || { echo "no build tree: run scripts/test.sh first" >&2; exit 1; }
