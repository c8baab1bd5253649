#!/bin/bash
# Plays the show several times in a row in one private X server while random window events
# (resize, minimize, restore, focus) are thrown at it from a fixed seed. Every run must end by
# itself with status 0 and no device object alive, must not hold more memory after its events than
# before them by more than SOAK_GROWTH_MIB (default 64; measured once the show runs, before the first
# event, and after the last one, both at 1280x720), and the peak memory of the later runs must not
# exceed the first run's by more than SOAK_GROWTH_PERCENT (default 25).
#   soak.sh BIN_DIR [RUNS] [EVENTS] [SEED]      defaults: 3 runs, 1000 events in all, seed 7
# The shows run with a fixed malloc mmap threshold, so that buffers they free go back to the system
# and resident memory says what they hold. With glibc's moving threshold the freed targets of
# hundreds of resizes stay in the heap: resident memory then grew by 110 MiB over 1,500 events with
# nothing leaked (25 MiB with the fixed threshold), and the peaks, set at start-up where textures
# decode on several threads at once, varied by a quarter from run to run even without events. With
# the fixed threshold, on a busy machine, plays grew by 8 to 45 MiB over their 333 events (the first
# frames of the second scene take about 25 of them), once by 74 MiB measured right after the window
# came back to its size (hence the least of several looks), and peaked between 358 and 404 MiB; a
# resize that kept its old targets would add some 20 MiB each time.
# SOAK_PLAY_LIMIT (default 300) is the seconds one play may take. A play runs about a minute plus the
# time it spends paused; one that overruns is reported with what the show says it is doing (asked
# with SIGUSR1: running or paused and why, the beat reached), the window's state in the X server and
# the last events sent, and is then killed.
set -u

bin=${1:?usage: soak.sh BIN_DIR [RUNS] [EVENTS] [SEED]}
runs=${2:-3}
events=${3:-1000}
seed=${4:-7}
growth=${SOAK_GROWTH_MIB:-64}
growth_percent=${SOAK_GROWTH_PERCENT:-25}
play_limit=${SOAK_PLAY_LIMIT:-300}

export SDL_AUDIODRIVER=${SDL_AUDIODRIVER:-dummy}
export LP_NUM_THREADS=${LP_NUM_THREADS:-2}
export SHOW_REPORT_LIVE_OBJECTS=1
export MALLOC_MMAP_THRESHOLD_=131072

fail() {
    echo "soak: $*" >&2
    exit 1
}

. "$(dirname "$0")/../x-windows.sh"

for tool in Xvfb xdotool /usr/bin/time; do
    command -v "$tool" >/dev/null 2>&1 || fail "$tool is missing (packages xvfb, xdotool, time)"
done
[ -x "$bin/vexa-rhino" ] || fail "no program $bin/vexa-rhino"
case "$runs$events$seed$play_limit$growth$growth_percent" in *[!0-9]*) fail "runs, events, seed, the play limit and the growth are whole numbers" ;; esac
[ "$runs" -ge 1 ] || fail "at least one run"

if [ "${SOAK_INNER:-}" = 1 ]; then
    work=$SOAK_WORK
else
    work=$(mktemp -d)
    trap 'rm -rf "$work"' EXIT
fi

# Asks the show what it is doing (SIGUSR1: it writes one "state:" line on stderr) and prints the
# answer, or says that none came: a show stuck inside a frame never gets back to the loop that answers.
#   ask_state PID RUN
ask_state() {
    local pid=$1 run=$2 before line
    before=$(grep -c "state: " "$work/log.$run" 2>/dev/null)
    kill -USR1 "$pid" 2>/dev/null || { echo "(the show has ended)"; return 1; }
    for _ in $(seq 1 30); do
        line=$(grep "state: " "$work/log.$run" 2>/dev/null | sed -n "$((before + 1))p")
        if [ -n "$line" ]; then
            echo "${line#*state: }"
            return 0
        fi
        sleep 0.1
    done
    echo "(no answer within 3 s: stuck inside a frame, not between frames)"
    return 1
}

# The window as the X server sees it.
window_state() {
    local win=$1 focus
    focus=$(xdotool getwindowfocus 2>/dev/null)
    printf '%s; %s; focus on %s\n' \
        "$(xwininfo -id "$win" 2>/dev/null | sed -n 's/^ *Map State: /map state /p')" \
        "$(xwininfo -id "$win" 2>/dev/null | sed -n 's/^ *-geometry /geometry /p')" \
        "$([ "$focus" = "$win" ] && echo "the show's window" || echo "window ${focus:-none}")"
}

