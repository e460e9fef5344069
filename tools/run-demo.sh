#!/usr/bin/env bash
# Builds the suite and walks through fftool's Fastfile commands on a scratch Fastfile:
# new, add (with a nested folder), list, extract, replace, delete, list again.
set -euo pipefail

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$root"

step() { printf '\n== %s\n' "$*"; }

step "Configure and build (preset 'default')"
cmake --preset default
cmake --build --preset default

fftool="$root/build/bin/fftool"
work="$(mktemp -d "${TMPDIR:-/tmp}/fftool-demo-XXXXXX")"
trap 'rm -rf "$work"' EXIT

run() {
  printf '$ fftool'
  printf ' %q' "$@"
  printf '\n'
  "$fftool" "$@"
}

printf 'Hello from a loose file\n' > "$work/readme.txt"
printf 'RIM texture bytes' > "$work/alien.rim"
printf 'Another texture' > "$work/marine.rim"
printf 'A replaced texture, longer than before' > "$work/alien-v2.rim"

ffl="$work/demo.ffl"
step "Create an empty Fastfile"
run new "$ffl"
step "Add items, one in a nested folder"
run add "$ffl" 'readme.txt' "$work/readme.txt" \
  'graphics\aliens\alien.rim' "$work/alien.rim" \
  'graphics\marines\marine.rim' "$work/marine.rim"
step "List"
run list "$ffl"
step "Extract everything"
run extract "$ffl" "$work/out"
find "$work/out" -type f | sort
step "Replace an item"
run replace "$ffl" 'graphics\aliens\alien.rim' "$work/alien-v2.rim"
step "Delete an item"
run delete "$ffl" 'readme.txt'
step "List again"
run list "$ffl"
step "A Fastfile database says which Fastfile holds which folder"
run db add "$work/ffinfo.txt" 'graphics\aliens' demo.ffl
run db add "$work/ffinfo.txt" 'graphics\marines' demo.ffl
run db list "$work/ffinfo.txt"
run db find "$work/ffinfo.txt" 'GRAPHICS\Aliens\alien.rim'
step "Done"
