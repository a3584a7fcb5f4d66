#!/bin/sh
# make package: turns the build in BUILD (default build/) into
# BUILD/puckdex_<version>_<arch>.deb with CPack. CPack reads the library
# dependencies with dpkg-shlibdeps and finds the programs with file(1); both
# are installed here when missing, as they are needed by this target alone.
set -eu

BUILD=${1:-build}
TOOLS="dpkg-dev file"

if ! command -v dpkg-query >/dev/null 2>&1; then
    echo "package: not a Debian system; the Debian package needs dpkg-dev (see README for other systems)." >&2
    exit 1
fi
if [ ! -f "$BUILD/CPackConfig.cmake" ]; then
    echo "package: $BUILD/CPackConfig.cmake: not found; configure the build first (make build)." >&2
    exit 1
fi

sh tools/install-deps.sh $TOOLS

# A package left from an older version would be taken for this one.
rm -f "$BUILD"/puckdex_*.deb
log="$BUILD/cpack.log"
if ! (cd "$BUILD" && cpack -G DEB) >"$log" 2>&1; then
    cat "$log" >&2
    echo "package: cpack failed (log: $log)" >&2
    exit 1
fi

for deb in "$BUILD"/puckdex_*.deb; do
    if [ ! -f "$deb" ]; then
        echo "package: cpack reported success but wrote no $BUILD/puckdex_*.deb (log: $log)" >&2
        exit 1
    fi
    echo "package: wrote $deb"
    dpkg-deb --field "$deb" Package Version Architecture Depends
done
