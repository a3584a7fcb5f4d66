#!/bin/sh
# Makes the private Wine prefix the Windows build's tests and programs run in
# (WINEPREFIX, or build-windows/wine), once: a Windows 10 prefix (Qt 6 wants
# 10; a fresh prefix says 7) with the fonts of Debian's fonts-wine, so that a
# window drawn by the windows platform has Tahoma instead of a serif face.
# Quick when the prefix is there.
#
#   sh tools/windows/wine-prefix.sh
set -eu
: "${WINEPREFIX:=$(pwd)/build-windows/wine}"
export WINEPREFIX
. "$(dirname "$0")/wine-env.sh"
[ -f "$WINEPREFIX/.puckdex-ready" ] && exit 0

echo "wine-prefix: making $WINEPREFIX (about 20 s, once)"
mkdir -p "$WINEPREFIX"
wineboot -i >/dev/null 2>&1
wine reg add 'HKCU\Software\Wine' /v Version /d win10 /f >/dev/null 2>&1
fonts="$WINEPREFIX/drive_c/windows/Fonts"
mkdir -p "$fonts"
for font in /usr/share/wine/fonts/*.ttf; do
    [ -f "$font" ] && cp "$font" "$fonts/"
done
wineserver -w
touch "$WINEPREFIX/.puckdex-ready"
