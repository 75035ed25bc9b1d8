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
    thumbnailers/tessaline.thumbnailer mime/packages/tessaline.xml; do
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

# Every type the desktop entry and the thumbnailer name is known to the MIME
# database once the package's own types join the system's, and a file of
# each format read is given its type. *.3ds and *.obj also name a game
# cartridge's image and a drawing program's file, which only a desktop that
# looks at the content tells apart (xdg-mime without one takes the first
# name): for those the database has to list our type for the name.
if command -v xdg-mime >/dev/null && command -v update-mime-database >/dev/null; then
    mkdir -p "$scratch/mime/packages" "$scratch/home"
    cp /usr/share/mime/packages/*.xml "$usr/share/mime/packages/tessaline.xml" "$scratch/mime/packages/"
    update-mime-database "$scratch/mime" >/dev/null 2>&1 || fail "update-mime-database failed"
    entry_types=$(sed -n 's/^MimeType=//p' "$usr/share/applications/tessaline.desktop")
    [ "$entry_types" = "$(sed -n 's/^MimeType=//p' "$usr/share/thumbnailers/tessaline.thumbnailer")" ] ||
        fail "the desktop entry and the thumbnailer name different types"
    for type in $(echo "$entry_types" | tr ';' ' '); do
        grep -q "^$type\$" "$scratch/mime/types" || fail "the MIME database does not know $type"
    done
    # The start of a file of each format, as exporters write it.
    mkdir -p "$scratch/samples"
    printf '{"asset": {"version": "2.0"}}\n' >"$scratch/samples/ship.gltf"
    printf 'glTF\002\000\000\000' >"$scratch/samples/ship.glb"
    printf 'Kaydara FBX Binary  \000' >"$scratch/samples/ship.fbx"
    printf '<?xml version="1.0"?>\n<COLLADA version="1.4.1"/>\n' >"$scratch/samples/ship.dae"
    printf 'ply\nformat ascii 1.0\n' >"$scratch/samples/ship.ply"
    printf 'solid ship\n' >"$scratch/samples/ship.stl"
    for sample in gltf:model/gltf+json glb:model/gltf-binary fbx:model/x-fbx \
        dae:model/vnd.collada+xml ply:model/x-ply stl:model/stl; do
        file=$scratch/samples/ship.${sample%%:*}
        type=$(XDG_DATA_HOME=$scratch/home XDG_DATA_DIRS=$scratch XDG_CURRENT_DESKTOP= DE=generic \
            xdg-mime query filetype "$file" 2>/dev/null)
        [ "$type" = "${sample#*:}" ] || fail "xdg-mime takes ship.${sample%%:*} for '$type', not ${sample#*:}"
        case " $entry_types" in *[\ \;]"${sample#*:};"*) ;; *) fail "the desktop entry lacks ${sample#*:}" ;; esac
    done
    for shared in image/x-3ds:3ds model/obj:obj; do
        grep -q ":${shared%%:*}:\*\.${shared#*:}\$" "$scratch/mime/globs2" || fail "no *.${shared#*:} for ${shared%%:*}"
    done
elif [ "${TESSALINE_REQUIRE_ALL_TESTS:-0}" = 1 ]; then
    fail "xdg-mime or update-mime-database is missing (xdg-utils, shared-mime-info)"
fi
