#!/bin/sh
# The real program on a virtual X server, used as a person would: type the
# input and output paths, press Enter, expect the dialog gone and the file
# written; then the dialog's screenshot. Exits 77 (skipped) without the tools,
# or fails when TESSALINE_REQUIRE_ALL_TESTS is set.
#   xvfb_session_check.sh TESSALINE SCREENSHOT_PROGRAM INPUT.3ds WORK_FOLDER
set -eu
if [ -z "${TESSALINE_INSIDE_XVFB:-}" ]; then
    if ! command -v xvfb-run >/dev/null || ! command -v xdotool >/dev/null; then
        [ -z "${TESSALINE_REQUIRE_ALL_TESTS:-}" ] && exit 77
        echo "xvfb-run or xdotool is missing (packages xvfb, xdotool): run scripts/install-deps" >&2
        exit 1
    fi
    TESSALINE_INSIDE_XVFB=1 exec xvfb-run -a -s "-screen 0 1024x768x24" sh "$0" "$@"
fi
rm -rf "$4" && mkdir -p "$4" && unset QT_QPA_PLATFORM
"$1" & program=$!
window=$(timeout 20 xdotool search --sync --onlyvisible --name '^Tessaline$' | head -n 1)
# No window manager: the dialog must be given the keyboard. The focus starts
# on "Go"; the input box is two tab stops on.
xdotool windowfocus --sync "$window" sleep 0.3 key --delay 50 Tab Tab && xdotool type --delay 5 "$3"
xdotool key Tab && xdotool type --delay 5 "$4/typed.dtq" && xdotool key Return
timeout 20 tail --pid=$program -f /dev/null || { echo "the dialog is still open after Enter"; kill $program; exit 1; }
test "$(head -n 1 "$4/typed.dtq")" = C3DModel && "$2" "$4/dialog.png" && test -s "$4/dialog.png"
