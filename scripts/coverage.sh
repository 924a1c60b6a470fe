#!/usr/bin/env bash
# Line and branch coverage of the library (src/) by the test suite:
#   scripts/coverage.sh
# Builds the suite with --coverage (Debug) into build-coverage/, runs it, and prints with gcovr
# (its default options) a summary per folder of src/ and one last line for src/ as a whole:
#   coverage: lines N% branches M%
# The HTML report is build-coverage/coverage/index.html. The Debian package test is left out:
# it checks the packages' files, not the library's code, and lintian takes most of the suite's
# time.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
dir=build-coverage
# Only the programs of the tests that reach the library (and the files the install test
# installs): not the benchmarks, the virtual probe's and the logger's own tests or the udev
# rules check. CTest skips the tests of the programs left unbuilt (named ..._NOT_BUILT).
targets=(kestrel kestrel_unit_tests kestrel_link_tests kestrel_allocation_tests kestrel_tool_tests
  kestrel_transport_tests kestrel_update_tests kestrel_jsc_unit_tests kestrel_jsc_tests kestrel_binding_tests
  kestrel_udev_rules_file kestrel_man_page)
scripts/build.sh "$dir" -DKESTREL_TESTS=ON -DKESTREL_COVERAGE=ON -DCMAKE_BUILD_TYPE=Debug \
  -- "${targets[@]}"
# Counts from an earlier run would add to this one's.
find "$dir" -name '*.gcda' -delete
(cd "$dir" && ctest --output-on-failure -j2 -E '_NOT_BUILT$|^debian_packages$')
mkdir -p "$dir/coverage"
gcovr -r . --filter src/ -j 2 --object-directory "$dir" "$dir" \
  --json-summary "$dir/coverage/summary.json" --html-details "$dir/coverage/index.html" \
  > /dev/null
python3 - "$dir/coverage/summary.json" <<'EOF'
import collections, json, sys

summary = json.load(open(sys.argv[1]))
folders = collections.defaultdict(lambda: [0, 0, 0, 0])
for entry in summary["files"]:
    parts = entry["filename"].split("/")
    folder = "/".join(parts[:2]) if len(parts) > 2 else parts[0]
    counts = folders[folder]
    counts[0] += entry["line_covered"]
    counts[1] += entry["line_total"]
    counts[2] += entry["branch_covered"]
    counts[3] += entry["branch_total"]

def percent(covered, total):
    return 100.0 * covered / total if total else 100.0

print(f"{'folder':<16}{'lines':>20}{'branches':>22}")
for folder, (lc, lt, bc, bt) in sorted(folders.items()):
    print(f"{folder:<16}{percent(lc, lt):7.1f}% {lc:5}/{lt:<5}{percent(bc, bt):9.1f}% {bc:5}/{bt:<5}")
print(f"{'src':<16}{percent(summary['line_covered'], summary['line_total']):7.1f}% "
      f"{summary['line_covered']:5}/{summary['line_total']:<5}"
      f"{percent(summary['branch_covered'], summary['branch_total']):9.1f}% "
      f"{summary['branch_covered']:5}/{summary['branch_total']:<5}")
print(f"coverage: lines {percent(summary['line_covered'], summary['line_total']):.1f}% "
      f"branches {percent(summary['branch_covered'], summary['branch_total']):.1f}%")
EOF
