#!/bin/bash
# Our per-frame time against apitrace replaying the GL calls we made for the same frames, once on
# llvmpipe (frame time) and once with the GPU work discarded (GALLIUM_NOOP=1: CPU cost), then on
# llvmpipe without our per-frame read-back (pipelined: the same work the replayer does), and the
# redundant state calls per frame found in the trace.
#   bench/replay-compare.sh BUILD_DIR [FRAMES_PER_SCENE]
# Needs apitrace (Debian package apitrace) and xvfb-run: the replayer wants an X display.
set -u

fail() {
    echo "replay-compare: $*" >&2
    exit 1
}

[ $# -ge 1 ] || fail "usage: replay-compare.sh BUILD_DIR [FRAMES_PER_SCENE]"
build=$(cd "$1" 2>/dev/null && pwd) || fail "no build folder $1"
frames=${2:-8}
here=$(cd "$(dirname "$0")" && pwd)
showbench=$build/bench/show_bench
shim=$build/bench/libtrace_shim.so
command -v apitrace >/dev/null || fail "apitrace is not installed (Debian package apitrace)"
command -v xvfb-run >/dev/null || fail "xvfb-run is not installed (Debian package xvfb)"
[ -x "$showbench" ] || fail "$showbench is missing: build the folder first"
[ -f "$shim" ] || fail "$shim is missing: build the folder first"

export LP_NUM_THREADS=${LP_NUM_THREADS:-2}
export SDL_AUDIODRIVER=dummy
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# The trace is taken on llvmpipe, the driver of the frame-time comparison: the calls depend on the
# driver (anisotropic filtering stays off on llvmpipe; a trace taken with GALLIUM_NOOP=1 had it on,
# and the replay then paid for filtering that our frames do not do).
LD_PRELOAD=$shim apitrace trace --api egl -o "$work/show.trace" "$showbench" "$frames" \
    >"$work/trace.out" 2>&1 || { cat "$work/trace.out" >&2; fail "tracing show_bench failed"; }
apitrace dump --color=never "$work/show.trace" >"$work/show.dump" || fail "apitrace dump failed"

# Ours and the replay alternate, so a busy machine slows both alike.
"$showbench" "$frames" >"$work/ours.out" 2>&1 || fail "show_bench failed"
xvfb-run -a apitrace replay --pcpu "$work/show.trace" >"$work/replay.pcpu" 2>&1 || fail "the replay failed"
"$showbench" --pipelined "$frames" >"$work/ours-pipelined.out" 2>&1 || fail "show_bench --pipelined failed"
GALLIUM_NOOP=1 "$showbench" "$frames" >"$work/ours-noop.out" 2>&1 || fail "show_bench failed"
GALLIUM_NOOP=1 xvfb-run -a apitrace replay --pcpu "$work/show.trace" >"$work/replay-noop.pcpu" 2>&1 ||
    fail "the replay failed"

python3 "$here/trace_frames.py" "$work/show.dump" "$frames" "$work/replay.pcpu" "$work/replay-noop.pcpu" \
    >"$work/frames.out" || fail "reading the trace failed"
cat "$work/frames.out"

median() { sed -n "s/^$2 scene median $3: *\([0-9.]*\) ms/\1/p" "$work/$1"; }
replay() { sed -n "s/^replay [^ ]*$1: first scene \([0-9.]*\) ms, second scene \([0-9.]*\) ms/\1 \2/p" "$work/frames.out"; }
# The replayer skips glGet* calls, so the per-frame read-back is not in its times. With the GPU
# work discarded the read-back is pure copying, and that copy (from the NOOP run) is taken out of
# both of our figures; on llvmpipe the read-back also waits for the frame to finish, and that wait
# is frame work, so only the copy is taken out of the frame figure.
report() {
    local label=$1 ours=$2 theirs=$3
    awk -v label="$label" -v o1="$(median "$ours" first frame)" -v o2="$(median "$ours" second frame)" \
        -v b1="$(median ours-noop.out first read-back)" -v b2="$(median ours-noop.out second read-back)" \
        -v t="$(replay "$theirs")" '
        BEGIN {
            split(t, r, " ")
            if (o1 == "" || r[1] == "" || r[1] + r[2] == 0) { printf "%s ours/replay: n/a\n", label; exit }
            if (b1 != "" && b2 != "") { o1 -= b1; o2 -= b2 }
            printf "%s ours: %.2f / %.2f ms, replay: %.2f / %.2f ms\n", label, o1, o2, r[1], r[2]
            printf "%s ours/replay: %.2f\n", label, (o1 + o2) / (r[1] + r[2])
        }'
}
report frame ours.out "replay.pcpu"
report cpu ours-noop.out "replay-noop.pcpu"

# The same work on both sides: ours without the per-frame read-back (one at the end of each scene),
# the replay's mean frame, so that in both a frame may start while the driver finishes the last.
pipelined() { sed -n "s/^$1 scene mean frame, pipelined: *\([0-9.]*\) ms/\1/p" "$work/ours-pipelined.out"; }
replay_mean() { sed -n "s/^replay mean [^ ]*replay.pcpu: first scene \([0-9.]*\) ms, second scene \([0-9.]*\) ms/\1 \2/p" "$work/frames.out"; }
awk -v o1="$(pipelined first)" -v o2="$(pipelined second)" -v t="$(replay_mean)" '
    BEGIN {
        split(t, r, " ")
        if (o1 == "" || r[1] == "" || r[1] + r[2] == 0) { print "pipelined ours/replay: n/a"; exit }
        printf "pipelined ours: %.2f / %.2f ms, replay: %.2f / %.2f ms\n", o1, o2, r[1], r[2]
        printf "pipelined ours/replay: %.2f\n", (o1 + o2) / (r[1] + r[2])
    }'
