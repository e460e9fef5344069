#!/usr/bin/env bash
# Peak memory of importing a photo as a texture: `fftool texture import` beside ImageMagick's
# `convert -colors 256` (the peer, quantising the same picture to 256 colours), both measured
# by /usr/bin/time -v, for generated 1024- and 2048-pixel-square photos (plasma fractals, many
# colours like a photograph). Target: our peak at most 2x the peer's.
#   bench/import_memory.sh [BUILD_DIR=build]
set -euo pipefail
build=${1:-build}
fftool="$build/bin/fftool"
convert=${CONVERT:-convert}
[ -x "$fftool" ] || { echo "import_memory: build fftool first ($fftool)" >&2; exit 1; }
[ -x /usr/bin/time ] || { echo "import_memory: needs /usr/bin/time (Debian package time)" >&2; exit 1; }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export QUILLMARK_REGISTRY="$work/registry.ini"

peak() {  # the command's peak resident size in MiB
  /usr/bin/time -v "$@" 2>&1 >/dev/null | awk '/Maximum resident set size/ { printf "%.0f", $6 / 1024 }'
}

printf '%-8s %12s %16s %8s\n' side "fftool MiB" "ImageMagick MiB" ratio
for side in 1024 2048; do
  photo="$work/photo$side.bmp"
  "$convert" -seed 7 -size "${side}x$side" plasma:fractal -type TrueColor "BMP3:$photo"
  "$fftool" new "$work/photo$side.ffl" >/dev/null
  ours=$(peak "$fftool" texture import "$work/photo$side.ffl" 'graphics\photo.rim' "$photo")
  theirs=$(peak "$convert" "$photo" -colors 256 "$work/peer$side.bmp")
  printf '%-8s %12s %16s %8s\n' "$side" "$ours" "$theirs" "$(awk -v a="$ours" -v b="$theirs" 'BEGIN { printf "%.2fx", a / b }')"
done
