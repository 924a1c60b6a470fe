#!/bin/sh
# The names a shared library exports, against the committed list: exports_test.sh LIST LIBRARY
# TOOL, TOOL being nm (an ELF library's dynamic symbols) or objdump (a DLL's export table).
# Both systems' builds check the same list, so the DLL exports exactly what the .so does.
set -eu
list=$1 library=$2 tool=$3
case "$tool" in
  *objdump) actual=$("$tool" -p "$library" |
              sed -n '/\[Ordinal\/Name Pointer\] Table/,/^$/p' | awk '/^\t\[/ {print $NF}' | sort) ;;
  *) actual=$("$tool" -D --defined-only "$library" | awk '{print $3}' | sort) ;;
esac
if ! printf '%s\n' "$actual" | diff -u "$list" -; then
  echo "$library: exports differ from $list (- listed, + exported)" >&2
  exit 1
fi
echo "$library: $(printf '%s\n' "$actual" | wc -l) names, as listed"
