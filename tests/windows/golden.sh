#!/usr/bin/env bash
# tessaline-convert.exe under Wine writes byte for byte what the Linux build
# writes, for the example and every packaged .3DS model: as stored, flipped,
# and as frames. Both converters run on the same inputs in batches, so Wine
# starts once per way; their exit statuses, error lines and every file
# written must agree.
#   golden.sh LINUX-CONVERTER WINE-RUN CONVERTER.exe SOURCE-DIR SCRATCH-DIR
set -euo pipefail
linux=$1 wine_run=$2 exe=$3 source=$4 scratch=$5

[ -x "$linux" ] || { echo "Error: no Linux converter at $linux: build it first (make build)" >&2; exit 1; }
rm -rf "$scratch" && mkdir -p "$scratch/in"
# Numbered copies in one folder: the same name from two packages is two inputs.
n=0
while IFS= read -r model; do
    n=$((n + 1))
    cp "$model" "$scratch/in/$(printf %02d $n)-$(basename "$model")"
done < <(echo "$source/examples/ship.3ds"; find /usr/share/assimp/models /usr/share/glmark2 -iname '*.3ds' 2>/dev/null | sort)
if [ "$n" -lt 10 ] && [ "${CI:-}" = true ]; then
    echo "Error: only $n models: install assimp-testmodels and glmark2-data" >&2
    exit 1
fi

failures=0
for way in plain --flip --frames; do
    options=()
    [ "$way" = plain ] || options=("$way")
    for system in linux windows; do
        out="$scratch/$system$way"
        mkdir -p "$out"
        converter=("$linux")
        [ $system = linux ] || converter=("$wine_run" "$exe")
        # Relative paths, the same on both: Wine gives the program this
        # folder as its current one (on drive Z:).
        status=0
        (cd "$out" && "${converter[@]}" -j 2 "${options[@]}" -d . ../in/* 2>"../$system$way.err") || status=$?
        echo "$status" >"$scratch/$system$way.status"
        # The Windows converter joins -d's folder and a name with '\'.
        tr '\\' / <"$scratch/$system$way.err" | sort >"$scratch/$system$way.sorted"
    done
    written=$(find "$scratch/linux$way" -type f | wc -l)
    failed=$(grep -c ': Error' "$scratch/linux$way.sorted" || true)
    if ! cmp -s "$scratch/linux$way.status" "$scratch/windows$way.status" ||
        ! diff -u "$scratch/linux$way.sorted" "$scratch/windows$way.sorted" ||
        ! diff -r "$scratch/linux$way" "$scratch/windows$way"; then
        echo "FAIL $way: the Windows converter's status, messages or files differ from the Linux converter's" >&2
        failures=$((failures + 1))
    elif [ $((written + failed)) -lt "$n" ]; then
        echo "FAIL $way: only $written files and $failed errors from $n models" >&2
        failures=$((failures + 1))
    else
        echo "ok $way: $n models, $written files, $failed failed alike, the same bytes"
    fi
done
exit $failures
