#!/usr/bin/env bash
# The Windows build: cross-compiled with MinGW-w64 into build-windows/ (library, logger, host
# stand-in, virtual probe, tool and tests), the suite run under Wine, then the zip made, unpacked
# and the tool run from it on the virtual probe.
#   scripts/test-windows.sh
# Installs what it needs (skipping packages already there); Wine keeps its own prefix in
# build-windows/wine. KESTREL_WINDOWS_BUILD names another tree.
set -euo pipefail
cd "$(dirname "$0")/.."
start=$(date +%s)

scripts/setup.sh windows

tree=${KESTREL_WINDOWS_BUILD:-build-windows}
mkdir -p "$tree"
tree=$(cd "$tree" && pwd)
# Wine: its own prefix, no debug channels, no debugger started on a crash (it would wait for
# input until the time-out), and one wineserver for the whole run (started once, not for every
# test program); it ends when the script does.
export WINEPREFIX=$tree/wine WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=;winedbg.exe=d"
if [ ! -f "$WINEPREFIX/system.reg" ]; then
  wineboot --init >/dev/null 2>&1 || true
fi
# The server wineboot (or anything else) left behind exits once idle, and a test program that
# starts as it goes loses its connection: it is stopped, and a persistent one takes its place.
# Wine's own services start with the first program: started here, they hold no build step's
# output open (ninja would wait for it).
wineserver -k 2>/dev/null || true
wineserver -w
wineserver -p
wineboot </dev/null >/dev/null 2>&1 || true
trap 'wineserver -k >/dev/null 2>&1 || true' EXIT

# The build runs a program of its own under Wine (the virtual probe's firmware image).
scripts/build.sh "$tree" -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake -DKESTREL_TESTS=ON \
  -DCMAKE_BUILD_TYPE=Release
built=$(date +%s)

# Test programs import the library and the logger from lib/ and, most of them, the virtual
# probe as their libusb-1.0.dll from sim/: the tests that must not find it say so themselves.
export WINEPATH="$(winepath -w "$tree/lib");$(winepath -w "$tree/sim")"
# Should a Wine process still lose its connection to the server ("wine client error: ...
# recvmsg: Connection reset by peer") and die before its test begins, a run whose failures all
# say so runs its failed tests once more. Any other failure stands.
log=$tree/ctest.log
if ! (cd "$tree" && ctest --output-on-failure -j2 --timeout 120) | tee "$log"; then
  failed=$(grep -c '\*\*\*Failed\|\*\*\*Exception\|\*\*\*Timeout' "$log" || true)
  lost=$(grep -c '^wine client error:' "$log" || true)
  [ "$failed" -gt 0 ] && [ "$failed" -le "$lost" ] || exit 1
  echo "$failed test(s) lost their Wine server connection: running them again" >&2
  (cd "$tree" && ctest --output-on-failure --rerun-failed --timeout 120)
fi
tested=$(date +%s)

# The zip, unpacked, and the tool run from it on the virtual probe: nothing of the build tree on
# the path.
(cd "$tree" && cpack -G ZIP >/dev/null)
unpacked=$tree/zip-check
rm -rf "$unpacked"
mkdir -p "$unpacked"
unzip -q "$tree"/kestrel-*-win64.zip -d "$unpacked"
root=$(echo "$unpacked"/kestrel-*-win64)
smoke() {
  local expected=$1
  shift
  local out
  out=$(WINEPATH="" wine "$root/bin/kestrel.exe" "$@" | tr -d '\r')
  if ! grep -q "$expected" <<<"$out"; then
    echo "kestrel.exe $* from the zip: expected \"$expected\", got:" >&2
    echo "$out" >&2
    exit 1
  fi
}
smoke "firmware version  3.0.0.29" --sim info
smoke "3 TAPs, IR 15 bits in all" --sim jtag detect
[ ! -e "$root/bin/libusb-1.0.dll" ] || { echo "the zip has a libusb-1.0.dll in bin/" >&2; exit 1; }
echo "zip: $(basename "$tree"/kestrel-*-win64.zip), kestrel.exe --sim info and jtag detect pass"

count=$(cd "$tree" && ctest -N | awk '/Total Tests:/ {print $3}')
echo "Windows build: built in $((built - start)) s, $count tests under Wine in $((tested - built)) s," \
  "all in $(($(date +%s) - start)) s"
