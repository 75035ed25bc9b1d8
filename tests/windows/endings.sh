#!/usr/bin/env bash
# How tessaline-convert.exe ends on Windows paths and files, under Wine: each
# row runs it in a fresh folder and checks the exit status, the one error
# line (its reason in Windows' words is left open), and the file written,
# which must hold what the Linux converter writes under the same name, or
# an earlier file kept as it was.
#   endings.sh LINUX-CONVERTER WINE-RUN CONVERTER.exe SCRATCH HOLD-FILE.exe MODEL-MAKER SOURCE-DIR
set -euo pipefail
linux=$1 wine_run=$2 exe=$3 scratch=$4 hold=$5 source=$7
ship=$source/examples/ship.3ds
rm -rf "$scratch" && mkdir -p "$scratch"
failures=0

# The path Wine gives a file of the build machine: drive Z: is /.
windows_path() { local path=${1//\//\\}; printf 'Z:%s' "$path"; }

fail() { echo "FAIL $row: $*" >&2; failures=$((failures + 1)); }

# begin NAME: a fresh folder with in/ship.3ds and out/, made current.
begin() {
    row=$1
    rows=$((rows + 1))
    folder=$scratch/$(printf %02d $rows)
    mkdir -p "$folder/in" "$folder/out"
    cp "$ship" "$folder/in/ship.3ds"
    cd "$folder"
}
rows=0

# run STATUS ERROR ARGS...: runs the converter; ERROR is the start of its one
# error line after "tessaline-convert: INPUT: ", or empty for none.
run() {
    local status=$1 error=$2
    shift 2
    local got=0
    "$wine_run" "$exe" "$@" >stdout 2>stderr <"${stdin:-/dev/null}" || got=$?
    [ "$got" = "$status" ] || fail "exit status $got instead of $status: $(cat stderr)"
    local errors
    errors=$(grep 'Error' stderr || true)
    if [ -z "$error" ]; then
        [ -z "$errors" ] || fail "unexpected error: $errors"
    elif [[ "$errors" != *"$error"* ]] || [ "$(grep -c Error stderr)" != 1 ]; then
        fail "expected one error line with '$error', got: $errors"
    fi
}

# written FILE NAME: FILE holds what the Linux converter writes for ship.3ds
# under the name NAME.
written() {
    mkdir -p linux && "$linux" -q -o "linux/$2" "$ship"
    cmp -s "$1" "linux/$(ls linux)" || fail "$1 is not what the Linux converter writes as $2"
    rm -rf linux
}

# kept FILE TEXT: FILE still holds TEXT.
kept() { [ "$(cat "$1")" = "$2" ] || fail "$1 was changed"; }

begin "a drive letter and '\\', the output beside the input"
run 0 "" "$(windows_path "$folder/in/ship.3ds")"
written in/ship.DTQ ship.DTQ

begin "-o with a drive letter and no extension"
run 0 "" -o "$(windows_path "$folder/out/drive")" "$(windows_path "$folder/in/ship.3ds")"
written out/drive.dtq drive.dtq

begin "both separators in relative paths"
mkdir out/sub
run 0 "" -o 'out/sub\mixed.dtq' 'in\ship.3ds'
written out/sub/mixed.dtq mixed.dtq

begin "-d with a folder ending in '\\'"
run 0 "" -d 'out\' in/ship.3ds
written out/ship.DTQ ship.DTQ
grep -qxF 'in/ship.3ds -> out\ship.DTQ' stderr || fail "no line 'in/ship.3ds -> out\\ship.DTQ': $(cat stderr)"

begin "a UTF-8 file name"
name='bâteau-Ωμέγα-日本'
cp in/ship.3ds "in/$name.3ds"
run 0 "" "in/$name.3ds"
written "in/$name.DTQ" "$name.DTQ"
grep -qxF "in/$name.3ds -> in/$name.DTQ" stderr || fail "the names are not UTF-8 on standard error: $(cat stderr)"

begin "a path of more than 300 characters"
long=in
for part in 1 2 3 4 5; do long=$long/$(printf "folder-$part-%.0s" {1..8}); done
mkdir -p "$long" && cp in/ship.3ds "$long/ship.3ds"
[ ${#folder} -gt 0 ] && [ $((${#folder} + ${#long})) -gt 300 ] || fail "the path is only $((${#folder} + ${#long})) characters"
run 0 "" "$(windows_path "$folder/$long/ship.3ds")"
written "$long/ship.DTQ" ship.DTQ

begin "an output another program holds open"
echo earlier >out/held.dtq
"$wine_run" "$hold" "$(windows_path "$folder/out/held.dtq")" "$(windows_path "$folder/release")" >held &
holder=$!
for _ in $(seq 3000); do [ -s held ] && break; sleep 0.02; done
[ -s held ] || fail "the file was not held"
run 1 "Error: Could not create Output file: out/held.dtq (" -o out/held.dtq in/ship.3ds
touch release && wait $holder
kept out/held.dtq earlier

begin "outputs that differ in letter case only"
mkdir in/upper && cp in/ship.3ds in/upper/SHIP.3ds
run 2 "Error: in/ship.3ds and in/upper/SHIP.3ds would both write " -d out in/ship.3ds in/upper/SHIP.3ds
[ -z "$(ls out)" ] || fail "files were written: $(ls out)"

begin "standard input and output, bytes unchanged"
stdin=in/ship.3ds run 0 "" -o - -
"$linux" -o - - <in/ship.3ds >linux.dtq
cmp -s stdout linux.dtq || fail "standard output differs from the Linux converter's"

begin "a wildcard, expanded by the program as cmd leaves it"
cp in/ship.3ds in/boat.3ds
run 0 "" -d out 'in\*.3ds'
written out/boat.DTQ boat.DTQ
written out/ship.DTQ ship.DTQ

begin "a preview picture, through the Windows build's encoder"
run 0 "" --preview-both --size 64 --preview out/ship.png in/ship.3ds
# The signature, then IHDR: 128 x 64, 8-bit RGB.
header=$(od -An -tx1 -N26 out/ship.png | tr -d ' \n')
[ "$header" = 89504e470d0a1a0a0000000d4948445200000080000000400802 ] || fail "not a 128 x 64 RGB PNG: $header"

begin "an input that is missing"
run 1 "Error: Could not open Input file: in/missing.3ds (" -o out/x.dtq in/missing.3ds

begin "an input that is a folder"
run 1 "Error: Could not open Input file: in (" -o out/x.dtq in

begin "an output folder that is missing"
run 1 "Error: Could not create Output file: missing/x.dtq (" -o missing/x.dtq in/ship.3ds

begin "a read-only output"
echo earlier >out/read-only.dtq && chmod 444 out/read-only.dtq
run 1 "Error: Could not create Output file: out/read-only.dtq (" -o out/read-only.dtq in/ship.3ds
kept out/read-only.dtq earlier

echo "$rows rows, $failures failed"
[ "$failures" = 0 ]
