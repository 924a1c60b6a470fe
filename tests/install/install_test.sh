#!/usr/bin/env bash
# Installs the build into a temporary prefix and checks the installed tree as a user meets it:
# the library's soname, development symlink and export list, the logger found beside the
# library, the firmware directory, and both examples built against the prefix (CMake package
# and pkg-config) running on the installed virtual probe.
# install_test.sh BUILD-DIR SOURCE-DIR CMAKE C-COMPILER CMAKE-GENERATOR
set -euo pipefail
build=$1 source=$2 cmake=$3 cc=$4 generator=$5
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
prefix=$work/prefix
fail() { echo "FAIL: $*" >&2; exit 1; }

"$cmake" --install "$build" --prefix "$prefix" >/dev/null
link=$(find "$prefix" -name libjsckestrel.so -print -quit)
[ -n "$link" ] || fail "no libjsckestrel.so installed"
libdir=$(dirname "$(readlink -f "$link")")

# Soname and the chain of links a linker and a loader follow.
[ "$(readlink "$libdir/libjsckestrel.so")" = libjsckestrel.so.1 ] || fail "development symlink"
[ -f "$libdir/$(readlink "$libdir/libjsckestrel.so.1")" ] || fail "soname link"
readelf -d "$libdir/libjsckestrel.so" | grep -q 'Library soname: \[libjsckestrel.so.1\]' ||
  fail "soname is not libjsckestrel.so.1"

# Exports: functions of the interface families and nothing else.
exports=$(nm -D --defined-only "$libdir/libjsckestrel.so")
families='^(KST|JTAG|CJTAG|CMAPI|SWD|ARMv7|SecAP|WREN|IBIS|TERN|PMON|STEM|TRXSPI|JSC)_'
others=$(awk -v f="$families" '$2 != "T" || $3 !~ f' <<<"$exports")
[ -z "$others" ] || fail "exported beyond the interface:"$'\n'"$others"
for name in KST_Open KST_Close JTAG_Connect CJTAG_Connect JSC_CreateProperty; do
  grep -q " T $name\$" <<<"$exports" || fail "$name is not exported"
done

# The installed tool on the installed virtual probe, tracing through the logger that the
# library loads by its bare name from its own directory. The run-time files alone, as the
# run-time package has them: without the development link.
mv "$libdir/libjsckestrel.so" "$work/development-link"
tool_output=$(env -u LD_LIBRARY_PATH LD_DEBUG=files "$prefix/bin/kestrel" --sim --trace info 2>&1) ||
  fail "kestrel --sim --trace info:"$'\n'"$tool_output"
loaded=$(sed -n 's/.*calling init: //p' <<<"$tool_output" | xargs -r readlink -f)
grep -qx "$libdir/libnimbus_logger.so" <<<"$loaded" || fail "logger not loaded from $libdir"
grep -qx "$libdir/kestrel-sim/libusb-1.0.so.0" <<<"$loaded" ||
  fail "virtual probe not loaded from $libdir/kestrel-sim"
grep -q 'Executed command 0x03 (KST_VERSION)' <<<"$tool_output" || fail "no trace lines"
# The firmware image directory beside the library as the process loaded it.
library=$(grep -m1 '/libjsckestrel\.so' <<<"$loaded") || fail "library not loaded"
[ -d "$(dirname "$library")/kestrel" ] || fail "no kestrel/ firmware directory beside $library"
mv "$work/development-link" "$libdir/libjsckestrel.so"

# The C++ example through find_package(Kestrel).
"$cmake" -S "$source/examples" -B "$work/scan" -G "$generator" -DCMAKE_PREFIX_PATH="$prefix" \
  >/dev/null || fail "configuring the examples"
"$cmake" --build "$work/scan" >/dev/null || fail "building scan.cpp"
[ "$("$work/scan/scan" --sim)" = "first TAP: IDCODE 0x4BA00477" ] || fail "scan --sim"

# The C example through pkg-config, with the flags the pc file gives and nothing else.
export PKG_CONFIG_LIBDIR=$libdir/pkgconfig
read -r -a flags <<<"$(pkg-config --cflags --libs jsckestrel)"
"$cc" -std=c99 -Wall -Wextra -Werror "$source/examples/echo.c" -o "$work/echo" "${flags[@]}" -ldl \
  -Wl,-rpath,"$(pkg-config --variable=libdir jsckestrel)" \
  -DSIM_LIBUSB="\"$(pkg-config --variable=simlibusb jsckestrel)\"" || fail "building echo.c"
[ "$("$work/echo" --sim)" = "echo: hello, probe" ] || fail "echo --sim"
echo "installed tree, both examples and the virtual probe: ok"
