#!/usr/bin/env bash
# make test-package: installs BUILD/puckdex_*.deb on this machine with apt-get,
# as a user would, and tries what the package promises. First the package as
# a distribution judges it: lintian must report no error and no warning, and
# the AppStream data must pass appstreamcli's pedantic validation. Then, once
# installed: both programs start from PATH (the window on a real X server, Xvfb), the program opens a roster
# and makes its backups, the desktop entry and the AppStream data validate,
# the icons and manual pages are in place. Then `apt-get remove` must take
# every file away again. The package is removed on every way out, also when a
# check fails; a machine that already had puckdex installed is left alone.
#
# Needs root (it installs into /usr). Its own tools (lintian, appstream,
# desktop-file-utils, Xvfb, xdotool, x11-utils) are installed when missing.
set -uo pipefail

BUILD=${1:-build}
APP_ID=io.github.puckdex.puckdex
TOOLS="lintian appstream desktop-file-utils file xvfb xauth x11-utils xdotool"
SOURCE_DIR=$(cd "$(dirname "$0")/.." && pwd)

say() { echo "test-package: $*"; }
die() {
    echo "test-package: $*" >&2
    exit 1
}

[ "$(id -u)" -eq 0 ] || die "must run as root: it installs the package into /usr and removes it again"
debs=("$BUILD"/puckdex_*.deb)
[ -f "${debs[0]}" ] || die "$BUILD/puckdex_*.deb: not found; run make package first"
[ "${#debs[@]}" -eq 1 ] || die "$BUILD: more than one puckdex_*.deb; run make package again"
deb=${debs[0]}

installed() { dpkg-query -W -f='${Status}' puckdex 2>/dev/null | grep -q "install ok installed"; }
if installed; then
    die "puckdex is already installed on this machine; this test installs and removes it, so remove it first (apt-get remove puckdex)"
fi

export DEBIAN_FRONTEND=noninteractive
missing=""
for p in $TOOLS; do
    dpkg-query -W -f='${Status}\n' "$p" 2>/dev/null | grep -q "install ok installed" || missing="$missing $p"
done
if [ -n "$missing" ]; then
    say "installing$missing"
    apt-get update -qq && apt-get install -y -qq --no-install-recommends $missing >/dev/null \
        || die "apt-get could not install$missing"
fi

scratch=$(mktemp -d "${TMPDIR:-/tmp}/puckdex-test-package.XXXXXX")
chmod 755 "$scratch"
we_installed=0
pids=()
cleanup() {
    for pid in "${pids[@]}"; do
        kill "$pid" 2>/dev/null
    done
    if [ "$we_installed" -eq 1 ] && installed; then
        say "removing the package"
        apt-get remove -y -qq puckdex >/dev/null 2>&1 || echo "test-package: apt-get remove puckdex failed; remove it by hand" >&2
    fi
    rm -rf "$scratch"
}
trap cleanup EXIT
trap 'exit 130' INT TERM

passed=0
failed=0
# check NAME COMMAND...: runs the command quietly; on failure shows its output.
check() {
    local name=$1
    shift
    if "$@" >"$scratch/check.log" 2>&1; then
        echo "PASS $name"
        passed=$((passed + 1))
    else
        echo "FAIL $name"
        sed 's/^/    /' "$scratch/check.log"
        failed=$((failed + 1))
    fi
}

# Everything the programs see of "home" lies in the scratch folder, their
# instance lock too: the test never reads or writes the settings of the user
# running it, nor meets a Puckdex that user has open.
home=$scratch/home
mkdir -p "$home/run" "$home/tmp"
chmod 700 "$home/run"
user_env=(env -u PUCKDEX_INI -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM
    HOME="$home" XDG_CONFIG_HOME="$home/.config" XDG_DATA_HOME="$home/.local/share"
    XDG_CACHE_HOME="$home/.cache" XDG_RUNTIME_DIR="$home/run" TMPDIR="$home/tmp")

# apt reads local packages as its own unprivileged user, and lintian runs as
# one too.
cp "$deb" "$scratch/"
chmod 644 "$scratch/$(basename "$deb")"

# --- The package as a distribution judges it --------------------------------

# Every tag down to the informational ones is shown; errors and warnings fail.
lintian_clean() {
    local own=$scratch/lintian
    mkdir -p "$own"
    chown nobody "$own"
    setpriv --reuid=nobody --regid=nogroup --clear-groups \
        env HOME="$own" TMPDIR="$own" \
        lintian --fail-on error,warning --display-level ">=info" "$scratch/$(basename "$deb")"
}
check "lintian: no error and no warning" lintian_clean