# Resident memory of a process, KiB: the least of COUNT looks half a second apart, so that buffers a
# frame still had in flight when the window changed do not count.
#   resident PID COUNT
resident() {
    local least="" now
    for _ in $(seq 1 "$2"); do
        now=$(sed -n 's/^VmRSS:[[:space:]]*\([0-9]*\) kB/\1/p' "/proc/$1/status" 2>/dev/null)
        [ -n "$now" ] && { [ -z "$least" ] || [ "$now" -lt "$least" ]; } && least=$now
        sleep 0.5
    done
    echo "$least"
}

# Ends a share of events with the window mapped, restored to its first size and focused, and checks
# with the show that it runs again; tries a few times, as a loaded server may drop a focus request
# made too early.
#   settle WIN PID RUN  -> prints what the show last said
settle() {
    local win=$1 pid=$2 run=$3 state=""
    for _ in 1 2 3 4 5; do
        # Mapping is what restores an unmapped (minimized) window here; focus needs it viewable.
        timeout 5 xdotool windowmap --sync "$win" 2>/dev/null
        timeout 5 xdotool windowsize --sync "$win" 1280 720 2>/dev/null
        timeout 5 xdotool windowfocus --sync "$win" 2>/dev/null
        sleep 0.5
        state=$(ask_state "$pid" "$run") || break
        case $state in running*) break ;; esac
        sleep 1
    done
    echo "$state"
}

