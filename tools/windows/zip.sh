#!/bin/sh
# make windows-zip: the Windows build made into
# build-windows/puckdex-VERSION-windows-x64.zip by CPack: one folder with
# puckdex.exe, puckdex-cli.exe, the Qt and MinGW DLLs (stripped), the
# windows platform and style plugins, the licence, README and the user guide
# (cmake/WindowsRuntime.cmake). Unpacked anywhere, it runs as it is.
#
#   sh tools/windows/zip.sh
set -eu
cd "$(dirname "$0")/../.."
BUILD=${WINDOWS_BUILD:-build-windows}

sh tools/windows/build.sh
sh tools/install-deps.sh zip
rm -f "$BUILD"/puckdex-*-windows-x64.zip
log="$BUILD/cpack.log"
(cd "$BUILD" && cpack -G ZIP) >"$log" 2>&1 || { cat "$log" >&2; echo "windows-zip: cpack failed (log: $log)" >&2; exit 1; }
for zip in "$BUILD"/puckdex-*-windows-x64.zip; do
    [ -f "$zip" ] || { echo "windows-zip: cpack reported success but wrote no zip (log: $log)" >&2; exit 1; }
    echo "windows-zip: wrote $zip ($(du -k "$zip" | cut -f1) KiB)"
done
sh tools/install-deps.sh unzip wine wine64
for zip in "$BUILD"/puckdex-*-windows-x64.zip; do
    sh tools/windows/check-zip.sh "$zip"
done
