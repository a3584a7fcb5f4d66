#!/bin/sh
# Installs the Debian packages the build needs, when some are missing.
# Quiet and quick when everything is there. On a system without dpkg it only
# says so: install Qt 6.4 or later, CMake and a C++20 compiler by hand.
#
#   sh tools/install-deps.sh [PACKAGE...]
#
# Packages given as arguments (what make fuzz, make bench and make package
# need beyond the build) are checked and installed along with the build's.

PACKAGES="g++ make cmake ninja-build qt6-base-dev qt6-base-dev-tools libgl-dev fonts-dejavu-core"
# The checkers tst_install runs over the desktop entry, AppStream data and manual pages.
PACKAGES="$PACKAGES appstream desktop-file-utils groff-base"
# setpriv, with which tst_faults runs a write as an ordinary user.
PACKAGES="$PACKAGES util-linux"
# universal-ctags, with which the code_size test finds every function and its lines.
PACKAGES="$PACKAGES universal-ctags"
# cmark-gfm, which makes the user guide into the page F1 opens.
PACKAGES="$PACKAGES cmark-gfm"
PACKAGES="$PACKAGES $*"

if ! command -v dpkg-query >/dev/null 2>&1; then
    echo "install-deps: not a Debian system, skipping the package check (see README)."
    exit 0
fi

missing=""
for p in $PACKAGES; do
    dpkg-query -W -f='${Status}\n' "$p" 2>/dev/null | grep -q "install ok installed" \
        || missing="$missing $p"
done
[ -z "$missing" ] && exit 0

if [ "$(id -u)" -ne 0 ]; then
    echo "install-deps: missing packages:$missing; run as root: apt-get install$missing" >&2
    exit 1
fi

echo "install-deps: installing$missing"
export DEBIAN_FRONTEND=noninteractive
apt-get update -qq && apt-get install -y -qq --no-install-recommends $missing >/dev/null || {
    echo "install-deps: apt-get could not install$missing" >&2
    exit 1
}
