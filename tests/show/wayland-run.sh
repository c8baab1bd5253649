#!/bin/bash
# The show in a native Wayland window (SDL_VIDEODRIVER=wayland) under a headless compositor, sway
# with the pixman renderer: it opens, draws frames (a screenshot through the compositor, grim),
# pauses while another workspace has the focus and goes on after, toggles fullscreen with
# Alt+Enter and back, and ends on Escape with status 0 and no device object left.
#   wayland-run.sh BIN_DIR WORK_DIR
# sway refuses to run as root, so under root the compositor, the keyboard and the show run as
# nobody, from a copy of the program in a folder of their own. A headless sway has no input devices; a virtual
# keyboard (wtype) held open for the whole run gives its seat one, which is what makes the
# compositor send the show focus and keys at all.
set -u
[ $# -eq 2 ] || { echo "usage: wayland-run.sh BIN_DIR WORK_DIR" >&2; exit 2; }
bin=$1 work=$2/wayland-run
fail() {
    echo "wayland-run: $*" >&2
    [ -s "$work/show.log" ] && { echo "--- the show's standard error:" >&2; tail -n 20 "$work/show.log" >&2; }
    [ -s "$work/sway.log" ] && { echo "--- sway's last lines:" >&2; tail -n 5 "$work/sway.log" >&2; }
    exit 1
}
for tool in sway swaymsg wtype grim setpriv python3; do
    command -v "$tool" >/dev/null || fail "$tool is missing (scripts/install-deps.sh installs it)"
done

rm -rf "$work" && mkdir -p "$work/show" || exit 1
cp "$bin/vexa-rhino" "$work/show/" && cp -r "$bin/Res" "$work/show/" || fail "cannot copy the program"
runtime=$work/runtime
mkdir -m 700 "$runtime" || exit 1
printf 'output HEADLESS-1 resolution 1280x800\ndefault_border none\nworkspace 1\n' >"$work/sway.config"
user=()
if [ "$(id -u)" = 0 ]; then
    user=(setpriv --reuid=nobody --regid=nogroup --clear-groups --)
    chown -R nobody:nogroup "$work" || fail "cannot hand the work folder to nobody"
fi

# Runs a command (as nobody under root) with nothing of this environment but what the Wayland
# clients need. Their caches stay in the work folder: without XDG_CACHE_HOME, Mesa would take the
# passwd entry's home, whatever HOME says.
as_nobody() {
    "${user[@]}" env -i PATH=/usr/bin:/bin HOME="$work" XDG_CACHE_HOME="$work/cache" XDG_RUNTIME_DIR="$runtime" "$@"
}
# The same in the background, as the process itself (so its pid is the one to signal and to end).
pids=()
spawn() {  # LOG COMMAND...
    local log=$1
    shift
    (exec "${user[@]}" env -i PATH=/usr/bin:/bin HOME="$work" XDG_CACHE_HOME="$work/cache" XDG_RUNTIME_DIR="$runtime" "$@") >"$log" 2>&1 &
    pids+=($!)
}
cleanup() {
    for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null; done
    wait 2>/dev/null
}
trap cleanup EXIT

spawn "$work/sway.log" WLR_BACKENDS=headless WLR_RENDERER=pixman WLR_LIBINPUT_NO_DEVICES=1 sway -c "$work/sway.config"
for _ in $(seq 200); do
    display=$(cd "$runtime" && ls 2>/dev/null | grep -m1 '^wayland-[0-9]*$')
    socket=$(cd "$runtime" && ls 2>/dev/null | grep -m1 '^sway-ipc')
    [ -n "$display" ] && [ -n "$socket" ] && break
    sleep 0.1
done
[ -n "$display" ] && [ -n "$socket" ] || fail "sway did not start within 20 s"
client() { as_nobody WAYLAND_DISPLAY="$display" SWAYSOCK="$runtime/$socket" "$@"; }

spawn "$work/keyboard.log" WAYLAND_DISPLAY="$display" wtype -s 600000
sleep 0.5

cd "$work/show" || exit 1
spawn "$work/show.log" WAYLAND_DISPLAY="$display" SDL_VIDEODRIVER=wayland SDL_AUDIODRIVER=dummy LP_NUM_THREADS=2 \
    SHOW_GL_INFO=1 SHOW_REPORT_LIVE_OBJECTS=1 ./vexa-rhino
show=${pids[-1]}

# The show's state line (SIGUSR1), once it has drawn more frames than before.
last_frame=-1
state() {
    local before line
    for _ in $(seq 40); do
        before=$(grep -c 'state:' "$work/show.log")
        kill -USR1 "$show" 2>/dev/null || fail "the show ended early"
        for _ in $(seq 20); do
            [ "$(grep -c 'state:' "$work/show.log")" -gt "$before" ] && break
            sleep 0.1
        done
        line=$(grep 'state:' "$work/show.log" | tail -n 1)
        frame=$(sed -n 's/.*last frame \([0-9]*\).*/\1/p' <<<"$line")
        if [ -n "$frame" ] && [ "$frame" -gt "$last_frame" ] || [ "${1:-}" = any ]; then
            last_frame=${frame:-$last_frame}
            echo "$line"
            return
        fi
        sleep 0.5
    done
    fail "the show drew no new frame in 20 s: $line"
}
# The show's window in sway's tree, as "FULLSCREEN_MODE WIDTHxHEIGHT", or nothing.
window() {
    client swaymsg -t get_tree | python3 -c '
import json, sys
def walk(node):
    if node.get("app_id") == "vexa-rhino":
        r = node["rect"]
        print(node.get("fullscreen_mode", 0), "%dx%d" % (r["width"], r["height"]))
        sys.exit(0)
    for child in node.get("nodes", []) + node.get("floating_nodes", []):
        walk(child)
walk(json.load(sys.stdin))'
}
wait_for_window() {  # PATTERN: waits until window() matches it
    for _ in $(seq 100); do
        [[ "$(window)" =~ $1 ]] && return 0
        sleep 0.2
    done
    return 1
}

wait_for_window '^[01] ' || fail "no window of the show in sway's tree within 20 s"
grep -q 'on the SDL window system (wayland)' "$work/show.log" || fail "the show is not on native Wayland"
state >/dev/null
state >/dev/null

# Frames, as the compositor shows them: a picture, not one flat colour.
client grim -t ppm "$work/shot.ppm" || fail "grim took no screenshot"
client grim "$work/shot.png"
python3 - "$work/shot.ppm" <<'PY' || fail "the screenshot $work/shot.png shows no picture"
import sys
data = open(sys.argv[1], "rb").read()
fields = data.split(maxsplit=4)
width, height, pixels = int(fields[1]), int(fields[2]), fields[4]
levels = {pixels[i] for i in range(0, len(pixels), 3 * 97)}
bright = sum(1 for i in range(0, len(pixels), 3 * 97) if pixels[i] > 128)
print("wayland-run: screenshot %dx%d, %d distinct red levels, %d bright samples" % (width, height, len(levels), bright))
sys.exit(0 if len(levels) > 16 and bright > 0 else 1)
PY

# Alt+Enter: fullscreen, then back.
client wtype -M alt -P Return -s 400 -p Return -m alt
wait_for_window '^1 1280x800$' || fail "Alt+Enter did not make the window fullscreen: $(window)"
state >/dev/null
client wtype -M alt -P Return -s 400 -p Return -m alt
wait_for_window '^0 ' || fail "the second Alt+Enter did not leave fullscreen: $(window)"

# Another workspace takes the focus: the show pauses, and goes on when it comes back.
client swaymsg -q workspace 2 || fail "swaymsg cannot change the workspace"
paused=0
for _ in $(seq 50); do
    state any >"$work/state.txt"
    grep -q 'paused (inactive)' "$work/state.txt" && { paused=1; break; }
    sleep 0.2
done
[ "$paused" = 1 ] || fail "the show did not pause without the focus: $(cat "$work/state.txt")"
client swaymsg -q workspace 1
state >"$work/state.txt"
grep -q 'state: running' "$work/state.txt" || fail "the show did not go on with the focus back: $(cat "$work/state.txt")"

# Escape, held as a person holds it (the show looks at the key once a frame), ends it.
client wtype -P Escape -s 1500 -p Escape
for _ in $(seq 300); do
    kill -0 "$show" 2>/dev/null || break
    sleep 0.1
done
kill -0 "$show" 2>/dev/null && fail "the show did not end within 30 s of Escape"
wait "$show"
status=$?
[ "$status" = 0 ] || fail "the show ended with status $status"
grep -q 'live device objects at exit: 0' "$work/show.log" || fail "device objects were left alive"
echo "wayland-run: opened on native Wayland, drew frames, toggled fullscreen, paused and went on, ended on Escape"