# One run of the show with its share of the events. Runs inside the X server.
#   play_one RUN QUOTA  -> prints "injected N" on stdout; logs and the peak RSS land in $work
play_one() {
    local run=$1 quota=$2 sent=0 win="" show pid="" kind w h batch started overran=0 state
    started=$SECONDS
    : >"$work/events.$run"
    /usr/bin/time -f "%M" -o "$work/rss.$run" ./vexa-rhino 2>"$work/log.$run" &
    show=$!

    # The window appears once the show has built its device; give a loaded machine time.
    if ! win=$(wait_for_window "Now Loading.*" 60 "$show"); then
        {
            if kill -0 "$show" 2>/dev/null; then
                echo "soak: run $run: no window titled Now Loading... on the display within 60 s"
            else
                echo "soak: run $run: the show ended after $((SECONDS - started)) s without a window titled Now Loading..."
            fi
            echo "soak:   what it wrote so far:"
            tail -n 5 "$work/log.$run" | sed 's/^/soak:     /'
        } >>"$work/overrun.$run"
    fi
    if [ -n "$win" ]; then
        pid=$(xdotool getwindowpid "$win" 2>/dev/null)
        [ -n "$pid" ] || pid=$(pgrep -P "$show" | head -n 1)
    fi
    # The events begin once the show runs (it answers only from its frame loop), with the memory it
    # holds then.
    if [ -n "$pid" ]; then
        for _ in $(seq 1 60); do
            ask_state "$pid" "$run" >/dev/null && break
            kill -0 "$show" 2>/dev/null || break
        done
        resident "$pid" 2 >"$work/before.$run"
    fi

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
                # Focus needs a viewable window, hence the synchronous map.
                batch+=(windowminimize "$win" windowunmap "$win" sleep "0.0$((RANDOM % 10))"
                    windowmap --sync "$win" windowfocus "$win")
            elif [ "$kind" -lt 9 ]; then
                batch+=(windowfocus "$win")
            else
                batch+=(windowmap --sync "$win" windowfocus "$win")
            fi
            batch+=(sleep "0.0$((RANDOM % 5))")
            sent=$((sent + 1))
        done
        echo "$((SECONDS - started)) s: ${batch[*]}" >>"$work/events.$run"
        timeout 30 xdotool "${batch[@]}" 2>/dev/null
    done

    # An inactive or unmapped show stands still: the share ends with it mapped, restored and
    # focused, which the show itself confirms.
    if [ -n "$win" ] && [ -n "$pid" ] && kill -0 "$show" 2>/dev/null; then
        state=$(settle "$win" "$pid" "$run")
        echo "$((SECONDS - started)) s: settled; the show says: $state" >>"$work/events.$run"
        resident "$pid" 6 >"$work/after.$run"
    fi

    # A play that overruns is reported before it is ended: what the show is doing, the window, and
    # the last events it was sent.
    while kill -0 "$show" 2>/dev/null; do
        if [ $((SECONDS - started)) -ge "$play_limit" ]; then
            overran=1
            [ -n "$pid" ] || pid=$(pgrep -P "$show" | head -n 1)
            {
                echo "soak: run $run still playing after $((SECONDS - started)) s (limit $play_limit s)"
                if [ -n "$pid" ]; then
                    echo "soak:   the show says: $(ask_state "$pid" "$run")"
                fi
                [ -n "$win" ] && echo "soak:   its window: $(window_state "$win")"
                echo "soak:   the last events sent ($sent of $quota in all):"
                tail -n 4 "$work/events.$run" | sed 's/^/soak:     /'
            } >>"$work/overrun.$run"
            [ -n "$pid" ] && kill -TERM "$pid" 2>/dev/null
            sleep 5
            [ -n "$pid" ] && kill -KILL "$pid" 2>/dev/null
            break
        fi
        sleep 1
    done

    wait "$show"
    local status=$?
    [ "$overran" = 1 ] && status=124
    echo "$status" >"$work/status.$run"
    echo "$((SECONDS - started))" >"$work/seconds.$run"
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
SOAK_INNER=1 SOAK_WORK="$work" "$(dirname "$0")/../with-x-server.sh" \
    bash "$0" "$bin" "$runs" "$events" "$seed" || fail "the X server or the runner failed"

status_all=0
total=0
first_rss=""
mib() { awk -v k="$1" 'BEGIN { printf "%.1f", k / 1024 }'; }
printf '| run | status | seconds | live objects | events | memory before / after events (MiB) | peak (MiB) |\n'
printf '|---|---|---|---|---|---|---|\n'
for run in $(seq 1 "$runs"); do
    status=$(cat "$work/status.$run" 2>/dev/null || echo "?")
    live=$(sed -n 's/.*live device objects at exit: \([0-9-]*\)$/\1/p' "$work/log.$run" 2>/dev/null | tail -n 1)
    rss=$(grep -E '^[0-9]+$' "$work/rss.$run" 2>/dev/null | tail -n 1)
    before=$(grep -E '^[0-9]+$' "$work/before.$run" 2>/dev/null)
    after=$(grep -E '^[0-9]+$' "$work/after.$run" 2>/dev/null)
    sent=$(cat "$work/sent.$run" 2>/dev/null || echo 0)
    total=$((total + sent))
    printf '| %d | %s | %s | %s | %d | %s / %s | %s |\n' "$run" "$status" "$(cat "$work/seconds.$run" 2>/dev/null || echo "?")" \
        "${live:-?}" "$sent" "$([ -n "$before" ] && mib "$before" || echo "?")" \
        "$([ -n "$after" ] && mib "$after" || echo "?")" "$([ -n "$rss" ] && mib "$rss" || echo "?")"
    if [ -s "$work/overrun.$run" ]; then
        cat "$work/overrun.$run" >&2
    fi
    if [ "$status" != 0 ]; then
        echo "soak: run $run exited with status $status; its log:" >&2
        cat "$work/log.$run" >&2 2>/dev/null
        echo "soak: and how its share of events ended:" >&2
        tail -n 3 "$work/events.$run" >&2 2>/dev/null
        status_all=1
    fi
    if [ "${live:-}" != 0 ]; then
        echo "soak: run $run left device objects alive (or did not report them)" >&2
        status_all=1
    fi
    if [ -z "$before" ] || [ -z "$after" ]; then
        echo "soak: no memory measured before and after the events of run $run" >&2
        status_all=1
    elif [ "$after" -gt $((before + growth * 1024)) ]; then
        echo "soak: run $run held $(mib $((after - before))) MiB more after its events than before, over $growth MiB" >&2
        status_all=1
    fi
    if [ -z "$rss" ]; then
        echo "soak: no peak RSS for run $run" >&2
        status_all=1
    elif [ -z "$first_rss" ]; then
        first_rss=$rss
    elif [ "$rss" -gt $((first_rss + first_rss * growth_percent / 100)) ]; then
        echo "soak: run $run peaked at $rss KiB, more than ${growth_percent}% over the first run's $first_rss KiB" >&2
        status_all=1
    fi
done
echo "soak: $runs runs, $total of $events window events injected, seed $seed"
[ "$status_all" = 0 ] && echo "soak: every run ended by itself with status 0, nothing alive, no growth"
exit "$status_all"
