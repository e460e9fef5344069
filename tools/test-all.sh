#!/usr/bin/env bash
# Builds the suite twice (release, then AddressSanitizer + UndefinedBehaviorSanitizer)
# and runs the tests of both builds; between them, the 32-bit Windows build under Wine.
# Run tools/install-deps.sh first on a fresh machine.
set -euo pipefail
cd "$(dirname "$0")/.."

export QT_QPA_PLATFORM=offscreen
jobs=$(nproc)

cmake --preset default
cmake --build --preset default -j "$jobs"
ctest --preset default -j "$jobs"

# The 32-bit Windows build, tested under Wine against the release build above.
tools/test-windows.sh

cmake --preset asan
cmake --build --preset asan -j "$jobs"
# Leaks kept inside system libraries (fontconfig) are suppressed; see the file for why.
ASAN_OPTIONS=detect_leaks=1 LSAN_OPTIONS="suppressions=$PWD/tests/lsan.supp:print_suppressions=0" \
  ctest --preset asan -j "$jobs"
