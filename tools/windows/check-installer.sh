#!/bin/sh
# Checks the Windows installer that make windows-installer wrote, as a user
# meets it, in a fresh Wine prefix:
#  - a silent install (/S) puts Puckdex under %LOCALAPPDATA%\Programs\Puckdex
#    without administrator rights, with its Start-menu entry and its entry
#    under Apps (the uninstall key of the user's registry);
#  - puckdex-cli.exe runs from there: writes the sample roster and exports it;
#  - the uninstaller removes the program, the entry and the key, and leaves
#    the user's settings, journals and backups and the game's files.
#
#   sh tools/windows/check-installer.sh SETUP.EXE
set -eu
SETUP=${1:?usage: check-installer.sh SETUP.EXE}
SETUP=$(cd "$(dirname "$SETUP")" && pwd)/$(basename "$SETUP")
top=$(cd "$(dirname "$0")/../.." && pwd)
work=$(mktemp -d)
trap 'WINEPREFIX="$work/wine" wineserver -k 2>/dev/null || true; rm -rf "$work"' EXIT
fail() {
    echo "windows-installer: $SETUP: $*" >&2
    exit 1
}

export WINEPREFIX="$work/wine"
. "$top/tools/windows/wine-env.sh"
sh "$top/tools/windows/wine-prefix.sh" >/dev/null
# A Windows folder as a path here.
unix() {
    winepath -u "$(wine cmd /c echo "$1" 2>/dev/null | tr -d '"\r')" 2>/dev/null
}
local_data=$(unix '%LOCALAPPDATA%')
start_menu=$(unix '%APPDATA%\Microsoft\Windows\Start Menu\Programs')
installed="$local_data/Programs/Puckdex"
key='HKCU\Software\Microsoft\Windows\CurrentVersion\Uninstall\Puckdex'

wine "$SETUP" /S >/dev/null 2>&1 || fail "the silent install failed"
wineserver -w
for needed in puckdex.exe puckdex-cli.exe uninstall.exe user-guide.html Qt6Core.dll \
    platforms/qwindows.dll images/main-window.png; do
    [ -f "$installed/$needed" ] || fail "installed no $needed in $installed"
done
[ -f "$start_menu/Puckdex.lnk" ] || fail "made no Start-menu entry in $start_menu"
wine reg query "$key" /v DisplayName 2>/dev/null | grep -q Puckdex \
    || fail "is not listed under Apps ($key)"
wine reg query "$key" /v UninstallString 2>/dev/null | grep -q 'uninstall.exe' \
    || fail "lists no uninstaller under Apps"

# Run from the installed place, on a roster in the user's own folders.
cli='C:\users\Public\NHL96'
wine "$installed/puckdex-cli.exe" sample "$cli" >/dev/null 2>&1 \
    || fail "the installed puckdex-cli.exe did not write the sample roster"
wine "$installed/puckdex-cli.exe" export "$cli" >"$work/export.csv" 2>"$work/err" \
    || { cat "$work/err" >&2; fail "the installed puckdex-cli.exe did not export"; }
[ -s "$work/export.csv" ] || fail "the installed puckdex-cli.exe exported nothing"

# What the user has that is not the program's: settings and a journal,
# and the roster.
mkdir -p "$local_data/Puckdex"
printf '[Puckdex]\r\nNHL96Path=C:\\users\\Public\\NHL96\r\n' >"$local_data/Puckdex/PUCKDEX.INI"
printf 'a journal line\n' >"$local_data/Puckdex/journal"
roster=$(cd "$(winepath -u "$cli")" && ls | LC_ALL=C sort | tr '\n' ' ')

# The uninstaller copies itself elsewhere and runs from there: wait for it.
wine "$installed/uninstall.exe" /S >/dev/null 2>&1 || fail "the silent uninstall failed"
wineserver -w
[ ! -e "$installed" ] || fail "the uninstaller left $(cd "$installed" && find . | tr '\n' ' ')"
[ ! -e "$start_menu/Puckdex.lnk" ] || fail "the uninstaller left the Start-menu entry"
if wine reg query "$key" >/dev/null 2>&1; then
    fail "the uninstaller left the entry under Apps"
fi
[ -f "$local_data/Puckdex/PUCKDEX.INI" ] && [ -f "$local_data/Puckdex/journal" ] \
    || fail "the uninstaller removed the user's settings or journal"
[ "$(cd "$(winepath -u "$cli")" && ls | LC_ALL=C sort | tr '\n' ' ')" = "$roster" ] \
    || fail "the uninstaller changed the game folder"
echo "windows-installer: checked; in a fresh Wine prefix it installs for the user without administrator rights, with a Start-menu entry and an entry under Apps, runs puckdex-cli.exe from there, and uninstalls leaving the user's settings and files"