# The newest changelog entry is this version.
changelog_names_the_version() {
    local version top
    version=$(dpkg-deb --field "$deb" Version)
    top=$(dpkg-deb --fsys-tarfile "$deb" | tar -xOf - ./usr/share/doc/puckdex/changelog.gz | gzip -dc | head -n 1)
    echo "$top"
    [[ $top == "puckdex ($version) "* ]]
}
check "the changelog's newest entry is the package's version" changelog_names_the_version

# --- Installing -------------------------------------------------------------

install_deb() {
    apt-get install -y -qq "$scratch/$(basename "$deb")" \
        || { apt-get update -qq && apt-get install -y -qq "$scratch/$(basename "$deb")"; }
}
say "installing $deb"
we_installed=1
check "apt-get installs $(basename "$deb")" install_deb
installed || die "the package did not install; nothing more to try"
dpkg-query -L puckdex | while read -r path; do [ -d "$path" ] || echo "$path"; done >"$scratch/files"

# --- The package's own data -------------------------------------------------

field() { dpkg-query -W -f="\${$1}" puckdex; }
check "section is utils" test "$(field Section)" = utils
depends_on() { field Depends | tr ',' '\n' | grep -q "^ *$1\b"; }
check "dependencies read from the programs (libqt6widgets6)" depends_on libqt6widgets6
check "depends on the layout's font (fonts-dejavu-core)" depends_on fonts-dejavu-core
check "has a description" test -n "$(field Description)"

# --- The programs start from PATH -------------------------------------------

check "puckdex is on PATH" test "$(command -v puckdex)" = /usr/bin/puckdex

# Without a display of its own the program waits in its first window until
# the timeout ends it (124); any other ending means it failed to start.
still_running_after() {
    local seconds=$1
    shift
    "${user_env[@]}" "$@" &
    local pid=$!
    pids+=("$pid")
    sleep "$seconds"
    if ! kill -0 "$pid" 2>/dev/null; then
        wait "$pid"
        echo "ended with status $? within $seconds s"
        return 1
    fi
    kill "$pid"
    wait "$pid" 2>/dev/null
    return 0
}
check "puckdex starts (offscreen platform)" still_running_after 3 QT_QPA_PLATFORM=offscreen puckdex

# On a real X server: the first window (the game-folder window, "Puckdex")
# appears; OK on a folder holding a roster opens the editor, which makes the
# backup copies first. Backups are on by default.
game=$scratch/game
if command -v puckdex-cli >/dev/null 2>&1; then
    "${user_env[@]}" puckdex-cli sample "$game" >/dev/null 2>&1
elif [ -x "$BUILD/bin/puckdex-cli" ]; then
    "$BUILD/bin/puckdex-cli" sample "$game" >/dev/null 2>&1
fi
mkdir -p "$home/.config/Puckdex"
printf '[Puckdex]\r\nNHL96Path=%s\r\n' "$game" >"$home/.config/Puckdex/PUCKDEX.INI"

cat >"$scratch/x-session.sh" <<'EOF'
# Runs inside xvfb-run: start the program, find its window, press OK.
set -u
puckdex &
pid=$!
trap 'kill $pid 2>/dev/null' EXIT
window=$(timeout 20 xdotool search --sync --onlyvisible --name '^Puckdex$' | head -n 1)
if [ -z "$window" ]; then
    echo "no window titled Puckdex appeared within 20 s"
    exit 1
fi
echo "window $window: $(xwininfo -id "$window" | grep -E 'Width|Height' | tr -s ' ' | tr '\n' ' ')"
# OK sits 8 pixels in, below the folder list, drive list, Browse... and the
# check box (its designed place: the window opens at its designed size).
xdotool mousemove --window "$window" 80 196 click 1
for _ in $(seq 1 100); do
    [ -f "$GAME/att.bak" ] && break
    sleep 0.2
done
[ -f "$GAME/att.bak" ] || { echo "no backup copies after OK"; exit 1; }
# The editor is the larger of the program's windows.
for _ in $(seq 1 50); do
    for w in $(xdotool search --onlyvisible --name '^Puckdex$'); do
        width=$(xwininfo -id "$w" | awk '/Width:/ {print $2}')
        if [ "${width:-0}" -gt 400 ]; then
            echo "editor window $w, $width pixels wide"
            exit 0
        fi
    done
    sleep 0.2
