#!/bin/bash
# The MP4 is whole or absent: ffmpeg is started without a shell (a name that starts with '-' or
# holds shell syntax is just a name), and an encoder that fails, writes nothing or stops taking
# frames ends the capture with status 1, a line that says so, and no file under the MP4's name.
#   capture-mp4.sh BIN_DIR WORK_DIR
# The full-disk case mounts a small tmpfs, so it runs only as root; elsewhere it says it skipped.
set -u
[ $# -eq 2 ] || { echo "usage: capture-mp4.sh BIN_DIR WORK_DIR" >&2; exit 2; }
bin=$1
here=$(cd "$(dirname "$0")" && pwd)
work=$2/capture-mp4
export SDL_AUDIODRIVER=dummy
export LP_NUM_THREADS=${LP_NUM_THREADS:-2}
fail() {
    echo "FAIL: $*" >&2
    exit 1
}
rm -rf "$work" && mkdir -p "$work/fake" "$work/out" || exit 1
cd "$bin" || fail "no folder $bin"
# One frame a second of the show at a small size: about 52 frames.
capture=(./vexa-rhino-capture --fps 1 --render 320x180)

# The show's whole length in a name no shell or option parser may take apart.
name="-o ;\$(touch pwned) 'q'.mp4"
(cd "$work/out" && "$OLDPWD/${capture[0]}" "${capture[@]:1}" --mp4 "$name") 2>"$work/real.err" ||
    fail "the capture to \"$name\" failed: $(cat "$work/real.err")"
[ -s "$work/out/$name" ] || fail "no file \"$name\": $(ls -A "$work/out")"
[ ! -e "$work/out/pwned" ] && [ ! -e "$bin/pwned" ] || fail "the name was run by a shell"
[ "$(ls -A "$work/out" | wc -l)" = 1 ] || fail "more than the MP4 left: $(ls -A "$work/out")"
frames=$(ffprobe -v error -select_streams v:0 -count_packets -show_entries stream=nb_read_packets -of csv=p=0 \
    "file:$work/out/$name")
grep -q "^vexa-rhino-capture: $frames frames written to " "$work/real.err" ||
    fail "the MP4 holds $frames frames, the capture said: $(tail -n 1 "$work/real.err")"

# Encoders that fail: each gives status 1, a reason, and no MP4.
fake() {  # NAME BODY
    printf '#!/bin/sh\n%s\n' "$2" >"$work/fake/$1/ffmpeg" && chmod +x "$work/fake/$1/ffmpeg"
}
check_refused() {  # CASE REASON [CAPTURE OPTIONS...]
    local case=$1 reason=$2
    shift 2
    PATH="$work/fake/$case:$PATH" timeout 120 "${capture[@]}" "$@" --mp4 "$work/out/$case.mp4" 2>"$work/$case.err"
    local status=$?
    [ "$status" = 1 ] || fail "$case: status $status (wanted 1): $(cat "$work/$case.err")"
    grep -q "^vexa-rhino-capture: $work/out/$case.mp4: .*$reason.*; no MP4 written$" "$work/$case.err" ||
        fail "$case: the reason is not given: $(cat "$work/$case.err")"
    [ -z "$(ls -A "$work/out" | grep -F "$case")" ] || fail "$case: left behind: $(ls -A "$work/out")"
}
mkdir "$work/fake/silent" "$work/fake/failing" "$work/fake/stuck"
fake silent 'cat >/dev/null; exit 0'
fake failing 'exit 3'
fake stuck 'exec sleep 600'
check_refused silent "ended well but wrote nothing"
check_refused failing "stopped taking frames (it exited with status 3)"
check_refused stuck "took no frame for 5 s" --frame-timeout 5

full=$work/full
. "$here/small-disk.sh"
small_disk "$full" capture-mp4
"${capture[@]}" --mp4 "$full/show.mp4" 2>"$work/full.err"
status=$?
[ "$status" = 1 ] || fail "status $status on a full disk (wanted 1): $(cat "$work/full.err")"
grep -q "^vexa-rhino-capture: $full/show.mp4: .*; no MP4 written$" "$work/full.err" ||
    fail "the full disk is not named: $(cat "$work/full.err")"
[ -z "$(ls -A "$full")" ] || fail "left behind on the full disk: $(ls -A "$full")"
echo "capture-mp4: any name is a name; failing, silent and stuck encoders and a full disk leave no MP4"
