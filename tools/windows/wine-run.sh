#!/bin/sh
# Runs one Windows program of the cross build under Wine, as CTest's
# emulator (cmake/windows-toolchain.cmake) and by hand:
#
#   sh tools/windows/wine-run.sh PROGRAM.exe [ARG...]
#
# WINEPREFIX must be a prefix that tools/windows/wine-prefix.sh made; the
# program needs an X display even on the offscreen platform (Wine's event
# loop makes a hidden window), so run it under Xvfb. Wine hands a program
# none of the QT_* variables, but takes WINEQT_* as QT_*: each QT_* variable
# is passed on that way. Unix paths in PUCKDEX_INI and QT_QPA_FONTDIR become
# Windows paths (Z: is the root of the Unix file system).
set -eu
: "${WINEPREFIX:?set WINEPREFIX to a prefix made by tools/windows/wine-prefix.sh}"
. "$(dirname "$0")/wine-env.sh"

windows_path() {
    case "$1" in
        /*) printf 'Z:%s' "$1" | tr / '\\' ;;
        *) printf '%s' "$1" ;;
    esac
}

[ -z "${PUCKDEX_INI:-}" ] || PUCKDEX_INI=$(windows_path "$PUCKDEX_INI")
: "${QT_QPA_FONTDIR:=/usr/share/fonts/truetype/dejavu}"
QT_QPA_FONTDIR=$(windows_path "$QT_QPA_FONTDIR")
export QT_QPA_FONTDIR
for name in $(env | sed -n 's/^\(QT_[A-Za-z0-9_]*\)=.*/\1/p'); do
    eval "export WINE$name=\"\$$name\""
done
# QtTest and qDebug write to Windows' debug log unless told otherwise.
export WINEQT_FORCE_STDERR_LOGGING=1

exec wine "$@"
