#!/usr/bin/env bash
# Installs what a build needs on a Debian machine, skipping packages already there.
#   scripts/setup.sh demo   the tool and the virtual probe: compilers, CMake, Ninja, libusb headers
#   scripts/setup.sh        all of the above and what the test suite needs besides: GoogleTest,
#                           clang for fuzzing, pkg-config and the Debian packaging tools
#   scripts/setup.sh windows  the Windows cross build under Wine: the MinGW-w64 compiler with
#                           POSIX threads, Wine, GoogleTest's sources; the host-side packages
#                           supply only headers (libusb.h, CLI11, nlohmann-json)
set -euo pipefail
# The tool's command line (CLI11) and its JSON output are part of the demo.
packages=(cmake ninja-build gcc g++ libusb-1.0-0-dev libcli11-dev nlohmann-json3-dev help2man)
if [ "${1:-test}" = windows ]; then
  packages=(cmake ninja-build g++-mingw-w64-x86-64-posix wine wine64 googletest
    libusb-1.0-0-dev libcli11-dev nlohmann-json3-dev unzip)
elif [ "${1:-test}" != demo ]; then
  packages+=(libgtest-dev libgmock-dev clang libclang-rt-14-dev pkg-config dpkg-dev file lintian
    libbenchmark-dev tshark dfu-util umockdev libumockdev-dev gcovr bash-completion)  # the capture, DFU host and real-USB tests, coverage; noninteractive keeps wireshark-common's non-root capture off
fi
missing=()
for package in "${packages[@]}"; do
  dpkg -s "$package" >/dev/null 2>&1 || missing+=("$package")
done
if [ ${#missing[@]} -gt 0 ]; then
  sudo=""
  [ "$(id -u)" -eq 0 ] || sudo="sudo"
  echo "Installing ${missing[*]}"
  $sudo apt-get update
  $sudo env DEBIAN_FRONTEND=noninteractive apt-get install -y --no-install-recommends "${missing[@]}"
fi
