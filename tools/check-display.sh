#!/bin/sh
# `make run` opens a window: say so plainly when there is nowhere to show it.
case "$(uname -s)" in
Linux | *BSD)
    if [ -z "$DISPLAY" ] && [ -z "$WAYLAND_DISPLAY" ] && [ -z "$QT_QPA_PLATFORM" ]; then
        echo "make run: no display (DISPLAY and WAYLAND_DISPLAY are unset); run it from a desktop session, or under xvfb-run." >&2
        exit 1
    fi
    ;;
esac
exit 0
