#!/usr/bin/env bash
# The performance comparison behind `make bench`, in one run on this machine:
#
#  1. builds tessaline-convert and the benchmark tools (Release) in BENCH_BUILD_DIR;
#  2. generates three scenes with our own generator: 16 objects of 32,768
#     vertices and 64,770 faces each (about 21 MB), with and without material
#     groups, and one object of 65,535 vertices and faces, the most it holds;
#  3. for each, times tessaline-convert, `assimp export SCENE.3ds SCENE.obj`
#     and the I/O floor (read the input, write as many bytes as our output,
#     the way the converter does both), in alternating rounds; prints
#     medians, the ratios and peak memory against 3 x (input + output);
#  3b. writes the scene with groups as .3DS, as OBJ and as glTF (buffer
#     embedded) and times tessaline-convert and `assimp export` on each;
#  3c. times a batch of 3,000 small files with the default -j and with -j 1
#     to 16: the default should be within 20 % of the best;
#  4. times the doubling series, 65,536 to 4,194,304 vertices in all (16
#     objects of 4,096 to 32,768 vertices, then 32, 64 and 128 objects of
#     32,768), and plots time against vertex count on log-log axes;
#  5. runs the Google Benchmark suites on the scene's shape: where the time goes.
#
# Results go to BENCH_BUILD_DIR/bench-results: summary.txt, series.dat,
# scaling.png, suites.txt. Exit status 1 when the scene without groups misses
# the targets (30 times faster than assimp, within 2.5 times the I/O floor,
# peak memory within the bound).
#
# Settings (environment): BENCH_BUILD_DIR (build-bench), BENCH_RUNS (5),
# BENCH_ASSIMP_RUNS (BENCH_RUNS), BENCH_SERIES_RUNS (5),
# BENCH_SKIP_SUITES=1 to leave out step 5, JOBS (nproc).
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."

BUILD_DIR=${BENCH_BUILD_DIR:-build-bench}
RUNS=${BENCH_RUNS:-5}
ASSIMP_RUNS=${BENCH_ASSIMP_RUNS:-$RUNS}
SERIES_RUNS=${BENCH_SERIES_RUNS:-5}
# objects:vertices per object; each step doubles the total vertex count.
SERIES_SHAPES="16:4096 16:8192 16:16384 16:32768 32:32768 64:32768 128:32768"
JOBS=${JOBS:-$(nproc)}

RESULTS="$BUILD_DIR/bench-results"
WORK="$BUILD_DIR/bench-work"
TOOLS="$BUILD_DIR/bench"
CONVERT="$BUILD_DIR/cli/tessaline-convert"

# --- helpers -----------------------------------------------------------------

# The median of the numbers on standard input, one a line.
median() {
    sort -g | awk '{ v[NR] = $1 } END { if (NR == 0) exit 1;
        if (NR % 2) print v[(NR + 1) / 2]; else printf "%.6f\n", (v[NR / 2] + v[NR / 2 + 1]) / 2 }'
}

