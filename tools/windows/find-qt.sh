#!/bin/sh
# Finds the Qt for Windows that the cross build links, and prints its folder
# (the one holding lib/cmake/Qt6). Looks, in this order:
#   1. $PUCKDEX_QT_WINDOWS, when set (it must hold such a Qt);
#   2. a prebuilt copy, QT_TARBALL in ../shared/windows/ beside this checkout
#      (or beside the repository it was cloned from), unpacked once into the
#      cache folder;
#   3. the cache folder, ${XDG_CACHE_HOME:-~/.cache}/puckdex/QT_NAME;
#   4. none found: builds it there from Debian's qt6-base source with
#      tools/windows/build-qt.sh (root, and about half an hour).
#
#   sh tools/windows/find-qt.sh
set -eu
here=$(cd "$(dirname "$0")" && pwd)
top=$(cd "$here/../.." && pwd)
QT_NAME=qt6.4.2-mingw-w64-x86_64
QT_TARBALL=$QT_NAME.tar.xz
CACHE=${XDG_CACHE_HOME:-$HOME/.cache}/puckdex/$QT_NAME

is_qt() {
    [ -f "$1/lib/cmake/Qt6/Qt6Config.cmake" ] && [ -f "$1/bin/Qt6Core.dll" ]
}
say() {
    echo "find-qt: $*" >&2
}

if [ -n "${PUCKDEX_QT_WINDOWS:-}" ]; then
    is_qt "$PUCKDEX_QT_WINDOWS" || {
        say "PUCKDEX_QT_WINDOWS=$PUCKDEX_QT_WINDOWS holds no Qt 6 for Windows (lib/cmake/Qt6, bin/Qt6Core.dll)"
        exit 1
    }
    echo "$PUCKDEX_QT_WINDOWS"
    exit 0
fi

# The prebuilt copy: beside this checkout, or beside its origin when this is a
# clone of a local repository (as a clean clone for CI is).
origin=$(git -C "$top" config --get remote.origin.url 2>/dev/null || true)
for shared in "$top/../shared/windows" "${origin:+$origin/../shared/windows}"; do
    [ -n "$shared" ] && [ -f "$shared/$QT_TARBALL" ] || continue
    stamp="$CACHE/.unpacked-from-$(cksum < "$shared/$QT_TARBALL" | cut -d' ' -f1)"
    if [ ! -f "$stamp" ]; then
        say "unpacking $(cd "$shared" && pwd)/$QT_TARBALL into $CACHE"
        rm -rf "$CACHE" && mkdir -p "$CACHE"
        tar xJf "$shared/$QT_TARBALL" -C "$CACHE"
        touch "$stamp"
    fi
    is_qt "$CACHE/qt6-mingw" || { say "$shared/$QT_TARBALL holds no qt6-mingw/"; exit 1; }
    echo "$CACHE/qt6-mingw"
    exit 0
done

if is_qt "$CACHE/qt6-mingw"; then
    echo "$CACHE/qt6-mingw"
    exit 0
fi

say "no Qt for Windows found: building Qt 6.4.2 from Debian's source into $CACHE; this takes long (about 30 minutes on two cores), once"
sh "$here/build-qt.sh" "$CACHE/qt6-mingw" "$CACHE/work" >&2
is_qt "$CACHE/qt6-mingw" || { say "the Qt build left no Qt in $CACHE/qt6-mingw"; exit 1; }
rm -rf "$CACHE/work"
echo "$CACHE/qt6-mingw"
