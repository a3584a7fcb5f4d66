#!/bin/sh
# Checks the Windows zip that make windows-zip wrote, as a user meets it:
#  - it holds what a Windows user needs, and no test, tool or debug library;
#  - every DLL an .exe or plugin in it imports is in it or is Windows' own;
#  - unpacked into a fresh Wine prefix, under a folder name with a space and
#    a non-ASCII letter, puckdex-cli.exe writes the sample roster and exports
#    it, and the CSV is byte for byte what the Linux build exports (when
#    build/bin/puckdex-cli is there);
#  - in a console, it takes a folder named with accents and shows accented
#    names as they are.
#
#   sh tools/windows/check-zip.sh ZIP
set -eu
ZIP=${1:?usage: check-zip.sh ZIP}
top=$(cd "$(dirname "$0")/../.." && pwd)
work=$(mktemp -d)
trap 'WINEPREFIX="$work/wine" wineserver -k 2>/dev/null || true; rm -rf "$work"' EXIT
fail() {
    echo "windows-zip: $ZIP: $*" >&2
    exit 1
}

unzip -q "$ZIP" -d "$work/unpacked"
folder=$(ls "$work/unpacked")
root="$work/unpacked/$folder"
for needed in puckdex.exe puckdex-cli.exe Qt6Core.dll Qt6Gui.dll Qt6Widgets.dll Qt6Network.dll \
    libstdc++-6.dll libgcc_s_seh-1.dll libwinpthread-1.dll platforms/qwindows.dll \
    styles/qwindowsvistastyle.dll LICENSE.txt README.md user-guide.html images/main-window.png; do
    [ -f "$root/$needed" ] || fail "$needed is missing"
done
stray=$(cd "$root" && find . -iname 'tst_*' -o -iname 'Qt6Test.dll' -o -iname '*render*' \
    -o -iname '*probe*' -o -iname '*bench*' -o -iname '*.a' -o -iname 'qoffscreen.dll')
[ -z "$stray" ] || fail "holds what no user needs: $stray"

# What Windows itself provides: the system's libraries and API sets.
system='^(kernel32|user32|gdi32|shell32|ole32|oleaut32|advapi32|comdlg32|msvcrt|ws2_32|winmm|imm32|uxtheme|dwmapi|d3d9|d3d11|dxgi|d2d1|dwrite|shcore|shlwapi|version|netapi32|userenv|mpr|crypt32|iphlpapi|dnsapi|bcrypt|secur32|wtsapi32|winhttp|mswsock|normaliz|setupapi|authz|ntdll|api-ms-win-.*)\.dll$'
find "$root" -iname '*.exe' -o -iname '*.dll' | while read -r binary; do
    x86_64-w64-mingw32-objdump -p "$binary" | sed -n 's/^\tDLL Name: //p' | while read -r dll; do
        echo "$dll" | tr 'A-Z' 'a-z' | grep -Eq "$system" && continue
        [ -f "$root/$dll" ] || fail "${binary#"$root"/} needs $dll, which it does not hold"
    done
done

# A fresh prefix, as on a machine that never saw Puckdex.
export WINEPREFIX="$work/wine"
. "$top/tools/windows/wine-env.sh"
sh "$top/tools/windows/wine-prefix.sh" >/dev/null
place="$WINEPREFIX/drive_c/users/Public/Spiele Zoë"
mkdir -p "$place"
cp -r "$root" "$place/"
cli="$place/$folder/puckdex-cli.exe"
wine "$cli" sample 'C:\users\Public\Spiele Zoë\NHL96' >/dev/null 2>&1 \
    || fail "puckdex-cli.exe sample did not run from a fresh prefix"
wine "$cli" export 'C:\users\Public\Spiele Zoë\NHL96' >"$work/windows.csv" 2>"$work/err" \
    || { cat "$work/err" >&2; fail "puckdex-cli.exe export did not run from a fresh prefix"; }
[ -s "$work/windows.csv" ] || fail "puckdex-cli.exe export wrote nothing"
# In a console, as in cmd (Wine makes a terminal one, with code page 437): a
# folder named with accents is found, and the players' accented names show
# as they are, not as their UTF-8 bytes read in the console's code page.
game='C:\users\Public\NHL 96 Öberg édition'
LANG=C.UTF-8 wine "$cli" sample "$game" >/dev/null 2>&1 \
    || fail "puckdex-cli.exe sample did not write into a folder named with accents"
# A name with a letter beyond ASCII, as a file gets it (UTF-8).
LANG=C.UTF-8 wine "$cli" players "$game" --team 0 >"$work/players.txt" 2>&1 \
    || { cat "$work/players.txt" >&2; fail "puckdex-cli.exe players did not take a folder named with accents"; }
accented=$(perl -ne 'if (/([A-Za-z]*[\x80-\xff]+[A-Za-z\x80-\xff]*)/) { print "$1\n"; exit }' "$work/players.txt")
[ -n "$accented" ] || fail "the sample's first team has no accented name to look for"
LANG=C.UTF-8 script -qec "wine '$cli' players '$game' --team 0" /dev/null >"$work/console.txt" 2>&1 \
    || { cat "$work/console.txt" >&2; fail "puckdex-cli.exe players did not run in a console"; }
grep -qF "$accented" "$work/console.txt" \
    || { cat "$work/console.txt" >&2; fail "puckdex-cli.exe players shows \"$accented\" garbled in a console"; }
if [ -x "$top/build/bin/puckdex-cli" ]; then
    "$top/build/bin/puckdex-cli" sample "$work/linux" >/dev/null
    "$top/build/bin/puckdex-cli" export "$work/linux" >"$work/linux.csv"
    cmp -s "$work/linux.csv" "$work/windows.csv" \
        || fail "puckdex-cli.exe export differs from the Linux build's (diff $work/linux.csv $work/windows.csv)"
    echo "windows-zip: checked; from a fresh Wine prefix puckdex-cli.exe exports the sample roster as the Linux build does"
else
    echo "windows-zip: checked; from a fresh Wine prefix puckdex-cli.exe exports the sample roster (no Linux build to compare with)"
fi
