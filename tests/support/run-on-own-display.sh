#!/bin/sh
# Runs a test program on an X display of its own, a private Xvfb that picks
# a free display number by itself, so that the program needs no turn on the
# display that the other window tests share.
#
#   run-on-own-display.sh PROGRAM [ARGUMENTS...]
set -u
folder=$(mktemp -d) || exit 1
xvfb=
finish() {
    if [ -n "$xvfb" ]; then
        kill "$xvfb" 2>/dev/null
        wait "$xvfb" 2>/dev/null
    fi
    rm -rf "$folder"
}
trap finish EXIT
trap 'exit 143' TERM INT HUP

Xvfb -displayfd 3 -screen 0 1280x800x24 -nolisten tcp 3>"$folder/display" 2>"$folder/log" &
xvfb=$!
tries=0
while [ ! -s "$folder/display" ]; do
    tries=$((tries + 1))
    if ! kill -0 "$xvfb" 2>/dev/null || [ $tries -gt 300 ]; then
        echo "run-on-own-display: Xvfb did not start:" >&2
        cat "$folder/log" >&2
        exit 1
    fi
    sleep 0.1
done
DISPLAY=:$(head -n 1 "$folder/display")
QT_QPA_PLATFORM=xcb
export DISPLAY QT_QPA_PLATFORM
"$@"
status=$?
exit $status
