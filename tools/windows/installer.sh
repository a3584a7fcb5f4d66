#!/bin/sh
# make windows-installer: the Windows build made into
# build-windows/puckdex-VERSION-windows-x64-setup.exe by NSIS (Debian's nsis
# package), from the same install tree as the zip (dist/windows/puckdex.nsi
# says what it does), then checked by check-installer.sh: installed silently
# into a fresh Wine prefix, run from there, and uninstalled.
#
#   sh tools/windows/installer.sh
set -eu
cd "$(dirname "$0")/../.."
BUILD=${WINDOWS_BUILD:-build-windows}

sh tools/windows/build.sh
sh tools/install-deps.sh nsis
work="$BUILD/installer"
stage="$work/Puckdex"
rm -rf "$work"
mkdir -p "$stage"
cmake --install "$BUILD" --prefix "$stage" --strip >"$work/install.log" 2>&1 \
    || { cat "$work/install.log" >&2; echo "windows-installer: the install tree could not be made" >&2; exit 1; }
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$BUILD/CMakeCache.txt")

# What to install and, in reverse, what to remove: each file by name, so that
# the uninstaller takes away nothing else. (printf, not echo: a shell's echo
# may read "\t" in "images\template-window.png" as a tab.)
abs=$(cd "$stage" && pwd)
windows() {
    printf '%s' "$1" | tr / '\\'
}
(cd "$stage" && find . -type f | sed 's|^\./||' | LC_ALL=C sort) | while read -r file; do
    dir=$(dirname "$file")
    if [ "$dir" = . ]; then dir=""; else dir="\\$(windows "$dir")"; fi
    printf 'SetOutPath "$INSTDIR%s"\nFile "%s"\n' "$dir" "$abs/$file"
done >"$work/files.nsh"
{
    (cd "$stage" && find . -type f | sed 's|^\./||' | LC_ALL=C sort) | while read -r file; do
        printf 'Delete "$INSTDIR\\%s"\n' "$(windows "$file")"
    done
    (cd "$stage" && find . -mindepth 1 -type d | sed 's|^\./||' | LC_ALL=C sort -r) | while read -r dir; do
        printf 'RMDir "$INSTDIR\\%s"\n' "$(windows "$dir")"
    done
} >"$work/unfiles.nsh"

setup="$BUILD/puckdex-$version-windows-x64-setup.exe"
rm -f "$BUILD"/puckdex-*-windows-x64-setup.exe
makensis -V2 -DVERSION="$version" -DSTAGE="$abs" -DFILES="$(pwd)/$work/files.nsh" \
    -DUNFILES="$(pwd)/$work/unfiles.nsh" -DSIZE_KB="$(du -sk "$stage" | cut -f1)" \
    -DICON="$(pwd)/resources/icons/puckdex.ico" -DOUTFILE="$(pwd)/$setup" \
    dist/windows/puckdex.nsi >"$work/makensis.log" 2>&1 \
    || { cat "$work/makensis.log" >&2; echo "windows-installer: makensis failed" >&2; exit 1; }
echo "windows-installer: wrote $setup ($(du -k "$setup" | cut -f1) KiB)"

sh tools/install-deps.sh wine wine64
sh tools/windows/check-installer.sh "$setup"
