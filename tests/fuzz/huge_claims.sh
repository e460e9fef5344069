#!/usr/bin/env bash
# Runs the huge-claims check from the fuzz build: every single allocation above 64 MiB ends
# the case with a sanitizer report, and each case must finish within 2 s and 64 MiB of growth.
#   tests/fuzz/huge_claims.sh [build-dir]   (default build-fuzz; tools/fuzz.sh configures it)
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
build=${1:-$root/build-fuzz}
ninja -C "$build" huge_claims
ASAN_OPTIONS=max_allocation_size_mb=64:detect_leaks=0 "$build/bin/huge_claims"
