#!/usr/bin/env bash
# Runs the README's shell examples of the tool as written, on the virtual probe, from a
# directory where build/ is this build and examples/ the sources' examples: every line of the
# fenced sh blocks of "The tool" and "Framework sessions", and the configuration file of
# "Configuration". A line without --sim runs on the virtual probe bound as the system's libusb.
# Left out, with the reason printed: the lines that need a real probe (a real bus path, and
# `update`, which needs the real probe's image). The other sections' commands install, need
# root or build the examples; the install and package tests run those.
# readme_examples.sh BUILD-DIR SOURCE-DIR
set -euo pipefail
build=$1 source=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }
ln -s "$build" "$work/build"
ln -s "$source/examples" "$work/examples"
printf 'sixty-four bytes of a memory image, written and read back.....\n' >"$work/image.bin"

lines=$(awk '/^## / {section = $0} /^```sh/ {block = 1; next} block && /^```/ {block = 0; next}
  block && (section == "## The tool" || section ~ /^## Framework sessions/) {print}' \
  "$source/README.md")
ran=0
while IFS= read -r line; do
  command=$(sed 's/[[:space:]]\+#.*$//' <<<"$line")
  [ -n "$command" ] || continue
  case "$command" in
  *" -p 1-4.2 "* | "build/bin/kestrel update")
    echo "left out (needs a real probe): $command"
    continue
    ;;
  esac
  environment=()
  [[ "$command" == *--sim* ]] || environment=(KESTREL_SIM_DEFAULT_BUS=1 LD_LIBRARY_PATH=build/sim)
  if ! out=$(cd "$work" && env "${environment[@]}" bash -c "$command" 2>&1); then
    fail "$command:"$'\n'"$out"
  fi
  ran=$((ran + 1))
done <<<"$lines"
[ "$ran" -ge 14 ] || fail "only $ran examples found in the README"

# The configuration file of "Configuration", and the test clock the README says it runs.
awk '/^## Configuration/ {on = 1} on && /^```$/ {if (block) exit; block = 1; next} block {print}' \
  "$source/README.md" >"$work/readme.cfg"
grep -q '^LOOM.TCLK_FREQUENCY=' "$work/readme.cfg" || fail "no configuration example"
out=$(cd "$work" && build/bin/kestrel --sim --config readme.cfg info --json) ||
  fail "the configuration example:"$'\n'"$out"
grep -q '"tclk_frequency": *10000000' <<<"$out" || grep -q '"tclk_frequency":10000000' <<<"$out" ||
  fail "the configuration example does not run 10 MHz:"$'\n'"$out"
echo "README: $ran tool examples and the configuration example: ok"
