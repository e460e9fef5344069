#!/usr/bin/env bash
# Installs every Debian package that building, testing and benchmarking the suite needs.
# Safe to run again: packages already present are left as they are.
set -euo pipefail

packages=(
  build-essential cmake ninja-build pkg-config clang clang-format libclang-rt-dev
  libgtest-dev libgmock-dev libbenchmark-dev
  qt6-base-dev qt6-multimedia-dev libgl-dev
  # Qt's image-format plugins (TGA among them) for the pictures our own readers refuse; time
  # for the import-memory bench's peak sizes.
  qt6-image-formats-plugins time
  python3 netpbm imagemagick
  xvfb xauth
  # The 32-bit Windows build and its tests under Wine (tools/test-windows.sh).
  g++-mingw-w64-i686 wine wine32:i386
  # Qt Multimedia's audio sink talks to PulseAudio through libpulse; the tests that listen
  # start their own server with a null sink and record its monitor with parec.
  pulseaudio pulseaudio-utils
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done

if [ ${#missing[@]} -eq 0 ]; then
  echo "install-deps: all packages present"
  exit 0
fi

SUDO=""
[ "$(id -u)" -eq 0 ] || SUDO="sudo"
export DEBIAN_FRONTEND=noninteractive
# Wine's 32-bit part comes from the i386 architecture.
if [[ " ${missing[*]} " == *":i386 "* ]] && ! dpkg --print-foreign-architectures | grep -qx i386; then
  $SUDO dpkg --add-architecture i386
fi
$SUDO apt-get update -q
$SUDO apt-get install -y -q --no-install-recommends "${missing[@]}"
