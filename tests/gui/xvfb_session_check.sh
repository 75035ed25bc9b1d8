#!/bin/sh
# Runs the real desktop program on a virtual X server the way a person would:
# types the input and output paths into their boxes, presses Enter, and
# expects the dialog to close with the model text file written. Then takes
# the dialog's screenshot.
#
#   xvfb_session_check.sh TESSALINE SCREENSHOT_PROGRAM INPUT.3ds WORK_FOLDER
#
# Exits 77 (skipped) when xvfb-run or xdotool is not installed.
set -eu

tessaline=$1
screenshot_program=$2
input=$3
work=$4

if [ -z "${TESSALINE_INSIDE_XVFB:-}" ]; then
    for tool in xvfb-run xdotool; do
        command -v "$tool" >/dev/null 2>&1 || { echo "skipped: $tool is not installed"; exit 77; }
    done
    export TESSALINE_INSIDE_XVFB=1
    exec xvfb-run -a -s "-screen 0 1024x768x24 -dpi 96" sh "$0" "$@"
fi

rm -rf "$work"
mkdir -p "$work"
output="$work/typed.dtq"
unset QT_QPA_PLATFORM # the real X server, not the offscreen platform

"$tessaline" &
program=$!
trap 'kill $program 2>/dev/null || true' EXIT

window=
for _ in $(seq 100); do
    window=$(xdotool search --onlyvisible --name '^Tessaline$' 2>/dev/null | head -n 1 || true)
    [ -n "$window" ] && break
    sleep 0.1
done
[ -n "$window" ] || { echo "the dialog did not appear"; exit 1; }

# Without a window manager the dialog must be given the keyboard itself.
xdotool windowfocus --sync "$window"
sleep 0.3
# The focus starts on "Go"; the input box is two tab stops further on.
xdotool key --delay 50 Tab Tab
xdotool type --delay 5 "$input"
xdotool key --delay 50 Tab
xdotool type --delay 5 "$output"
xdotool key Return

for _ in $(seq 200); do
    kill -0 "$program" 2>/dev/null || break
    sleep 0.1
done
if kill -0 "$program" 2>/dev/null; then
    echo "the dialog is still open after Enter"
    exit 1
fi
trap - EXIT
wait "$program" || true

[ -f "$output" ] || { echo "no file at $output"; ls -la "$work"; exit 1; }
first_line=$(head -n 1 "$output")
[ "$first_line" = "C3DModel" ] || { echo "unexpected first line: $first_line"; exit 1; }
echo "converted: $output ($(wc -l <"$output") lines)"

"$screenshot_program" "$work/dialog.png"
[ -s "$work/dialog.png" ] || { echo "no screenshot"; exit 1; }
echo "screenshot: $work/dialog.png"
