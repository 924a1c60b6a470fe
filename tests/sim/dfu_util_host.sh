#!/bin/sh
# dfu-util, an independent DFU 1.1 host, against the virtual bootloader with the virtual
# probe as its libusb: it lists the bootloader, uploads the application region (the
# installed 3.0.0.29 image, erased above it), downloads a file that fills the region exactly
# and is refused one byte more (errADDRESS at the flash top). Exit 77 (skipped) without
# dfu-util. PRELOAD is the sanitizer runtime a sanitized virtual probe needs in an
# uninstrumented program; leak checks are off there, as dfu-util keeps its file buffer to
# the end (the virtual probe's own tests check its frees).
# Usage: dfu_util_host.sh SIM_DIR FIRMWARE_IMAGE WORK_DIR [PRELOAD]
set -eu
sim=$1
image=$2
work=$3
preload=${4:-}
command -v dfu-util >/dev/null 2>&1 || { echo "dfu-util is not installed"; exit 77; }
mkdir -p "$work"
out=$work/dfu-util.out
dfu() {
  KESTREL_SIM_BOOTLOADER=1 LD_LIBRARY_PATH="$sim" LD_PRELOAD="$preload" \
    ASAN_OPTIONS="${preload:+detect_leaks=0}" dfu-util "$@" >"$out" 2>&1
}
fail() { echo "FAIL: $1"; cat "$out"; exit 1; }

dfu -l || fail "dfu-util -l"
grep -q 'Found DFU: \[f055:4bdf\] ver=0100, devnum=1, cfg=1, intf=0, path="1-1.1", alt=0, name="Kestrel flash", serial="KSTBL0001"' "$out" ||
  fail "the bootloader is not listed as expected"

# The application region: from 0x1800 to the top of 256 blocks of 1 KiB.
region=256000
size=$(wc -c <"$image")
rm -f "$work/flash.bin"
dfu -U "$work/flash.bin" || fail "dfu-util -U"
[ "$(wc -c <"$work/flash.bin")" -eq $region ] || fail "uploaded $(wc -c <"$work/flash.bin") bytes"
cmp -n "$size" "$work/flash.bin" "$image" || fail "the upload does not start with the image"
[ "$(tail -c +$((size + 1)) "$work/flash.bin" | tr -d '\377' | wc -c)" -eq 0 ] ||
  fail "the region above the image is not erased"

# A plain download: the file (dfu-util sends it whole when it has no DFU suffix) is written
# from the application start, and the zero-length block ends it in dfuIDLE.
{ cat "$image"; head -c $((region - size)) /dev/zero; } >"$work/fit.bin"
dfu -D "$work/fit.bin" || fail "dfu-util -D of the region's size"
grep -q "^Download done" "$out" && tail -n 2 "$out" | grep -q "state(2) = dfuIDLE, status(0)" ||
  fail "the download did not end in dfuIDLE"
{ cat "$work/fit.bin"; printf x; } >"$work/over.bin"
if dfu -D "$work/over.bin"; then fail "a download past the flash top was taken"; fi
grep -q "state(10) = dfuERROR, status(8)" "$out" || fail "no errADDRESS past the flash top"
echo "ok: listed, uploaded $region bytes, downloaded $region and refused $((region + 1))"
