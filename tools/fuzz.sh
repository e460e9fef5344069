#!/usr/bin/env bash
# Builds the fuzz targets (clang, libFuzzer, ASan, UBSan) in build-fuzz and runs each one
# for a while on its committed seeds and its format's dictionary.
#
#   tools/fuzz.sh [seconds-per-target] [target ...]
#
# Default 30 seconds, every target, one at a time (QM_FUZZ_PARALLEL=2 runs two at once;
# QM_FUZZ_UNIT_TIMEOUT sets the seconds one input may take, default 10). New corpus entries
# collect in build-fuzz/fuzz-corpus/; a finding (crash, leak, sanitizer report, failed check,
# timeout, memory limit) lands in build-fuzz/fuzz-findings/<target>/ and makes the script fail
# once every target has run.
# Keep a finding's input under tests/fuzz/corpus/<format>/ once it is mended, so every later
# run replays it first.
set -euo pipefail

seconds=${1:-30}
shift || true
root=$(cd "$(dirname "$0")/.." && pwd)
build=${QM_FUZZ_BUILD_DIR:-$root/build-fuzz}
jobs=${QM_FUZZ_BUILD_JOBS:-2}
# Targets fuzzed at the same time, and the seconds one input may take before it is a finding.
parallel=${QM_FUZZ_PARALLEL:-1}
unit_timeout=${QM_FUZZ_UNIT_TIMEOUT:-10}

# target, seed format, dictionary, largest input in bytes
table=(
  "fuzz_ffl_open ffl ffl 16384"
  "fuzz_ffl_parse ffl ffl 16384"
  "fuzz_ffl_roundtrip ffl ffl 16384"
  "fuzz_ffl_add_items ffl_items ffl 16384"
  "fuzz_ffl_database ffinfo ffinfo 4096"
  "fuzz_ffl_database_roundtrip ffinfo ffinfo 4096"
  "fuzz_kdz_open kdz kdz 16384"
  "fuzz_kdz_roundtrip kdz kdz 16384"
  "fuzz_rim_archive rim rim 8192"
  "fuzz_rim_image rimform rim 8192"
  "fuzz_iff_image iff iff 8192"
  "fuzz_bmp_image bmp bmp 8192"
  "fuzz_tga_image tga tga 8192"
  "fuzz_other_tga tga tga 8192"
  "fuzz_few_plane_ilbm iff iff 8192"
  "fuzz_packed_dib dib bmp 8192"
  "fuzz_ini ini ini 8192"
  "fuzz_rtf rtf rtf 8192"
  "fuzz_transfer_block transfer transfer 16384"
  "fuzz_olp_conversion olp olp 4096"
)

selected=("$@")
wanted() {
  [[ ${#selected[@]} -eq 0 ]] && return 0
  local t
  for t in "${selected[@]}"; do [[ $t == "$1" ]] && return 0; done
  return 1
}

targets=()
for row in "${table[@]}"; do
  read -r target _ _ _ <<<"$row"
  if wanted "$target"; then targets+=("$target"); fi
done
if [[ ${#targets[@]} -eq 0 ]]; then
  echo "fuzz.sh: no such target: ${selected[*]}" >&2
  exit 2
fi

if [[ ! -f $build/build.ninja ]]; then
  cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ -DQM_FUZZ=ON \
    -DQM_WITH_QT=OFF -DQM_WITH_BENCH=OFF -DQM_WITH_TESTS=OFF -DQM_WERROR=ON
fi
ninja -C "$build" -j"$jobs" "${targets[@]}"

# Runs one target; prints its line and leaves "ok" or "FAIL" in the status directory.
run_one() {
  local target=$1 format=$2 dict=$3 max_len=$4
  local work=$build/fuzz-corpus/$target
  local findings=$build/fuzz-findings/$target
  local log=$build/fuzz-logs/$target.log
  mkdir -p "$work" "$findings" "$(dirname "$log")"
  # Leaks are findings too; a picture or archive that asks for more than the RSS limit in a
  # single allocation is reported as a malloc-limit finding.
  if ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1:abort_on_error=1} \
     UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1} \
     "$build/bin/$target" \
       -max_total_time="$seconds" -rss_limit_mb=2048 -timeout="$unit_timeout" \
       -max_len="$max_len" -dict="$root/tests/fuzz/dict/$dict.dict" \
       -artifact_prefix="$findings/" -print_final_stats=1 \
       "$work" "$root/tests/fuzz/corpus/$format" >"$log" 2>&1; then
    local runs elapsed
    runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -1)
    elapsed=$(sed -n 's/^Done [0-9]* runs in \([0-9]*\) second.*/\1/p' "$log" | tail -1)
    echo "ok   $target: ${runs:-?} runs in ${elapsed:-?} s ($(ls "$work" | wc -l) corpus entries)"
    echo ok >"$status/$target"
  else
    { echo "FAIL $target: see $log and $findings/"
      grep -m3 -E 'ERROR: (AddressSanitizer|LeakSanitizer|libFuzzer)|runtime error|SUMMARY' "$log" \
        | sed 's/^/     /' || true; }
    echo FAIL >"$status/$target"
  fi
}

status=$(mktemp -d)
trap 'rm -rf "$status"' EXIT
running=0
for row in "${table[@]}"; do
  read -r target format dict max_len <<<"$row"
  wanted "$target" || continue
  if ((running >= parallel)); then
    wait -n || true
    running=$((running - 1))
  fi
  run_one "$target" "$format" "$dict" "$max_len" &
  running=$((running + 1))
done
wait

failed=()
for target in "${targets[@]}"; do
  [[ $(cat "$status/$target" 2>/dev/null) == ok ]] || failed+=("$target")
done

if [[ ${#failed[@]} -gt 0 ]]; then
  echo "fuzz.sh: findings in ${failed[*]}" >&2
  exit 1
fi
