#!/usr/bin/env bash
# Builds the Debian packages from the build tree and checks what each holds and depends on,
# then runs lintian over them when it is installed.
# package_test.sh BUILD-DIR CPACK
set -euo pipefail
build=$1 cpack=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

"$cpack" -G DEB --config "$build/CPackConfig.cmake" -B "$work" >"$work/cpack.log" 2>&1 ||
  { cat "$work/cpack.log"; fail "cpack"; }

# package: the paths it must hold (extended regular expressions, anchored).
declare -A holds=(
  [libjsckestrel1]='usr/lib/(.*/)?libjsckestrel\.so\.1 usr/lib/(.*/)?libjsckestrel\.so\.1\.0\.0
    usr/lib/(.*/)?libnimbus_logger\.so usr/lib/(.*/)?kestrel/'
  [libjsckestrel-dev]='usr/include/kestrel/kestrel\.h usr/lib/(.*/)?libjsckestrel\.so
    usr/lib/(.*/)?pkgconfig/jsckestrel\.pc usr/lib/(.*/)?cmake/Kestrel/KestrelConfig\.cmake
    usr/lib/(.*/)?cmake/Kestrel/KestrelConfigVersion\.cmake'
  [kestrel-tools]='usr/bin/kestrel usr/lib/udev/rules\.d/70-kestrel\.rules
    usr/share/man/man1/kestrel\.1\.gz usr/share/bash-completion/completions/kestrel'
  [kestrel-sim]='usr/lib/(.*/)?kestrel-sim/libusb-1\.0\.so\.0 usr/lib/(.*/)?kestrel-sim/firmware_3\.0\.0\.29\.bin
    usr/include/kestrel_sim/sim\.h'
)
# Files that belong to one package only: none of them may show up in another.
exclusive='libjsckestrel\.so|libnimbus_logger|/include/|\.pc$|/cmake/|bin/kestrel$|\.rules$|kestrel-sim/|/man1/|/completions/'

declare -A owner
for package in "${!holds[@]}"; do
  deb=$(find "$work" -maxdepth 1 -name "${package}_*.deb" -print -quit)
  [ -n "$deb" ] || fail "no package $package"
  # Paths without the leading ./ and with symlink targets dropped.
  dpkg-deb -c "$deb" | awk '{print $6}' | sed 's#^\./##' >"$work/$package.files"
  for pattern in ${holds[$package]}; do
    grep -Eq "^$pattern\$" "$work/$package.files" || fail "$package lacks $pattern"
  done
  while read -r path; do
    [ -n "${owner[$path]:-}" ] && fail "$path is in both ${owner[$path]} and $package"
    owner[$path]=$package
  done < <(grep -E "$exclusive" "$work/$package.files" | grep -v '/$')
done

# No package puts a firmware image where the library looks for the real probe's.
for package in "${!holds[@]}"; do
  ! grep -Eq '(^|/)kestrel/[^/]*\.bin$' "$work/$package.files" || fail "$package: an image in kestrel/"
done

depends() { dpkg-deb -f "$(find "$work" -maxdepth 1 -name "$1_*.deb" -print -quit)" Depends; }
grep -q 'libusb-1.0-0' <<<"$(depends libjsckestrel1)" || fail "libjsckestrel1 must depend on libusb"
for package in libjsckestrel-dev kestrel-tools; do
  grep -q 'libjsckestrel1 (= ' <<<"$(depends $package)" || fail "$package: libjsckestrel1"
done

# The pkg-config file names the packages' prefix, not the directory they were staged in.
pc=$(dpkg-deb --fsys-tarfile "$(find "$work" -maxdepth 1 -name 'libjsckestrel-dev_*.deb' -print -quit)" |
  tar -xO --wildcards '*/jsckestrel.pc')
grep -qx 'prefix=/usr' <<<"$pc" || fail "jsckestrel.pc: $(head -1 <<<"$pc")"

# Only the run-time library declares a soname; the virtual probe's libusb-1.0.so.0 must not.
control() { dpkg-deb --ctrl-tarfile "$(find "$work" -maxdepth 1 -name "$1_*.deb" -print -quit)" | tar -t; }
[[ "$(control libjsckestrel1)" == *shlibs* ]] || fail "libjsckestrel1 has no shlibs"
[[ "$(control kestrel-sim)" != *shlibs* ]] || fail "kestrel-sim declares shlibs"

if command -v lintian >/dev/null; then
  lintian --fail-on error,warning \
    "$work"/*.deb || fail "lintian"
fi
echo "packages: ok"
