#!/bin/sh
# tessaline.exe under Wine on a virtual X server, started as Explorer or a
# shortcut would start it: with a model's path, and with the option in each
# of its spellings. Each start must convert by itself, close the dialog, exit
# 0 and leave the very bytes the Linux build writes (the golden files).
#   wine_dialog_check.sh TESSALINE.EXE INPUT.3ds GOLDEN_DIR WORK_FOLDER
set -eu
if [ -z "${TESSALINE_INSIDE_XVFB:-}" ]; then
    TESSALINE_INSIDE_XVFB=1 exec xvfb-run -a -s "-screen 0 1024x768x24" sh "$0" "$@"
fi
program=$1 input=$2 golden=$3 work=$4
mkdir -p "$work"
export WINEPREFIX="$work/wineprefix" WINEDLLOVERRIDES="mscoree,mshtml=" WINEDEBUG=-all
# option | golden file: '/' marks the option as '-' does; any other spelling
# leaves flipping off.
failures=0
for row in "|ship.dtq" "-flip|ship_flipped.dtq" "/flip|ship_flipped.dtq" "-FLIP|ship.dtq"; do
    option=${row%|*} expected=${row#*|}
    # The model takes the golden file's name, which its texture name follows.
    name=${expected%.dtq}
    rm -rf "$work/models" && mkdir -p "$work/models" && cp "$input" "$work/models/$name.3ds"
    # Wine's drive Z: is the root folder; a Unix path would begin with '/',
    # which marks an option on Windows.
    path="Z:$(printf '%s' "$work/models/$name.3ds" | tr / '\\')"
    status=0
    timeout 120 wine "$program" "$path" $option >/dev/null 2>&1 || status=$?
    if [ $status -ne 0 ] || ! cmp -s "$work/models/$name.DTQ" "$golden/$expected"; then
        printf '%s\n' "tessaline.exe $path $option: exit status $status, $name.DTQ differs from $expected" >&2
        failures=$((failures + 1))
    fi
done
exit $failures
