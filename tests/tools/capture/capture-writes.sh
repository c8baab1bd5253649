#!/bin/bash
# What capture writes is whole or absent: beats that differ get files that differ, and a folder
# that fills up ends the capture with the file and the reason named, no cut PNG left behind.
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
echo "capture-writes: close beats get their own files; a full folder is named and left empty"
