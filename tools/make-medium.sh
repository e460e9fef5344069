#!/bin/sh
# Lays out an installation medium of the suite from a build: Setup with its Setup.ini, the
# uninstaller, the programs, the suite's shared libraries, the tips file and the icons, all in
# one folder, so that Setup started there installs the suite.
#
#     tools/make-medium.sh BUILD_DIR OUT_DIR
#
# Every program finds its libraries beside itself ($ORIGIN in its run path); the script
# refuses a build whose programs do not.
set -eu

if [ $# -ne 2 ]; then
    echo "usage: $0 BUILD_DIR OUT_DIR" >&2
    exit 2
fi
build=$1/bin
out=$2
here=$(cd "$(dirname "$0")" && pwd)

programs="texbench patchbench patchapply fftool uninstall"
libraries="libquillmark_files.so libquillmark_inidoc.so libquillmark_platform.so libPackLib.so libPatchLib.so"

missing=""
for file in $programs $libraries; do
    [ -f "$build/$file" ] || missing="$missing $file"
done
if [ -n "$missing" ]; then
    echo "$0: not built in $build:$missing" >&2
    exit 1
fi

mkdir -p "$out"
for file in $programs $libraries; do
    cp -p "$build/$file" "$out/$file"
done
# Setup itself is on the medium but not installed; it may not be built yet.
if [ -f "$build/setup" ]; then
    cp -p "$build/setup" "$out/setup"
    programs="$programs setup"
fi
cp "$here/medium/Setup.ini" "$out/Setup.ini"
cp "$here/../patchbench/KdzTips.cfg" "$out/KdzTips.cfg"
cp "$here/medium/icons/"*.svg "$out/"

if command -v readelf >/dev/null 2>&1; then
    for file in $programs $libraries; do
        if readelf -d "$out/$file" | grep -q 'NEEDED.*libquillmark_' &&
            ! readelf -d "$out/$file" | grep -q 'R.*PATH.*\$ORIGIN'; then
            echo "$0: $file does not look for its libraries beside itself (no \$ORIGIN)" >&2
            exit 1
        fi
    done
fi
echo "medium in $out"