done
echo "the editor window did not appear"
exit 1
EOF
opens_the_roster() {
    [ -f "$game/teams.db" ] || { echo "no sample roster in $game"; return 1; }
    "${user_env[@]}" GAME="$game" xvfb-run -a -s "-screen 0 1024x768x24" bash "$scratch/x-session.sh" || return 1
    for f in teams key att; do
        cmp "$game/$f.db" "$game/$f.bak" || return 1
    done
}
check "puckdex opens a roster on an X server and backs it up" opens_the_roster

if [ -f "$SOURCE_DIR/src/cli/CMakeLists.txt" ] || command -v puckdex-cli >/dev/null 2>&1; then
    check "puckdex-cli is on PATH" test "$(command -v puckdex-cli)" = /usr/bin/puckdex-cli
    version=$(field Version)
    cli_version() { "${user_env[@]}" puckdex-cli --version | grep -F " $version"; }
    check "puckdex-cli --version names $version" cli_version

    # A roster exported and imported unchanged stays the same to the byte.
    round_trip() {
        local roster=$scratch/roundtrip
        "${user_env[@]}" puckdex-cli sample "$roster" || return 1
        cp -r "$roster" "$roster.orig"
        "${user_env[@]}" puckdex-cli teams "$roster" || return 1
        "${user_env[@]}" puckdex-cli check "$roster" || return 1
        "${user_env[@]}" puckdex-cli export "$roster" --output "$scratch/roster.csv" || return 1
        "${user_env[@]}" puckdex-cli import "$roster" "$scratch/roster.csv" --dry-run || return 1
        "${user_env[@]}" puckdex-cli import "$roster" "$scratch/roster.csv" --no-backup || return 1
        diff -r "$roster.orig" "$roster"
    }
    check "puckdex-cli: sample, teams, check, export and import unchanged" round_trip
fi

# --- Desktop integration ----------------------------------------------------

check "desktop-file-validate accepts the desktop entry" \
    desktop-file-validate "/usr/share/applications/$APP_ID.desktop"
# Pedantic validation. No network here, so the screenshot and homepage URLs
# are not fetched. Not even a hint is accepted.
appstream_pedantic() {
    local out status
    out=$(appstreamcli validate --pedantic --no-net "$1" 2>&1)
    status=$?
    echo "$out"
    [ "$status" -eq 0 ] || return 1
    ! grep -qE '^[EWIP]: ' <<<"$out"
}
check "appstreamcli validate --pedantic: no error, warning, info or hint" \
    appstream_pedantic "/usr/share/metainfo/$APP_ID.metainfo.xml"
icons_in_place() {
    local size
    for size in 16 32 48 64 128 256; do
        file "/usr/share/icons/hicolor/${size}x${size}/apps/$APP_ID.png" | grep -q "$size x $size" || return 1
    done
    test -s "/usr/share/icons/hicolor/scalable/apps/$APP_ID.svg"
}
check "icons in the hicolor theme (16 to 256 and scalable)" icons_in_place

# A path that dpkg is told not to unpack (slim images drop manuals and docs).
excluded_by_dpkg() {
    local pattern
    while read -r pattern; do
        # shellcheck disable=SC2053
        [[ $1 == $pattern ]] && return 0
    done < <(cat /etc/dpkg/dpkg.cfg.d/* 2>/dev/null | sed -n 's/^path-exclude[= ]*//p')
    return 1
}
manuals_in_place() {
    local page
    for page in /usr/share/man/man1/puckdex.1.gz /usr/share/doc/puckdex/user-guide.md \
        /usr/share/doc/puckdex/user-guide.html /usr/share/doc/puckdex/copyright; do
        if excluded_by_dpkg "$page"; then
            echo "skipped $page (excluded by this machine's dpkg configuration)"
        else
            test -s "$page" || { echo "$page: missing"; return 1; }
        fi
    done
    if ! excluded_by_dpkg /usr/share/man/man1/puckdex.1.gz; then
        for page in /usr/share/man/man1/puckdex*.1.gz; do
            gzip -t "$page" || return 1
        done
    fi
}
check "manual pages, user guide and copyright in place" manuals_in_place

# --- Removing ---------------------------------------------------------------

say "removing the package"
check "apt-get remove puckdex" apt-get remove -y -qq puckdex
gone() {
    if installed; then
        echo "dpkg still lists puckdex as installed"
        return 1
    fi
    local left=0 path
    while read -r path; do
        if [ -e "$path" ]; then
            echo "left behind: $path"
            left=1
        fi
    done <"$scratch/files"
    [ -s "$scratch/files" ] && [ "$left" -eq 0 ]
}
check "every file of the package is gone" gone
hash -r
check "puckdex is no longer on PATH" test -z "$(command -v puckdex)"

echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
