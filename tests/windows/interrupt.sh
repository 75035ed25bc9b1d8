#!/usr/bin/env bash
# Ctrl+C during a batch of tessaline-convert.exe: the output being written
# goes, the outputs already complete stay whole, and the converter ends with
# the status of a program stopped by Ctrl+C. Wine turns SIGINT into the
# console's Ctrl+C event; Ctrl+Break and closing the console take the same
# path in the converter, but Wine cannot produce them.
#   interrupt.sh LINUX-CONVERTER WINE-RUN CONVERTER.exe SCRATCH HOLD-FILE.exe MODEL-MAKER SOURCE-DIR
set -euo pipefail
linux=$1 wine_run=$2 exe=$3 scratch=$4 maker=$6
# STATUS_CONTROL_C_EXIT, 0xC000013A, as the low byte Wine gives a POSIX parent.
readonly kControlCExit=58

[ -x "$maker" ] || { echo "Error: no model maker at $maker: build the Linux build first (make build)" >&2; exit 1; }
rm -rf "$scratch" && mkdir -p "$scratch" && cd "$scratch"
# A million faces, 80 MB of model text: long enough to be caught writing.
"$maker" model.3ds --objects 16 --vertices 65535 >/dev/null
inputs=()
for i in $(seq 0 19); do ln model.3ds "$i.3ds" && inputs+=("$i.3ds"); done

"$wine_run" "$exe" -j 1 -d . "${inputs[@]}" 2>stderr &
converter=$!
# Until one output is complete and the next one is being written, a
# minute at most.
caught=false
for _ in $(seq 12000); do
    if [ -e 0.DTQ ] && compgen -G '.*.tmp' >/dev/null; then caught=true; break; fi
    kill -0 $converter 2>/dev/null || break
    sleep 0.005
done
kill -INT $converter 2>/dev/null || true
status=0
wait $converter || status=$?

failures=0
fail() { echo "FAIL: $*" >&2; failures=$((failures + 1)); }
$caught || fail "the batch was not caught writing an output after a complete one: $(ls -A)"
[ "$status" = $kControlCExit ] || fail "exit status $status instead of $kControlCExit (STATUS_CONTROL_C_EXIT)"
# A file deleted while open goes with its last handle. Windows closes a
# process's handles before its parent sees it end; Wine's server does so a
# moment after, so the file may take that moment to go.
for _ in $(seq 250); do compgen -G '.*.tmp' >/dev/null || break; sleep 0.02; done
left=$(compgen -G '.*.tmp' || true)
[ -z "$left" ] || fail "temporary files left: $left"
complete=0
mkdir linux
for output in *.DTQ; do
    [ -e "$output" ] || continue
    "$linux" -q -d linux "${output%.DTQ}.3ds"
    cmp -s "$output" "linux/$output" || fail "$output is not complete"
    complete=$((complete + 1))
done
[ $complete -ge 1 ] && [ $complete -lt ${#inputs[@]} ] || fail "$complete outputs complete of ${#inputs[@]}"
echo "interrupted with $complete of ${#inputs[@]} outputs complete, status $status, $failures failures"
[ $failures = 0 ]
