#!/bin/sh
# Takes the picture of the Windows dialog shown in README.md: runs
# tessaline.exe under Wine on a virtual X server, so no display is needed, and
# saves its window with a small native tool of the Linux build.
#
#   scripts/screenshot-windows-dialog.sh TESSALINE.EXE [OUTPUT.png]
#
# BUILD_DIR names the Linux build folder (default: build); the Wine prefix is
# made in the folder of TESSALINE.EXE.
set -eu

root=$(cd "$(dirname "$0")/.." && pwd)
build_dir=${BUILD_DIR:-$root/build}
program=$1
output=${2:-$root/docs/windows-dialog.png}

if [ -z "${TESSALINE_INSIDE_XVFB:-}" ]; then
    for tool in xvfb-run xdotool wine; do
        command -v $tool >/dev/null 2>&1 || { echo "screenshot-windows-dialog.sh: $tool is missing" >&2; exit 1; }
    done
    cmake --build "$build_dir" --target tessaline_grab_window -j2 >/dev/null
    # A fixed screen resolution, so that the dialog font has the same size in
    # pixels on every machine.
    TESSALINE_INSIDE_XVFB=1 exec xvfb-run -a -s "-screen 0 1024x768x24 -dpi 96" sh "$0" "$@"
fi

export WINEPREFIX="${WINEPREFIX:-$(cd "$(dirname "$program")" && pwd)/wineprefix}"
export WINEDLLOVERRIDES="mscoree,mshtml=" WINEDEBUG=-all
wine "$program" & wine_pid=$!
window=$(timeout 60 xdotool search --sync --onlyvisible --name '^Tessaline$' | head -n 1)
sleep 1 # the controls paint after the window appears
mkdir -p "$(dirname "$output")"
"$build_dir/app/tessaline_grab_window" "$window" "$output"
# Esc closes the dialog, as "Cancel" does.
xdotool windowfocus --sync "$window" key Escape
timeout 20 tail --pid=$wine_pid -f /dev/null
echo "$output"
