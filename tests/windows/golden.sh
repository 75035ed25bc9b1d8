#!/usr/bin/env bash
# tessaline-convert.exe under Wine writes byte for byte what the Linux build
# writes, for the example and every packaged model of the formats both read
# (.3DS, OBJ, glTF, GLB): as stored, flipped, and as frames. Both converters
# run on the same inputs in batches, so Wine starts once per way; their exit
# statuses, messages and every file written must agree.
#   golden.sh LINUX-CONVERTER WINE-RUN CONVERTER.exe SOURCE-DIR SCRATCH-DIR
set -euo pipefail
linux=$1 wine_run=$2 exe=$3 source=$4 scratch=$5

[ -x "$linux" ] || { echo "Error: no Linux converter at $linux: build it first (make build)" >&2; exit 1; }
rm -rf "$scratch" && mkdir -p "$scratch/in"
cd "$scratch"

# Each model's folder is copied whole, for the files a model refers to
# (buffers, materials), into a numbered folder of its own; a model whose
# output name another model of that folder already takes gets another copy.
declare -A copy_of taken
inputs=()
copies=0
while IFS= read -r model; do
    folder=$(dirname "$model") name=$(basename "$model")
    stem=${name%.*}
    key=$folder
    while [ -n "${taken[$key/${stem,,}]:-}" ]; do key=$key+; done
    if [ -z "${copy_of[$key]:-}" ]; then
        copies=$((copies + 1))
        copy_of[$key]=$(printf %03d $copies)
        mkdir "in/${copy_of[$key]}"
        find "$folder" -maxdepth 1 -type f -exec cp {} "in/${copy_of[$key]}/" \;
    fi
    taken[$key/${stem,,}]=1
    inputs+=("${copy_of[$key]}/$name")
done < <(echo "$source/examples/ship.3ds"
         find /usr/share/assimp/models /usr/share/glmark2 -type f \
             \( -iname '*.3ds' -o -iname '*.obj' -o -iname '*.gltf' -o -iname '*.glb' \) 2>/dev/null | sort)
n=${#inputs[@]}
if [ "$n" -lt 50 ] && [ "${CI:-}" = true ]; then
    echo "Error: only $n models: install assimp-testmodels and glmark2-data" >&2
    exit 1
fi

failures=0
for way in plain --flip --frames; do
    options=()
    [ "$way" = plain ] || options=("$way")
    for system in linux windows; do
        # The outputs go beside the inputs, linked in, not copied.
        out=$system$way
        cp -rl in "$out"
        converter=("$linux")
        [ $system = linux ] || converter=("$wine_run" "$exe")
        # Relative paths, the same on both: Wine gives the program this
        # folder as its current one (on drive Z:).
        status=0
        (cd "$out" && "${converter[@]}" -j 2 "${options[@]}" "${inputs[@]}" 2>"../$out.err") || status=$?
        echo "$status" >"$out.status"
        sort "$out.err" >"$out.sorted"
    done
    written=$(find "linux$way" -newer in -type f -name '*.DTQ' | wc -l)
    failed=$(grep -c ': Error' "linux$way.sorted" || true)
    if ! cmp -s "linux$way.status" "windows$way.status" || ! diff -u "linux$way.sorted" "windows$way.sorted" ||
        ! diff -r "linux$way" "windows$way"; then
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
