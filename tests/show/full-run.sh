#!/bin/sh
# Plays the whole show in a real window on a private X server and checks that it ends by itself
# with status 0 and no device object left alive.
#   full-run.sh BIN_DIR            play untouched
#   full-run.sh BIN_DIR --disturb  resize, hide, show and refocus the window repeatedly while it plays
# A play runs about a minute plus what it spends paused; one still running after PLAY_LIMIT seconds
# (default 300) is ended and reported as a hang.
set -u
bin=$1
mode=${2:-}
play_limit=${PLAY_LIMIT:-300}
here=$(cd "$(dirname "$0")/.." && pwd)
log=$(mktemp)
trap 'rm -f "$log"' EXIT

export SDL_AUDIODRIVER=${SDL_AUDIODRIVER:-dummy}
export LP_NUM_THREADS=${LP_NUM_THREADS:-2}
export SHOW_REPORT_LIVE_OBJECTS=1

cd "$bin" || { echo "full-run: no folder $bin" >&2; exit 1; }

if [ "$mode" = "--disturb" ]; then
    # shellcheck disable=SC2016
    timeout -k 10 "$play_limit" "$here/with-x-server.sh" sh -c '
        . "$2/x-windows.sh"
        ./vexa-rhino 2>"$1" &
        show=$!
        if ! win=$(wait_for_window "Now Loading.*" 60 $show); then
            echo "full-run: no window titled Now Loading... on the display within 60 s" >&2
            kill $show 2>/dev/null
            wait $show
            exit 1
        fi
        for size in "800 600" "1400 800" "640 360" "1280 720"; do
            sleep 2
            xdotool windowsize "$win" $size 2>/dev/null
            sleep 2
            xdotool windowunmap "$win" 2>/dev/null
            sleep 1
            xdotool windowmap "$win" 2>/dev/null
            # Without a window manager nothing hands the focus back, and an inactive show
            # stands still, so give it back as a window manager would.
            sleep 1
            xdotool windowfocus "$win" 2>/dev/null
        done
        wait $show
    ' full-run "$log" "$here"
    status=$?
else
    timeout -k 10 "$play_limit" "$here/with-x-server.sh" ./vexa-rhino 2>"$log"
    status=$?
fi

cat "$log" >&2
if [ "$status" -eq 124 ] || [ "$status" -eq 137 ]; then
    echo "full-run: the show was still playing after $play_limit s (a hang)" >&2
    exit 1
fi
if [ "$status" -ne 0 ]; then
    echo "full-run: the show exited with status $status" >&2
    exit 1
fi
if ! grep -q "live device objects at exit: 0$" "$log"; then
    echo "full-run: device objects were left alive (or the count was not reported)" >&2
    exit 1
fi
echo "full-run: the show ended by itself, status 0, no device object alive"
