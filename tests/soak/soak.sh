#!/bin/bash
# Plays the show several times in a row in one private X server while random window events
# (resize, minimize, restore, focus) are thrown at it from a fixed seed. Every run must end by
# itself with status 0 and no device object alive, and the peak memory of the later runs must
# not exceed the first run's by more than the allowed growth.
#   soak.sh BIN_DIR [RUNS] [EVENTS] [SEED]      defaults: 3 runs, 1000 events in all, seed 7
# SOAK_GROWTH_PERCENT (default 10) is the allowed growth of a run's peak RSS over the first run's.
set -u

bin=${1:?usage: soak.sh BIN_DIR [RUNS] [EVENTS] [SEED]}
runs=${2:-3}
events=${3:-1000}
seed=${4:-7}
growth=${SOAK_GROWTH_PERCENT:-10}

export SDL_AUDIODRIVER=${SDL_AUDIODRIVER:-dummy}
export LP_NUM_THREADS=${LP_NUM_THREADS:-2}
export SHOW_REPORT_LIVE_OBJECTS=1

fail() {
    echo "soak: $*" >&2
    exit 1
}

for tool in xvfb-run xdotool /usr/bin/time; do
    command -v "$tool" >/dev/null 2>&1 || fail "$tool is missing (packages xvfb, xdotool, time)"
done
[ -x "$bin/vexa-rhino" ] || fail "no program $bin/vexa-rhino"
case "$runs$events$seed" in *[!0-9]*) fail "runs, events and seed are whole numbers" ;; esac
[ "$runs" -ge 1 ] || fail "at least one run"

if [ "${SOAK_INNER:-}" = 1 ]; then
    work=$SOAK_WORK
else
    work=$(mktemp -d)
    trap 'rm -rf "$work"' EXIT
fi

# One run of the show with its share of the events. Runs inside the X server.
#   play_one RUN QUOTA  -> prints "injected N" on stdout; logs and the peak RSS land in $work
play_one() {
    local run=$1 quota=$2 sent=0 win="" show kind w h batch
    # A show that never ends is a failure, not a hang of the suite: timeout ends it (status 124).
    timeout -k 10 600 /usr/bin/time -f "%M" -o "$work/rss.$run" ./vexa-rhino 2>"$work/log.$run" &
    show=$!

    # The window appears once the show has built its device; give a loaded machine time.
    for _ in $(seq 1 600); do
        win=$(xdotool search --name "Now Loading" 2>/dev/null | head -n 1)
        [ -n "$win" ] && break
        kill -0 "$show" 2>/dev/null || break
        sleep 0.1
    done

    # Events go out in batches of up to eight per xdotool call: starting a process per event is
    # too slow on a loaded machine to fit a run's share into the show's length.
    while [ -n "$win" ] && [ "$sent" -lt "$quota" ] && kill -0 "$show" 2>/dev/null; do
        batch=()
        for _ in 1 2 3 4 5 6 7 8; do
            [ "$sent" -lt "$quota" ] || break
            kind=$((RANDOM % 10))
            if [ "$kind" -lt 5 ]; then
                w=$((200 + RANDOM % 1700))
                h=$((150 + RANDOM % 900))
                batch+=(windowsize "$win" "$w" "$h")
            elif [ "$kind" -lt 7 ]; then
                # Without a window manager an iconify request goes unanswered, so the window is
                # also unmapped, which is what a minimize looks like to the program; then restored.
                batch+=(windowminimize "$win" windowunmap "$win" sleep "0.0$((RANDOM % 10))"
                    windowmap "$win" windowfocus "$win")
            elif [ "$kind" -lt 9 ]; then
                batch+=(windowfocus "$win")
            else
                batch+=(windowmap "$win" windowfocus "$win")
            fi
            batch+=(sleep "0.0$((RANDOM % 5))")
            sent=$((sent + 1))
        done
        xdotool "${batch[@]}" 2>/dev/null
    done

    # An inactive show stands still: hand the focus back so it can play to its end.
    if [ -n "$win" ] && kill -0 "$show" 2>/dev/null; then
        xdotool windowmap "$win" 2>/dev/null
        xdotool windowfocus "$win" 2>/dev/null
    fi

    wait "$show"
    echo $? >"$work/status.$run"
    echo "injected $sent"
}

if [ "${SOAK_INNER:-}" = 1 ]; then
    cd "$bin" || exit 1
    RANDOM=$seed
    left=$events
    for run in $(seq 1 "$runs"); do
        # Events the show had no time for move on to the next run.
        quota=$(( (left + runs - run) / (runs - run + 1) ))
        sent=$(play_one "$run" "$quota" | sed -n 's/^injected //p')
        sent=${sent:-0}
        echo "$sent" >"$work/sent.$run"
        left=$((left - sent))
    done
    exit 0
fi

# Outer part: one private X server for all runs (this script again, inside it), then check
# what each run left behind.
SOAK_INNER=1 SOAK_WORK="$work" xvfb-run -a -s "-screen 0 1920x1080x24" \
    bash "$0" "$bin" "$runs" "$events" "$seed" || fail "the X server or the runner failed"

status_all=0
total=0
first_rss=""
printf '| run | status | live objects | events | peak RSS (MiB) |\n|---|---|---|---|---|\n'
for run in $(seq 1 "$runs"); do
    status=$(cat "$work/status.$run" 2>/dev/null || echo "?")
    live=$(sed -n 's/.*live device objects at exit: \([0-9-]*\)$/\1/p' "$work/log.$run" 2>/dev/null | tail -n 1)
    rss=$(grep -E '^[0-9]+$' "$work/rss.$run" 2>/dev/null | tail -n 1)
    sent=$(cat "$work/sent.$run" 2>/dev/null || echo 0)
    total=$((total + sent))
    printf '| %d | %s | %s | %d | %s |\n' "$run" "$status" "${live:-?}" "$sent" \
        "$([ -n "$rss" ] && awk -v k="$rss" 'BEGIN { printf "%.1f", k / 1024 }' || echo "?")"
    if [ "$status" != 0 ]; then
        echo "soak: run $run exited with status $status; its log:" >&2
        cat "$work/log.$run" >&2 2>/dev/null
        status_all=1
    fi
    if [ "${live:-}" != 0 ]; then
        echo "soak: run $run left device objects alive (or did not report them)" >&2
        status_all=1
    fi
    if [ -z "$rss" ]; then
        echo "soak: no peak RSS for run $run" >&2
        status_all=1
    elif [ -z "$first_rss" ]; then
        first_rss=$rss
    elif [ "$rss" -gt $((first_rss + first_rss * growth / 100)) ]; then
        echo "soak: run $run peaked at $rss KiB, more than ${growth}% over the first run's $first_rss KiB" >&2
        status_all=1
    fi
done
echo "soak: $runs runs, $total of $events window events injected, seed $seed"
[ "$status_all" = 0 ] && echo "soak: every run ended by itself with status 0, nothing alive, no growth"
exit "$status_all"
