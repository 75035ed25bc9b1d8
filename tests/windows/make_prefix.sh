#!/bin/sh
# Readies Wine for the tests: make_prefix.sh WINE-RUN PREFIX [stop].
# Makes the build's prefix if it is not there yet, then starts Wine's server
# and the services of its session once, with their messages in a log beside
# the prefix: a service started later, by a test's program, would write its
# messages among that program's. With "stop", ends the server.
set -eu
wine_run=$1
prefix=$2
log=$prefix.log
if [ "${3:-}" = stop ]; then
    WINEPREFIX=$prefix wineserver -k 2>/dev/null || true
    exit 0
fi
if [ ! -f "$prefix/system.reg" ]; then
    rm -rf "$prefix"
    if ! "$wine_run" wineboot --init >"$log" 2>&1; then
        cat "$log" >&2
        echo "Error: Wine could not make its prefix $prefix" >&2
        exit 1
    fi
    # wineboot returns before the registry is written out.
    WINEPREFIX=$prefix wineserver --wait
    [ -f "$prefix/system.reg" ] || { cat "$log" >&2; echo "Error: no Wine prefix in $prefix" >&2; exit 1; }
fi
# The server stays for a minute after its last program, across the tests.
WINEPREFIX=$prefix wineserver -p60 </dev/null >>"$log" 2>&1
"$wine_run" wineboot >>"$log" 2>&1 </dev/null
