#!/bin/bash
# SIGINT and SIGTERM close a playing show as Escape does: it ends within seconds with status 130 or
# 143 and no device object left alive. Headless, so no display is needed.
#   signal-close.sh BIN_DIR
set -u
bin=$1
export SDL_AUDIODRIVER=dummy LP_NUM_THREADS=${LP_NUM_THREADS:-2} SHOW_REPORT_LIVE_OBJECTS=1
cd "$bin" || { echo "signal-close: no folder $bin" >&2; exit 1; }
log=$(mktemp)
trap 'rm -f "$log"' EXIT
failures=0
for signal in INT:130 TERM:143; do
    name=${signal%:*} expected=${signal#*:}
    SHOW_STARTUP_TIMES=1 env -u DISPLAY -u WAYLAND_DISPLAY ./vexa-rhino 2>"$log" &
    show=$!
    # Its handlers are in place before the first start-up step is reported; then it is playing once
    # it answers SIGUSR1 with its state.
    for _ in $(seq 200); do
        grep -q 'start-up' "$log" && break
        sleep 0.1
    done
    for _ in $(seq 200); do
        kill -USR1 "$show" 2>/dev/null
        grep -q 'state: running' "$log" && break
        sleep 0.1
    done
    kill -"$name" "$show"
    for _ in $(seq 200); do
        kill -0 "$show" 2>/dev/null || break
        sleep 0.1
    done
    if kill -0 "$show" 2>/dev/null; then
        echo "FAIL: SIG$name: the show still runs 20 s later" >&2
        kill -KILL "$show"
    fi
    wait "$show"
    status=$?
    [ "$status" = "$expected" ] || { echo "FAIL: SIG$name: status $status, expected $expected" >&2; failures=$((failures + 1)); }
    grep -q 'live device objects at exit: 0$' "$log" ||
        { echo "FAIL: SIG$name: $(tail -n 3 "$log")" >&2; failures=$((failures + 1)); }
done
[ "$failures" = 0 ] || exit 1
echo "signal-close: SIGINT and SIGTERM close the show in order (130, 143)"
