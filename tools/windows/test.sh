#!/bin/sh
# make test-windows: every test suite of the Windows build (build-windows, made
# by tools/windows/build.sh), run by CTest under Wine in a private prefix
# (build-windows/wine) on a private Xvfb display, with the offscreen platform
# for the window suites as on Linux.
#
#   sh tools/windows/test.sh [CTEST-ARGUMENT...]
set -eu
cd "$(dirname "$0")/../.."
BUILD=${WINDOWS_BUILD:-build-windows}
export WINEPREFIX="$(pwd)/$BUILD/wine"
. tools/windows/wine-env.sh

sh tools/install-deps.sh wine wine64 fonts-wine xvfb xauth
sh tools/windows/wine-prefix.sh

# One server and Wine's own services for the whole run, started before the
# suites: two suites that start them at once can hang each other.
status=0
xvfb-run -a -s "-screen 0 1280x1024x24" sh -c "
    wineserver -p 60 && wine cmd /c exit >/dev/null 2>&1
    cd '$BUILD' && ctest --output-on-failure --parallel 2 --timeout 240 $*" || status=$?
wineserver -k 2>/dev/null || true
exit $status
