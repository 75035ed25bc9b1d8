#!/bin/sh
# Takes the picture of the converter dialog shown in README.md: builds the
# small program that draws the dialog into a PNG file and runs it under a
# virtual X server, so no display is needed.
#
#   scripts/screenshot-dialog.sh [OUTPUT.png]
#
# BUILD_DIR names the CMake build folder (default: build).
set -eu

root=$(cd "$(dirname "$0")/.." && pwd)
build_dir=${BUILD_DIR:-$root/build}
output=${1:-$root/docs/dialog.png}

if ! command -v xvfb-run >/dev/null 2>&1; then
    echo "screenshot-dialog.sh: xvfb-run is missing (Debian package xvfb)" >&2
    exit 1
fi

cmake -S "$root" -B "$build_dir" >/dev/null
cmake --build "$build_dir" --target tessaline_dialog_screenshot -j2
mkdir -p "$(dirname "$output")"
# A fixed screen resolution, so that the dialog font has the same size in
# pixels on every machine.
xvfb-run -a -s "-screen 0 1024x768x24 -dpi 96" \
    "$build_dir/app/tessaline_dialog_screenshot" "$output"
echo "$output"
