#!/bin/sh
# `make run` opens a window. Before anything is built, make sure there is a
# display that really answers, not only a DISPLAY variable: Qt aborts when it
# cannot connect. Otherwise say in one line what to do, and fail.
#
#   sh tools/check-display.sh
#
# An X display is asked with xdpyinfo (x11-utils, installed here when missing
# and this is root); without it, a local display counts when its socket is
# there. A Wayland display counts when its socket is there and Qt has its
# Wayland platform. A QT_QPA_PLATFORM other than xcb or wayland (offscreen,
# vnc, ...) is the caller's choice and is let through.

FIX="run it from a desktop session, or without one as: xvfb-run -a make run"
command -v xvfb-run >/dev/null 2>&1 || FIX="$FIX (after apt-get install xvfb xauth)"

# The one line goes to standard output, which the Makefile turns into its
# own error; everything else (an install) goes to standard error.
fail() {
    echo "make run: $1; $FIX"
    exit 1
}

# The server of DISPLAY answers (and lets us in).
x_answers() {
    [ -n "${DISPLAY:-}" ] || return 1
    if ! command -v xdpyinfo >/dev/null 2>&1 && [ "$(id -u)" -eq 0 ]; then
        sh "$(dirname "$0")/install-deps.sh" x11-utils >&2
    fi
    if command -v xdpyinfo >/dev/null 2>&1; then
        # A remote display that drops packets would keep it waiting.
        timeout 10 xdpyinfo >/dev/null 2>&1
        return
    fi
    # No way to ask: a local display (":N", ":N.S", "unix:N") needs its socket.
    case "$DISPLAY" in
    :* | unix:*)
        number=${DISPLAY#*:}
        number=${number%%.*}
        [ -S "/tmp/.X11-unix/X$number" ]
        ;;
    *) return 0 ;;
    esac
}

qt_has_wayland() {
    for qtpaths in qtpaths6 /usr/lib/qt6/bin/qtpaths6; do
        if command -v "$qtpaths" >/dev/null 2>&1; then
            plugins=$("$qtpaths" --query QT_INSTALL_PLUGINS 2>/dev/null)
            [ -n "$plugins" ] && break
        fi
    done
    for plugin in "${plugins:-/nonexistent}"/platforms/libqwayland* /usr/lib/*/qt6/plugins/platforms/libqwayland*; do
        [ -e "$plugin" ] && return 0
    done
    return 1
}

# The compositor's socket is there and Qt can speak to it.
wayland_answers() {
    [ -n "${WAYLAND_DISPLAY:-}" ] || return 1
    case "$WAYLAND_DISPLAY" in
    /*) socket=$WAYLAND_DISPLAY ;;
    *) socket=${XDG_RUNTIME_DIR:-/nonexistent}/$WAYLAND_DISPLAY ;;
    esac
    [ -S "$socket" ] && qt_has_wayland
}

case "$(uname -s)" in
Linux | *BSD) ;;
*) exit 0 ;;
esac

# Qt tries the platforms of QT_QPA_PLATFORM in turn ("wayland;xcb"), each
# maybe with options ("xcb:..."); unset, it takes Wayland or X as it finds them.
platforms=${QT_QPA_PLATFORM:-}
[ -n "$platforms" ] || platforms="wayland;xcb"
why=""
rest="$platforms;"
while [ -n "$rest" ]; do
    platform=${rest%%;*}
    rest=${rest#*;}
    case "${platform%%:*}" in
    "") ;;
    xcb)
        x_answers && exit 0
        [ -n "${DISPLAY:-}" ] && why="${why:+$why, }no X server answers on DISPLAY=$DISPLAY"
        ;;
    wayland*)
        wayland_answers && exit 0
        [ -n "${WAYLAND_DISPLAY:-}" ] && why="${why:+$why, }no Wayland display Qt can use at WAYLAND_DISPLAY=$WAYLAND_DISPLAY"
        ;;
    *) exit 0 ;;
    esac
done

[ -n "$why" ] || why="no display to open the window on (DISPLAY and WAYLAND_DISPLAY are unset)"
[ -z "${QT_QPA_PLATFORM:-}" ] || why="$why, with QT_QPA_PLATFORM=$QT_QPA_PLATFORM"
fail "$why"
