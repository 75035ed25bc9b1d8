#!/bin/sh
# Makes the build's Wine prefix if it is not there yet: make_prefix.sh WINE-RUN PREFIX.
# Making one takes Wine some seconds and many messages, which go to a log
# beside the prefix and are shown only when it fails.
set -eu
wine_run=$1
prefix=$2
[ -f "$prefix/system.reg" ] && exit 0
rm -rf "$prefix"
if ! "$wine_run" wineboot --init >"$prefix.log" 2>&1; then
    cat "$prefix.log" >&2
    echo "Error: Wine could not make its prefix $prefix" >&2
    exit 1
fi
# wineboot returns before the registry is written out.
WINEPREFIX=$prefix wineserver --wait
[ -f "$prefix/system.reg" ] || { cat "$prefix.log" >&2; echo "Error: no Wine prefix in $prefix" >&2; exit 1; }
