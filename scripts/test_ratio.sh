#!/usr/bin/env bash
# The size of the test suite against the code it tests, in non-blank lines that are not only
# a comment, of the C, C++ and shell sources (CMake files and fuzz corpora left out):
#   scripts/test_ratio.sh [-v]     -v: the count of every folder as well
set -euo pipefail
cd "$(dirname "$0")/.."
python3 - "$@" <<'EOF'
import os, re, sys

TESTS = ["tests", "fuzz"]
CODE = ["src", "sim", "host", "logger", "tools", "include", "bench"]
C_LIKE = (".c", ".cpp", ".h", ".def")

def code_lines(path):
    shell = path.endswith(".sh")
    count, in_block = 0, False
    for line in open(path, encoding="utf-8", errors="replace"):
        text = line.strip()
        if shell:
            if text and not text.startswith("#"):
                count += 1
            continue
        if in_block:
            if "*/" not in text:
                continue
            text, in_block = text.split("*/", 1)[1].strip(), False
        while text.startswith("/*"):
            if "*/" not in text:
                in_block, text = True, ""
                break
            text = text.split("*/", 1)[1].strip()
        if text and not text.startswith("//"):
            count += 1
    return count

def folder_counts(top):
    counts = {}
    for root, _, files in os.walk(top):
        if "/corpus" in root + "/":
            continue
        for name in files:
            if name.endswith(C_LIKE) or name.endswith(".sh"):
                folder = os.path.relpath(root)
                counts[folder] = counts.get(folder, 0) + code_lines(os.path.join(root, name))
    return counts

verbose = "-v" in sys.argv[1:]
totals = []
for group in (TESTS, CODE):
    total = 0
    for top in group:
        for folder, lines in sorted(folder_counts(top).items()):
            total += lines
            if verbose:
                print(f"{folder:<28}{lines:6}")
    totals.append(total)
tests, code = totals
print(f"test ratio: {100.0 * tests / code:.1f}% ({tests} test lines, {code} code lines)")
EOF