# Runs a command once under the timer; appends wall seconds, CPU seconds
# (user and system) and peak kilobytes to the files $1.seconds, $1.cpu and
# $1.kb. Fails when the command fails.
time_once() {
    local record=$1
    shift
    local report
    report=$("$TOOLS/tessaline-time-command" --quiet -- "$@")
    local status=${report##*status=}
    if [[ $status != 0 ]]; then
        echo "Error: '$*' failed with status $status" >&2
        return 1
    fi
    local seconds=${report#seconds=}
    seconds=${seconds%% *}
    local cpu=${report#*cpu_seconds=}
    cpu=${cpu%% *}
    local kb=${report#*max_rss_kb=}
    kb=${kb%% *}
    echo "$seconds" >>"$record.seconds"
    echo "$cpu" >>"$record.cpu"
    echo "$kb" >>"$record.kb"
}

file_size() { stat -c %s "$1"; }

ratio() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.1f", a / b }'; }
megabytes() { awk -v b="$1" 'BEGIN { printf "%.1f", b / 1e6 }'; }
milliseconds() { awk -v s="$1" 'BEGIN { printf "%.0f", s * 1000 }'; }

describe_machine() {
    local cpu
    cpu=$(awk -F': ' '/^model name/ { print $2; exit }' /proc/cpuinfo)
    echo "Machine: ${cpu:-unknown CPU}, $(nproc) cores, $(awk '/^MemTotal/ { printf "%.0f GB", $2 / 1048576 }' /proc/meminfo) memory"
    echo "System: $(uname -sr), $(c++ --version | head -n 1), assimp-utils $(dpkg-query -W -f='${Version}' assimp-utils 2>/dev/null || echo '(version unknown)')"
    echo "Load average at start: $(cut -d ' ' -f 1-3 /proc/loadavg)"
}

# --- 1. build ----------------------------------------------------------------

command -v assimp >/dev/null || { echo "Error: assimp not found; install the Debian package assimp-utils" >&2; exit 1; }
command -v gnuplot >/dev/null || { echo "Error: gnuplot not found; install the Debian package gnuplot-nox" >&2; exit 1; }

cmake -S . -B "$BUILD_DIR" -DCMAKE_BUILD_TYPE=Release -DTESSALINE_BUILD_GUI=OFF -DTESSALINE_BUILD_BENCH=ON >/dev/null
cmake --build "$BUILD_DIR" -j "$JOBS" --target tessaline-convert tessaline-make-bench-model \
    tessaline-io-floor tessaline-time-command tessaline-bench >/dev/null

rm -rf "$WORK"
mkdir -p "$WORK" "$RESULTS"

# --- 2 and 3. the scenes and the comparison ---------------------------------

{
    describe_machine
    echo
} | tee "$RESULTS/summary.txt"

# Times one scene against assimp and the I/O floor and prints its table.
# Arguments: a label, then the generator's arguments. Sets SPEED_OK and
# MEMORY_OK (30 times assimp, within 2.5 times the floor, peak memory within
# 3 x (input + output)).
compare_scene() {
    local label=$1
    shift
    local SCENE="$WORK/$label.3ds"
    "$TOOLS/tessaline-make-bench-model" "$SCENE" "$@" >/dev/null
    local OURS_OUT="$WORK/$label.dtq" FLOOR_OUT="$WORK/floor.dtq" ASSIMP_OUT="$WORK/$label.obj"
    rm -f "$WORK"/ours.* "$WORK"/floor.* "$WORK"/assimp.*

    # One unmeasured run brings the input into the page cache and gives the
    # size of our output, which the floor writes.
    "$CONVERT" -q "$SCENE" -o "$OURS_OUT"
    local OUTPUT_BYTES INPUT_BYTES
    OUTPUT_BYTES=$(file_size "$OURS_OUT")
    INPUT_BYTES=$(file_size "$SCENE")

    echo "Timing $label: $RUNS rounds of tessaline-convert and the I/O floor, $ASSIMP_RUNS of assimp..." >&2
    for ((round = 1; round <= RUNS; round++)); do
        rm -f "$OURS_OUT" "$FLOOR_OUT" "$ASSIMP_OUT"
        time_once "$WORK/ours" "$CONVERT" "$SCENE" -o "$OURS_OUT"
        time_once "$WORK/floor" "$TOOLS/tessaline-io-floor" "$SCENE" "$FLOOR_OUT" "$OUTPUT_BYTES"
        if ((round <= ASSIMP_RUNS)); then
            time_once "$WORK/assimp" assimp export "$SCENE" "$ASSIMP_OUT"
        fi
    done
    local ASSIMP_OUTPUT_BYTES
    ASSIMP_OUTPUT_BYTES=$(file_size "$ASSIMP_OUT")

    local OURS_S FLOOR_S ASSIMP_S OURS_CPU FLOOR_CPU ASSIMP_CPU OURS_KB FLOOR_KB ASSIMP_KB BOUND_BYTES
    OURS_S=$(median <"$WORK/ours.seconds")
    FLOOR_S=$(median <"$WORK/floor.seconds")
    ASSIMP_S=$(median <"$WORK/assimp.seconds")
    OURS_CPU=$(median <"$WORK/ours.cpu")
    FLOOR_CPU=$(median <"$WORK/floor.cpu")
    ASSIMP_CPU=$(median <"$WORK/assimp.cpu")
    OURS_KB=$(sort -g "$WORK/ours.kb" | tail -n 1)
    FLOOR_KB=$(sort -g "$WORK/floor.kb" | tail -n 1)
    ASSIMP_KB=$(sort -g "$WORK/assimp.kb" | tail -n 1)
    BOUND_BYTES=$((3 * (INPUT_BYTES + OUTPUT_BYTES)))

    local ASSIMP_RATIO FLOOR_RATIO
    ASSIMP_RATIO=$(ratio "$ASSIMP_S" "$OURS_S")
    FLOOR_RATIO=$(ratio "$OURS_S" "$FLOOR_S")
    MEMORY_OK=$(awk -v kb="$OURS_KB" -v bound="$BOUND_BYTES" 'BEGIN { print (kb * 1024 < bound) ? "yes" : "no" }')
    SPEED_OK=$(awk -v a="$ASSIMP_S" -v o="$OURS_S" -v f="$FLOOR_S" 'BEGIN { print (a / o >= 30 && o / f <= 2.5) ? "yes" : "no" }')

    {
        echo "Scene $label ($*): input $(megabytes "$INPUT_BYTES") MB," \
            "our output $(megabytes "$OUTPUT_BYTES") MB, assimp's OBJ $(megabytes "$ASSIMP_OUTPUT_BYTES") MB"
        echo "Medians of $RUNS runs ($ASSIMP_RUNS for assimp); peak memory is the largest of the runs."
        echo
        printf '| %-44s | %9s | %13s | %14s |\n' "Run" "Time (ms)" "CPU time (ms)" "Peak memory MB"
        printf '|%s|%s|%s|%s|\n' "----------------------------------------------" "----------:" "--------------:" "---------------:"
        printf '| %-44s | %9s | %13s | %14s |\n' "tessaline-convert" "$(milliseconds "$OURS_S")" \
            "$(milliseconds "$OURS_CPU")" "$(megabytes $((OURS_KB * 1024)))"
        printf '| %-44s | %9s | %13s | %14s |\n' "assimp export (OBJ)" "$(milliseconds "$ASSIMP_S")" \
            "$(milliseconds "$ASSIMP_CPU")" "$(megabytes $((ASSIMP_KB * 1024)))"
        printf '| %-44s | %9s | %13s | %14s |\n' "I/O floor (read input, write output's size)" "$(milliseconds "$FLOOR_S")" \
            "$(milliseconds "$FLOOR_CPU")" "$(megabytes $((FLOOR_KB * 1024)))"
        echo
        if [[ $label == "$JUDGED_SCENE" ]]; then
            echo "assimp / tessaline-convert:     $ASSIMP_RATIO x faster  (target: at least 30)"
            echo "tessaline-convert / I/O floor:  $FLOOR_RATIO x the floor  (target: within 2.5)  $([[ $SPEED_OK == yes ]] && echo met || echo MISSED)"
        else
            echo "assimp / tessaline-convert:     $ASSIMP_RATIO x faster  (the targets apply to the scene $JUDGED_SCENE)"
            echo "tessaline-convert / I/O floor:  $FLOOR_RATIO x the floor"
        fi
        echo "  in CPU time: assimp / tessaline-convert $(ratio "$ASSIMP_CPU" "$OURS_CPU"), tessaline-convert / floor $(ratio "$OURS_CPU" "$FLOOR_CPU")"
        echo "peak memory: $(megabytes $((OURS_KB * 1024))) MB; bound 3 x (input + output) = $(megabytes "$BOUND_BYTES") MB  $([[ $MEMORY_OK == yes ]] && echo met || echo MISSED)"
        echo "Load average after the comparison: $(cut -d ' ' -f 1-3 /proc/loadavg)"
        echo
    } | tee -a "$RESULTS/summary.txt"
    rm -f "$ASSIMP_OUT" "$FLOOR_OUT" "$OURS_OUT" "$SCENE"
}

# The README's scene (one material group per object), the same without
# groups, and one object of the most faces an object holds, where the
# objects' threads cannot help. The targets are judged on the second.
JUDGED_SCENE=no-groups
compare_scene one-object --objects 1 --vertices 65535
compare_scene with-groups --objects 16 --vertices 32768
compare_scene no-groups --objects 16 --vertices 32768 --no-groups

# --- 3b. the scene in other formats --------------------------------------------

# The same objects as .3DS, OBJ and glTF files; each converted by us and
# exported to OBJ by assimp. A format this build does not read is reported,
# not timed.
FORMATS_SHAPE=(--objects 16 --vertices 32768)
echo "Timing the scene as .3DS, OBJ and glTF..." >&2
{
    echo "Formats: the scene with groups (${FORMATS_SHAPE[*]}) written as each format; medians of $RUNS runs ($ASSIMP_RUNS for assimp)"
    echo
    printf '| %-6s | %10s | %22s | %20s | %12s |\n' "Input" "Input MB" "tessaline-convert (ms)" "assimp export (ms)" "assimp / ours"
    printf '|%s|%s|%s|%s|%s|\n' "--------" "-----------:" "-----------------------:" "---------------------:" "-------------:"
} | tee -a "$RESULTS/summary.txt"
for format in 3ds obj gltf; do
    input="$WORK/formats.$format"
    "$TOOLS/tessaline-make-bench-model" "$input" "${FORMATS_SHAPE[@]}" >/dev/null
    rm -f "$WORK"/fmt-ours.* "$WORK"/fmt-assimp.*
    if ! "$CONVERT" -q "$input" -o "$WORK/formats.dtq" 2>"$WORK/formats.err"; then
        printf '| %-6s | %10s | %22s | %20s | %12s |\n' "$format" "$(megabytes "$(file_size "$input")")" \
            "not read: $(sed 's/.*: Error/Error/' "$WORK/formats.err" | cut -c 1-40)" "" "" | tee -a "$RESULTS/summary.txt"
        rm -f "$input"
        continue
    fi
    for ((round = 1; round <= RUNS; round++)); do
        rm -f "$WORK/formats.dtq" "$WORK/formats-assimp.obj"
        time_once "$WORK/fmt-ours" "$CONVERT" "$input" -o "$WORK/formats.dtq"
        if ((round <= ASSIMP_RUNS)); then
            time_once "$WORK/fmt-assimp" assimp export "$input" "$WORK/formats-assimp.obj"
        fi
    done
    OURS_S=$(median <"$WORK/fmt-ours.seconds")
    ASSIMP_S=$(median <"$WORK/fmt-assimp.seconds")
    printf '| %-6s | %10s | %22s | %20s | %12s |\n' "$format" "$(megabytes "$(file_size "$input")")" \
        "$(milliseconds "$OURS_S")" "$(milliseconds "$ASSIMP_S")" "$(ratio "$ASSIMP_S" "$OURS_S")" | tee -a "$RESULTS/summary.txt"
    rm -f "$input" "$WORK/formats.dtq" "$WORK/formats-assimp.obj"
done
echo | tee -a "$RESULTS/summary.txt"

# --- 3c. a batch of small files -----------------------------------------------

BATCH_FILES=${BENCH_BATCH_FILES:-3000}
BATCH="$WORK/batch"
mkdir -p "$BATCH"
for ((i = 0; i < BATCH_FILES; i++)); do cp examples/ship.3ds "$BATCH/ship$i.3ds"; done
echo "Timing a batch of $BATCH_FILES small files..." >&2
# Each run converts the whole batch; the outputs are removed between runs.
batch_run() {
    local record=$1
    shift
    rm -f "$BATCH"/*.DTQ
    time_once "$WORK/$record" "$CONVERT" -q "$@" "$BATCH"/*.3ds
}
BATCH_SETTINGS="default 1 2 4 8 16"
for ((round = 1; round <= RUNS; round++)); do
    for setting in $BATCH_SETTINGS; do
        if [[ $setting == default ]]; then batch_run batch-default; else batch_run "batch-j$setting" -j "$setting"; fi
    done
done
{
    echo "Batch: $BATCH_FILES copies of examples/ship.3ds, medians of $RUNS runs"
    echo
    printf '| %-10s | %9s |\n' "-j" "Time (ms)"
    printf '|%s|%s|\n' "------------" "----------:"
    BEST_S=""
    for setting in $BATCH_SETTINGS; do
        record=batch-j$setting
        [[ $setting == default ]] && record=batch-default
        seconds=$(median <"$WORK/$record.seconds")
        printf '| %-10s | %9s |\n' "$setting" "$(milliseconds "$seconds")"
        if [[ $setting != default ]] && { [[ -z $BEST_S ]] || awk -v a="$seconds" -v b="$BEST_S" 'BEGIN { exit !(a < b) }'; }; then
            BEST_S=$seconds
        fi
    done
    DEFAULT_S=$(median <"$WORK/batch-default.seconds")
    echo
    echo "default / best -j: $(awk -v a="$DEFAULT_S" -v b="$BEST_S" 'BEGIN { printf "%.2f", a / b }')  (aim: at most 1.20)"
    echo
} | tee -a "$RESULTS/summary.txt"
rm -rf "$BATCH"

# --- 4. the doubling series --------------------------------------------------

echo "Timing the doubling series ($SERIES_RUNS runs each)..." >&2
SERIES="$RESULTS/series.dat"
echo "# objects vertices faces input_bytes output_bytes seconds cpu_seconds floor_seconds floor_cpu_seconds" >"$SERIES"
for shape in $SERIES_SHAPES; do
    objects=${shape%%:*}
    vertices=${shape##*:}
    model="$WORK/series.3ds"
    output="$WORK/series.dtq"
    counts=$("$TOOLS/tessaline-make-bench-model" "$model" --objects "$objects" --vertices "$vertices")
    total_vertices=$(sed -E 's/.* ([0-9]+) vertices.*/\1/' <<<"$counts")
    total_faces=$(sed -E 's/.* ([0-9]+) faces.*/\1/' <<<"$counts")
    "$CONVERT" "$model" -o "$output" 2>/dev/null
    bytes_out=$(file_size "$output")
    rm -f "$WORK"/s.* "$WORK"/f.*
    for ((run = 1; run <= SERIES_RUNS; run++)); do
        time_once "$WORK/s" "$CONVERT" "$model" -o "$output"
        time_once "$WORK/f" "$TOOLS/tessaline-io-floor" "$model" "$WORK/floor.dtq" "$bytes_out"
    done
    echo "$objects $total_vertices $total_faces $(file_size "$model") $bytes_out" \
        "$(median <"$WORK/s.seconds") $(median <"$WORK/s.cpu") $(median <"$WORK/f.seconds") $(median <"$WORK/f.cpu")" \
        >>"$SERIES"
    rm -f "$model" "$output" "$WORK/floor.dtq"
done

# Least squares slope of log(time) against log(vertices) for the time in
# column $1, over the last $2 points: 1 is linear growth.
slope() {
    awk -v column="$1" -v points="$2" '!/^#/ { v[++n] = $2; t[n] = $column } END {
        for (i = n - points + 1; i <= n; i++) { x = log(v[i]); y = log(t[i]); sx += x; sy += y; sxx += x * x; sxy += x * y }
        printf "%.2f", (points * sxy - sx * sy) / (points * sxx - sx * sx) }' "$SERIES"
}
POINTS=$(awk '!/^#/ { n++ } END { print n }' "$SERIES")
WALL_SLOPE=$(slope 6 "$POINTS")
CPU_SLOPE=$(slope 7 "$POINTS")
WALL_UPPER_SLOPE=$(slope 6 5)
CPU_UPPER_SLOPE=$(slope 7 5)

{
    echo "Doubling series: $((POINTS - 1)) doublings of the vertex count (medians of $SERIES_RUNS runs)"
    echo
    printf '| %7s | %14s | %12s | %9s | %14s | %10s | %12s |\n' "Objects" "Vertices" "Faces" "Time (ms)" \
        "CPU time (ms)" "ns/vertex" "Floor (ms)"
    printf '|%s|%s|%s|%s|%s|%s|%s|\n' "--------:" "---------------:" "-------------:" "----------:" \
        "---------------:" "-----------:" "-------------:"
    awk '!/^#/ { printf "| %7d | %14d | %12d | %9.1f | %14.1f | %10.0f | %12.1f |\n",
        $1, $2, $3, $6 * 1000, $7 * 1000, $6 * 1e9 / $2, $8 * 1000 }' "$SERIES"
    echo
    echo "Slope of log(time) against log(vertices), 1 being linear growth:"
    echo "  wall-clock time $WALL_SLOPE over the whole series, $WALL_UPPER_SLOPE over its last four doublings;"
    echo "  CPU time $CPU_SLOPE over the whole series, $CPU_UPPER_SLOPE over its last four doublings."
    echo "A fixed cost (process start, syncing the file to disk) shows at the small end."
    echo
} | tee -a "$RESULTS/summary.txt"

gnuplot <<EOF
set terminal pngcairo size 800,560 font "DejaVu Sans,10"
set output "$RESULTS/scaling.png"
set title "tessaline-convert: time against size (medians of $SERIES_RUNS runs)"
set logscale xy 2
set xlabel "vertices (total)"
set ylabel "time (ms)"
set format x "%.0s%c"
set grid
set key top left
stats "$SERIES" using 2:(\$6 * 1000) nooutput
last_vertices = STATS_max_x
last_ms = STATS_max_y
plot "$SERIES" using 2:(\$6 * 1000) with linespoints pt 7 lw 2 title "tessaline-convert, wall-clock (slope $WALL_SLOPE)", \
     "$SERIES" using 2:(\$7 * 1000) with linespoints pt 9 lw 1 title "tessaline-convert, CPU (slope $CPU_SLOPE)", \
     "$SERIES" using 2:(\$8 * 1000) with linespoints pt 5 lw 1 title "I/O floor, wall-clock", \
     last_ms * x / last_vertices with lines dt 2 lc rgb "gray40" title "linear growth (slope 1)"
EOF
echo "Plot: $RESULTS/scaling.png" | tee -a "$RESULTS/summary.txt"

# --- 5. where the time goes --------------------------------------------------

if [[ ${BENCH_SKIP_SUITES:-0} != 1 ]]; then
    echo "Benchmark suites on the scene's shape (load, normals, writer, number formatting, whole run)..." >&2
    "$TOOLS/tessaline-bench" --benchmark_filter='objects:16/vertices:32768' --benchmark_min_time=0.5 \
        2>/dev/null | tee "$RESULTS/suites.txt"
fi

echo
echo "Results: $RESULTS/summary.txt"
[[ $SPEED_OK == yes && $MEMORY_OK == yes ]]
