#!/bin/sh
# A capture of `kestrel --sim jtag detect` as tshark reads it: every transfer paired, the
# probe's commands and replies as bulk transfers on its endpoints, the serial-number
# request with its setup fields. Exit 77 (skipped) without tshark.
# Usage: capture_tshark.sh KESTREL CAPTURE_FILE
set -eu
kestrel=$1
capture=$2
command -v tshark >/dev/null 2>&1 || { echo "tshark is not installed"; exit 77; }

rm -f "$capture"
"$kestrel" --sim --capture "$capture" jtag detect >/dev/null || { echo "FAIL: kestrel"; exit 1; }

# One line per record, one tab-separated column per field (empty where the field is absent).
tshark -r "$capture" -T fields -E occurrence=f -e usb.urb_type -e usb.transfer_type \
  -e usb.endpoint_address -e usb.bus_id -e usb.device_address -e usb.request_in \
  -e usb.capdata -e usb.bmRequestType -e usb.setup.bRequest -e usb.bDescriptorType \
  -e usb.DescriptorIndex -e usb.LanguageId -e usb.setup.wLength -e usb.bString 2>/dev/null |
  awk -F '\t' '
    function fail(what) { print "FAIL: record " NR ": " what; failed = 1 }
    function digit(at) { return index("0123456789abcdef", substr($7, at, 1)) - 1 }
    function byte(at) { return digit(at) * 16 + digit(at + 1) }
    # Framed as the probe frames commands and replies: "*", a 16-bit length of the rest.
    function framed() {
      return substr($7, 1, 2) == "2a" && byte(3) + 256 * byte(5) == length($7) / 2 - 3
    }
    $4 != 1 || $5 != 1 { fail("bus " $4 ", device " $5 " (not 1-1.1)") }
    $1 == "\047S\047" { submitted++ }
    $1 == "\047C\047" { if ($6 == "") fail("completion without its submission"); completed++ }
    # Commands out on endpoint 3, replies in on 0x83: the default probe has the composite layout.
    $1 == "\047S\047" && $2 == "0x03" && $3 == "0x03" { commands++; if (!framed()) fail($7) }
    $1 == "\047C\047" && $2 == "0x03" && $3 == "0x83" { replies++; if (!framed()) fail($7) }
    # The serial number: GET_DESCRIPTOR(STRING 3, US English, 255 bytes) and its answer.
    $1 == "\047S\047" && $2 == "0x02" {
      requests++
      setup = $8 " " $9 " " $10 " " $11 " " $12 " " $13
      if (setup != "0x80 6 0x03 0x03 0x0409 255") fail("setup " setup)
    }
    $1 == "\047C\047" && $2 == "0x02" && $14 != "KST00001" { fail("string " $14) }
    END {
      if (submitted == 0 || submitted != completed)
        fail(submitted " submissions, " completed " completions")
      if (commands < 4 || commands != replies) fail(commands " commands, " replies " replies")
      if (requests == 0) fail("no GET_DESCRIPTOR")
      if (!failed) print "ok: " commands " commands and replies, " requests " descriptor requests"
      exit failed
    }'
