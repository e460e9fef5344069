#!/usr/bin/env bash
# Continuous integration's fuzz step: builds every fuzz target (clang, libFuzzer, ASan, UBSan)
# and runs each one for a bounded time on its committed seeds, then the huge size claims
# check. Any finding fails the step; its input is kept under build-fuzz/fuzz-findings/.
#
#   tools/fuzz-ci.sh            (QM_FUZZ_SECONDS per target, default 30)
#
# Targets run side by side, one per core up to four (QM_FUZZ_PARALLEL), so on two cores the
# step takes about eight target-minutes in four.
#
# Each run starts from the committed seeds alone, so the result does not depend on what an
# earlier run on the same machine happened to find.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${QM_FUZZ_BUILD_DIR:-$root/build-fuzz}
export QM_FUZZ_BUILD_DIR=$build
cores=$(nproc)
export QM_FUZZ_PARALLEL=${QM_FUZZ_PARALLEL:-$((cores < 4 ? cores : 4))}

rm -rf "$build/fuzz-corpus" "$build/fuzz-findings" "$build/fuzz-logs"
start=$(date +%s)
"$root/tools/fuzz.sh" "${QM_FUZZ_SECONDS:-30}"
"$root/tests/fuzz/huge_claims.sh" "$build"
echo "fuzz-ci: every target clean in $(($(date +%s) - start)) s"
