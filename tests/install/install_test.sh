#!/usr/bin/env bash
# Installs the build into a temporary prefix and checks the installed tree as a user meets it: the
# library's soname and development symlink (its exports: tests/exports), the logger found beside the
# library, the firmware directories (the real probe's empty, the virtual probe's image with the
# virtual probe), updates of the virtual probe from the installed tree on a private copy of the
# library that is gone afterwards, and both examples built against the prefix as the README gives
# them (CMake package and pkg-config) running on the installed virtual probe; the manual page and
# the bash completion.
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

# The installed tool on the installed virtual probe, tracing through the logger that the
# library loads by its bare name from its own directory. The run-time files alone, as the
# run-time package has them: without the development link.
mv "$libdir/libjsckestrel.so" "$work/development-link"
tool_output=$(env -u LD_LIBRARY_PATH LD_DEBUG=files "$prefix/bin/kestrel" --sim --trace info 2>&1) ||
  fail "kestrel --sim --trace info:"$'\n'"$tool_output"
# --sim runs on a private copy of the library's directory, gone when the run is over.
loaded=$(sed -n 's/.*calling init: //p' <<<"$tool_output" | xargs -r readlink -m)
library=$(grep -m1 '/libjsckestrel\.so' <<<"$loaded") || fail "library not loaded"
grep -qx "$(dirname "$library")/libnimbus_logger.so" <<<"$loaded" ||
  fail "logger not loaded from beside the library"
grep -qx "$libdir/kestrel-sim/libusb-1.0.so.0" <<<"$loaded" ||
  fail "virtual probe not loaded from $libdir/kestrel-sim"
grep -q 'Executed command 0x03 (KST_VERSION)' <<<"$tool_output" || fail "no trace lines"
# The firmware image directory beside the library as the process loaded it.
[ -d "$libdir/kestrel" ] || fail "no kestrel/ firmware directory beside the library"
mv "$work/development-link" "$libdir/libjsckestrel.so"

# The virtual probe's image lives with the virtual probe, never where the library looks for
# the real probe's.
[ -z "$(find "$libdir/kestrel" -name '*.bin')" ] || fail "a firmware image in $libdir/kestrel"
[ -f "$libdir/kestrel-sim/firmware_3.0.0.29.bin" ] || fail "no virtual probe image in kestrel-sim/"
# Updates of the virtual probe from the installed tree: by the update command, and by a framework
# open of an outdated probe. Each runs on a private copy of the library in TMPDIR, gone after.
export TMPDIR=$work/tmp
mkdir "$TMPDIR"
tool() { env -u LD_LIBRARY_PATH "$prefix/bin/kestrel" "$@"; }
out=$(tool --sim --firmware 3.0.0.28 update 2>&1) || fail "kestrel --sim update:"$'\n'"$out"
grep -q '^updated firmware  3\.0\.0\.29$' <<<"$out" || fail "no update:"$'\n'"$out"
out=$(tool --sim --firmware 3.0.0.28 --config "$source/examples/jtag.cfg" info 2>&1) ||
  fail "kestrel --sim --config jtag.cfg info:"$'\n'"$out"
grep -q '^Updating the Kestrel firmware.*complete\.$' <<<"$out" || fail "no update at open:"$'\n'"$out"
grep -q '^firmware version  3\.0\.0\.29' <<<"$out" || fail "not updated at open:"$'\n'"$out"
[ -z "$(ls -A "$TMPDIR")" ] || fail "left in TMPDIR: $(ls -A "$TMPDIR")"
# On a probe the tool takes for real (the virtual probe bound as the system's libusb), a missing
# image is named with the path where it must be placed.
status=0
out=$(KESTREL_SIM_DEFAULT_BUS=1 LD_LIBRARY_PATH=$libdir/kestrel-sim "$prefix/bin/kestrel" update \
  --force 2>&1) || status=$?
[ "$status" = 66 ] || fail "missing image: status $status:"$'\n'"$out"
[ "$out" = "kestrel: no firmware image at $libdir/kestrel/firmware_3.0.0.29.bin: place the probe's firmware there, or give one with --image FILE" ] ||
  fail "missing image:"$'\n'"$out"
unset TMPDIR

# The manual page and the bash completion where man and bash-completion look for them; the
# completion offers the installed tool's subcommands, its options and the probes' serials.
page=$prefix/share/man/man1/kestrel.1.gz
gzip -dc "$page" | grep -q '^\.TH KESTREL "1"' || fail "no manual page at $page"
gzip -dc "$page" | grep -q '^\.SS "kestrel mem write"' || fail "the manual page lacks the commands"
completion=$prefix/share/bash-completion/completions/kestrel
[ -f "$completion" ] || fail "no bash completion at $completion"
if [ -f /usr/share/bash-completion/bash_completion ]; then
  complete_words() {
    env -u LD_LIBRARY_PATH PATH="$prefix/bin:$PATH" bash -c '
      . /usr/share/bash-completion/bash_completion && . "$1" && shift
      COMP_WORDS=("$@") COMP_CWORD=$(($# - 1)) COMP_LINE="$*" && COMP_POINT=${#COMP_LINE}
      _kestrel kestrel "${COMP_WORDS[COMP_CWORD]}" "${COMP_WORDS[COMP_CWORD - 1]}"
      printf "%s\n" "${COMPREPLY[@]}"' _ "$completion" "$@"
  }
  [ "$(complete_words kestrel --sim -p '')" = KST00001 ] || fail "completion of --probe"
  [ "$(complete_words kestrel mem w)" = write ] || fail "completion of mem"
  grep -qx -- --verify <<<"$(complete_words kestrel mem write --v)" || fail "completion of options"
fi

# Both examples as the README's Examples section gives them, run from a copy of the sources
# against this prefix (found through the variables the README names), with the compilers of
# this build.
mkdir "$work/src"
cp -r "$source/examples" "$work/src/"
commands=$(awk '/^### Examples/ {on = 1} on && /^```sh/ {block = 1; next} block && /^```/ {exit}
  block {print}' "$source/README.md")
grep -q 'echo.c' <<<"$commands" && grep -q 'scan --sim' <<<"$commands" ||
  fail "no example commands in the README"
out=$(cd "$work/src" && env -u LD_LIBRARY_PATH PKG_CONFIG_LIBDIR="$libdir/pkgconfig" \
  CMAKE_PREFIX_PATH="$prefix" CC="$cc" CMAKE_GENERATOR="$generator" \
  PATH="$(dirname "$cc"):$PATH" bash -euo pipefail -c "${commands//cc examples/\"\$CC\" examples}" 2>&1) ||
  fail "the README's examples:"$'\n'"$out"
grep -qx "echo: hello, probe" <<<"$out" || fail "echo --sim:"$'\n'"$out"
grep -qx "first TAP: IDCODE 0x4BA00477" <<<"$out" || fail "scan --sim:"$'\n'"$out"
echo "installed tree, updates on the virtual probe, manual page, completion and both examples: ok"
