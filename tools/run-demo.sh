#!/usr/bin/env bash
# The main job: builds the suite, writes the built-in demo game (no real game needed), points
# a private registry store at it and starts TexBench ("Skinwright") on it.
#
#   tools/run-demo.sh [--no-build] [texbench arguments...]
#
# The demo game, the registry store and TexBench's desktop registration stay under
# build/demo/, so the user's own settings and game entry are left alone. Without a display
# the script shows the demo game through fftool instead and says how to start TexBench.
set -euo pipefail

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$root"

step() { printf '\n== %s\n' "$*"; }

build=1
if [[ ${1:-} == --no-build ]]; then
  build=0
  shift
fi
if ((build)); then
  step "Configure and build (preset 'default')"
  cmake --preset default
  cmake --build --preset default
fi

bin="$root/build/bin"
demo="$root/build/demo"
game="$demo/game"

# A private registry store: PackLib finds the game through its entry there, as it finds the
# real game's, and TexBench registers itself there instead of in the user's own store.
export QUILLMARK_REGISTRY="$demo/registry.ini"
export XDG_DATA_HOME="$demo/share"
rm -rf "$game" "$QUILLMARK_REGISTRY"
mkdir -p "$XDG_DATA_HOME"

step "Write the demo game to $game and name it in the registry store"
"$bin/make-demo-game" --register "$game"

step "The demo game's database and sounds, as fftool sees them"
"$bin/fftool" db list "$game/fastfile/ffinfo.txt"
"$bin/fftool" list "$game/fastfile/COMMON.FFL"

if [[ -z ${DISPLAY:-} && -z ${WAYLAND_DISPLAY:-} ]]; then
  step "No display here"
  echo "Start TexBench on a desktop with:"
  echo "  QUILLMARK_REGISTRY=$QUILLMARK_REGISTRY XDG_DATA_HOME=$XDG_DATA_HOME $bin/texbench"
  exit 0
fi

step "Start TexBench"
exec "$bin/texbench" "$@"
