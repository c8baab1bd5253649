#!/bin/bash
# What capture writes is whole or absent: beats that differ get files that differ; a name that is not
# a regular file (a FIFO, a device) is never replaced; a capture stopped by a signal says which frames
# are missing and never ends with 0; a closed standard error costs no frame; a file size limit below
# a frame is refused at start; and a folder that fills up ends the capture with the file and the
# reason named, no cut PNG left behind.
#   capture-writes.sh BIN_DIR WORK_DIR
# The full-folder half needs a small tmpfs, so it runs only where the test may mount one (root);
# elsewhere it says so and only the names are checked.
set -u
[ $# -eq 2 ] || { echo "usage: capture-writes.sh BIN_DIR WORK_DIR" >&2; exit 2; }
bin=$1
here=$(cd "$(dirname "$0")" && pwd)
work=$2/capture-writes
export SDL_AUDIODRIVER=dummy
export LP_NUM_THREADS=${LP_NUM_THREADS:-2}

fail() {
    echo "FAIL: $*" >&2
    exit 1
}

rm -rf "$work"
mkdir -p "$work"
cd "$bin" || fail "no folder $bin"

# 8.0001 and 8.0002 round to one name at three decimals.
./vexa-rhino-capture --beats 8.0001,8.0002,8.5 --render 320x180 --out "$work/names" 2>"$work/names.err" ||
    fail "the capture of three close beats failed: $(cat "$work/names.err")"
for name in beat-008.0001.png beat-008.0002.png beat-008.500.png; do
    [ -s "$work/names/$name" ] || fail "no $name; the folder holds: $(ls "$work/names")"
done
[ "$(ls "$work/names" | wc -l)" -eq 3 ] || fail "more than the three frames: $(ls "$work/names")"

# A name that is not a regular file is never renamed over: a FIFO as a frame or as the MP4, and (as
# root, who may make one) a device node like /dev/null, made in the work folder so that a failure
# costs nothing. Each is refused (the MP4's name before anything is rendered) and stays what it was.
mkdir -p "$work/special"
mkfifo "$work/special/beat-008.png" "$work/special/fifo.mp4" || fail "cannot make the FIFOs"
./vexa-rhino-capture --beats 8 --render 320x180 --out "$work/special" 2>"$work/special.err"
status=$?
[ "$status" -eq 1 ] || fail "status $status for a FIFO as a frame (wanted 1): $(cat "$work/special.err")"
grep -q "^vexa-rhino-capture: $work/special/beat-008.png: cannot write: a FIFO is not replaced" "$work/special.err" ||
    fail "the FIFO frame is not named: $(cat "$work/special.err")"
targets=("$work/special/fifo.mp4")
if [ "$(id -u)" = 0 ] && mknod "$work/special/null" c 1 3; then
    targets+=("$work/special/null")
else
    echo "capture-writes: not root, so no device node to try (the FIFOs stand for it)"
fi
for target in "${targets[@]}"; do
    before=$(stat -c %F "$target")
    ./vexa-rhino-capture --mp4 "$target" --fps 1 --render 320x180 2>"$work/special.err"
    status=$?
    [ "$status" -eq 1 ] || fail "status $status for --mp4 $target (wanted 1): $(cat "$work/special.err")"
    grep -q "^vexa-rhino-capture: $target: cannot write: a .* is not replaced.*; no MP4 written$" "$work/special.err" ||
        fail "--mp4 $target is not refused by name: $(cat "$work/special.err")"
    [ "$(stat -c %F "$target")" = "$before" ] || fail "$target was $before, now $(stat -c %F "$target")"
done

# The name itself: /dev/null, in a private mount namespace whose /dev is a tmpfs of its own (a rename
# onto a mount point would fail anyway, so a bind mount would prove nothing). Root only, and only
# where the namespace may be made.
if [ "$(id -u)" = 0 ] && unshare -m true 2>/dev/null; then
    kind=$(unshare -m sh -c 'mount -t tmpfs none /dev && mknod -m 666 /dev/null c 1 3 &&
        ./vexa-rhino-capture --mp4 /dev/null --fps 1 --render 320x180 2>"$1"; echo "$?"; stat -c %F /dev/null' \
        sh "$work/devnull.err")
    [ "$kind" = "1
character special file" ] || fail "--mp4 /dev/null in a private /dev gave status and kind '$kind': $(cat "$work/devnull.err")"
    grep -q "^vexa-rhino-capture: /dev/null: cannot write: a character device is not replaced" "$work/devnull.err" ||
        fail "--mp4 /dev/null is not refused by name: $(cat "$work/devnull.err")"
else
    echo "capture-writes: no private mount namespace here (needs root and unshare -m), so /dev/null itself is not tried"
fi

# Ctrl+C or SIGTERM stops after the current frame: status 130 or 143, never 0, and the frames not
# written named. A hundred beats leave no time to finish between the tenth frame and the signal.
beats=$(seq -s, 1 100)
for signal in INT TERM; do
    out=$work/stopped-$signal
    ./vexa-rhino-capture --beats "$beats" --render 320x180 --out "$out" 2>"$out.err" &
    pid=$!
    for _ in $(seq 1200); do
        [ -e "$out/beat-010.png" ] && break
        sleep 0.05
    done
    kill -s "$signal" "$pid"
    wait "$pid"
    status=$?
    wanted=$([ "$signal" = INT ] && echo 130 || echo 143)
    [ "$status" -eq "$wanted" ] || fail "status $status after SIG$signal (wanted $wanted): $(tail -n 2 "$out.err")"
    missing=$(sed -n "s/^vexa-rhino-capture: interrupted (SIG$signal); [0-9]* of 100 frames written; missing: //p" \
        "$out.err")
    [ -n "$missing" ] || fail "SIG$signal: no line names the missing frames: $(tail -n 2 "$out.err")"
    [ "$(ls "$out" | wc -l)" -eq $((100 - $(echo "$missing" | wc -w))) ] ||
        fail "SIG$signal: $(ls "$out" | wc -l) frames written, but $(echo "$missing" | wc -w) of 100 said missing"
    for name in $missing; do
        [ ! -e "$out/$name" ] || fail "SIG$signal: $name is said missing, but it was written"
    done
done

# Standard error into a pipe whose reader has gone: the frames are still all written, status 0.
bash -c "./vexa-rhino-capture --beats 8,30,50 --render 320x180 --out '$work/piped' 2>&1 >/dev/null | true
    exit \${PIPESTATUS[0]}"
status=$?
[ "$status" -eq 0 ] || fail "status $status with standard error into a closed pipe (wanted 0)"
[ "$(ls "$work/piped" | wc -l)" -eq 3 ] || fail "a closed standard error cost frames: $(ls "$work/piped")"

# A file size limit (ulimit -f, in KiB here) below what one frame may take is refused before the
# start-up, naming the limit and the need; not SIGXFSZ, and nothing left behind.
(ulimit -f 100 && ./vexa-rhino-capture --beats 8 --out "$work/limited" 2>"$work/limited.err")
status=$?
[ "$status" -eq 1 ] || fail "status $status under ulimit -f 100 (wanted 1): $(tail -n 2 "$work/limited.err")"
grep -q "^vexa-rhino-capture: the size of a file is limited to 100 KiB (ulimit -f); a 1280x720 frame may take up to 4052 KiB, so the show does not start$" \
    "$work/limited.err" || fail "the limit is not named: $(tail -n 2 "$work/limited.err")"
[ -z "$(ls -A "$work/limited" 2>/dev/null)" ] || fail "left behind under ulimit -f: $(ls -A "$work/limited")"
# A limit the frames fit (a 320x180 frame takes at most 255 KiB) but the largest cache entries (about
# 400 KiB) do not: their writes fail, which costs only compiles, and leave no temporary.
(ulimit -f 300 && SHOW_EFFECT_CACHE_DIR="$work/limited-cache" \
    ./vexa-rhino-capture --beats 8 --render 320x180 --out "$work/limited" 2>"$work/limited.err")
status=$?
[ "$status" -eq 0 ] || fail "status $status under ulimit -f 300 (wanted 0): $(tail -n 2 "$work/limited.err")"
[ -s "$work/limited/beat-008.png" ] || fail "no frame under ulimit -f 300"
entries=$(ls "$work/limited-cache" | grep -c '\.fxc$')
[ "$entries" -lt 11 ] || fail "every cache entry was written under ulimit -f 300; the limit tried nothing"
[ -z "$(ls "$work/limited-cache" | grep -v '\.fxc$')" ] || fail "left in the cache: $(ls "$work/limited-cache")"

full=$work/full
. "$here/small-disk.sh"
small_disk "$full" capture-writes
./vexa-rhino-capture --beats 8,70,92 --out "$full" 2>"$work/full.err"
status=$?
[ "$status" -eq 1 ] || fail "status $status on a full folder (wanted 1): $(cat "$work/full.err")"
grep -q "^vexa-rhino-capture: $full/beat-008.png: cannot write: No space left on device$" "$work/full.err" ||
    fail "the first frame's failure is not named: $(cat "$work/full.err")"
left=$(ls -A "$full")
[ -z "$left" ] || fail "left behind in the full folder: $left"
echo "capture-writes: close beats get their own files; FIFOs and devices are left as they are; a stopped capture names what it missed; a full folder is named and left empty"
