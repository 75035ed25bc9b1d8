#!/bin/sh
# The Debian package as a user gets it: made by cpack, unpacked into a scratch
# root, both programs run from there and both manual pages read.
#   package_check.sh BUILD_DIR MODEL.3ds SCRATCH_DIR
set -eu
build=$1 model=$2 scratch=$3
fail() { echo "package check: $*" >&2; exit 1; }
rm -rf "$scratch" && mkdir -p "$scratch/root"

# A package folder of its own, so that this test and `make package` never race.
cpack --config "$build/CPackConfig.cmake" -B "$scratch" >"$scratch/cpack.log" 2>&1 ||
    { cat "$scratch/cpack.log"; fail "cpack failed"; }
deb=$(ls "$scratch"/tessaline_*.deb)
dpkg-deb -I "$deb" | grep -q '^ Depends: .*qt6-qpa-plugins.* libqt6widgets6' || fail "no Depends on Qt"
dpkg-deb -x "$deb" "$scratch/root"
usr=$scratch/root/usr
for file in applications/tessaline.desktop metainfo/tessaline.metainfo.xml \
    icons/hicolor/scalable/apps/tessaline.svg icons/hicolor/48x48/apps/tessaline.png \
    thumbnailers/tessaline.thumbnailer; do
    [ -s "$usr/share/$file" ] || fail "no $file"
done

cp "$model" "$scratch/ship.3ds"
"$usr/bin/tessaline-convert" "$scratch/ship.3ds" -o "$scratch/convert.dtq" || fail "tessaline-convert failed"
# Given an input, the dialog converts by itself and closes on success.
QT_QPA_PLATFORM=offscreen timeout 60 "$usr/bin/tessaline" "$scratch/ship.3ds" || fail "tessaline failed"
for output in convert.dtq ship.DTQ; do
    [ "$(head -n 1 "$scratch/$output")" = C3DModel ] || fail "$output is not a model text file"
done

# Each page reads without a warning and names its program and one of its options.
for page in tessaline:-flip tessaline-convert:--flip; do
    name=${page%%:*} text=$scratch/${page%%:*}.txt
    MANWIDTH=80 man --warnings -l -P cat "$usr/share/man/man1/$name.1.gz" >"$text" 2>"$text.err" ||
        fail "man cannot read $name.1.gz"
    [ ! -s "$text.err" ] || { cat "$text.err"; fail "warnings from $name.1.gz"; }
    sed -n '/^NAME$/{n;p;}' "$text" | grep -q "^ *$name - " || fail "$name.1.gz does not name $name"
    grep -q -e "${page#*:}" "$text" || fail "$name.1.gz does not tell of ${page#*:}"
done
