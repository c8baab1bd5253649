#!/bin/bash
# Runs ./vexa-rhino of the working directory on the X server of $DISPLAY and answers it as a user
# would: every message box with Escape (No, or OK where that is the only button), and with --close,
# once no box is open, the show's own window with Escape after it has been up for two seconds.
# The program's output goes to stdout.txt and stderr.txt; its exit status is this script's.
#
# What will not come is not waited for until the case's time limit: a box the program announced
# on stderr (MessageBoxW writes every box's caption and text there before showing it) that is not
# on the screen within BOX_WAIT seconds (default 10), a box SDL could not show at all, the show's
# window not up within WINDOW_WAIT seconds (default 30), a show still loading LOAD_WAIT seconds
# (default 120) after its window came up, or a show still running CLOSE_WAIT seconds (default 60)
# after its window got Escape while the show ran. Each ends the run at once, with a line in
# waited.txt naming what was waited for.
#
# Escape is held for a second and a half at a time from the window's third second on, loading or
# not: the show asks whether the key is down once a frame, and a frame under the sanitizers on a
# busy machine takes longer than a tap. What the show ends within is counted from its first frame
# (the frame rate in the window's title), since loading there takes half a minute on its own.
#
# With --term-at-box, the first box gets no answer: the show gets SIGTERM instead, and must be gone
# within BOX_WAIT seconds.
#   drive-window.sh [--close | --term-at-box]
set -u

. "$(dirname "$0")/../x-windows.sh"

close=0
term_at_box=0
[ "${1:-}" = --close ] && close=1
[ "${1:-}" = --term-at-box ] && term_at_box=1
box_wait=${BOX_WAIT:-10}
window_wait=${WINDOW_WAIT:-30}
load_wait=${LOAD_WAIT:-120}
close_wait=${CLOSE_WAIT:-60}
# The captions of the program's boxes: Windows' default one, and the failure report's.
boxes='Error|Unexpected error encountered'

./vexa-rhino >stdout.txt 2>stderr.txt &
show=$!
started=$SECONDS

give_up() {
    echo "$*" >waited.txt
    kill -TERM "$show" 2>/dev/null
    sleep 2
    kill -KILL "$show" 2>/dev/null
    wait "$show" 2>/dev/null
    exit 3
}

# Lines of stderr.txt up to the last one written before a box was answered: announcements after
# them are of boxes still to come.
answered_upto=0
pending_since=""
window=""
running_at=""
while kill -0 "$show" 2>/dev/null; do
    lines=$(wc -l <stderr.txt)
    failed=$(grep -m1 '^(message box failed: ' stderr.txt)
    [ -z "$failed" ] || give_up "a message box could not be shown on the display: $failed"

    open=$(windows_titled "$boxes")
    if [ -n "$open" ] && [ "$term_at_box" = 1 ]; then
        kill -TERM "$show"
        for _ in $(seq $((box_wait * 5))); do
            kill -0 "$show" 2>/dev/null || break
            sleep 0.2
        done
        kill -0 "$show" 2>/dev/null && give_up "the show was still running $box_wait s after SIGTERM with a box open"
        break
    fi
    if [ -n "$open" ]; then
        answered_upto=$lines
        pending_since=""
        for box in $open; do
            timeout 5 xdotool windowfocus --sync "$box" key Escape 2>/dev/null
        done
        sleep 0.2
        continue
    fi

    announced=$(tail -n +"$((answered_upto + 1))" stderr.txt | grep -m1 -E "^($boxes): ")
    if [ -n "$announced" ]; then
        [ -n "$pending_since" ] || pending_since=$SECONDS
        if [ $((SECONDS - pending_since)) -ge "$box_wait" ]; then
            give_up "the box announced on stderr as \"$announced\" was not on the display within $box_wait s"
        fi
    elif [ "$close" = 1 ]; then
        if [ -z "$window" ]; then
            window=$(windows_titled "Now Loading.*" | head -n 1)
            window_at=$SECONDS
            if [ -z "$window" ] && [ $((SECONDS - started)) -ge "$window_wait" ]; then
                give_up "the show's window (\"Now Loading...\") was not on the display within $window_wait s"
            fi
        elif [ $((SECONDS - window_at)) -ge 2 ]; then
            timeout 5 xdotool windowfocus --sync "$window" keydown Escape 2>/dev/null
            sleep 1.5
            timeout 5 xdotool keyup Escape 2>/dev/null
            if [ -z "$running_at" ] && [ -n "$(windows_titled "Now Loading.*FPS: .*")" ]; then
                running_at=$SECONDS
            fi
            if [ -n "$running_at" ] && [ $((SECONDS - running_at)) -ge "$close_wait" ]; then
                give_up "the show did not end within $close_wait s of Escape on its running window"
            fi
            if [ -z "$running_at" ] && [ $((SECONDS - window_at)) -ge "$load_wait" ]; then
                give_up "the show was still loading $load_wait s after its window came up"
            fi
        fi
    fi
    sleep 0.2
done
wait "$show"
