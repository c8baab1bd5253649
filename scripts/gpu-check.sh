#!/usr/bin/env bash
# The checks for a machine with a GPU, in one command and within ten minutes: the driver the show
# gets on the EGL device platform, the reference frames against the llvmpipe ones with a GPU's
# tolerance, every frame of the 1280x720 capture, and the GPU time of each pass of one frame per
# scene. Needs a built tree (make build); builds nothing. Never part of `make test`: most machines
# have no GPU.
#
#   scripts/gpu-check.sh [--allow-software] [BUILD_DIR]     (default BUILD_DIR: build/release)
#
# --allow-software runs the checks on a software driver too (to try the script itself); without it
# the script stops when the device platform gives llvmpipe. Environment: SHOW_EGL_DEVICE picks the
# device where there are several; SHOW_GOLDEN_TOLERANCE overrides the GPU tolerance (default 12,3,400:
# channel levels, percent of pixels an edge over, other pixels).
set -u

usage() {
    echo "usage: gpu-check.sh [--allow-software] [BUILD_DIR]"
}

software=0
build=build/release
while [ $# -gt 0 ]; do
    case $1 in
    --allow-software) software=1 ;;
    -h | --help) usage; exit 0 ;;
    -*) usage >&2; exit 2 ;;
    *) build=$1 ;;
    esac
    shift
done

build=$(cd "$build" 2>/dev/null && pwd) || { echo "gpu-check: no build folder $build (run make build)" >&2; exit 1; }
for program in "$build/bin/vexa-rhino-capture" "$build/tests/show_golden_tests" "$build/bench/show_bench"; do
    [ -x "$program" ] || { echo "gpu-check: $program is missing: build first" >&2; exit 1; }
done

export SHOW_EGL_PLATFORM=device
export SHOW_GL_INFO=1
export SDL_AUDIODRIVER=dummy
export SHOW_EFFECT_CACHE_DIR=${SHOW_EFFECT_CACHE_DIR:-$build/effect-cache}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
status=0
started=$SECONDS

section() {
    echo
    echo "== $* ($((SECONDS - started)) s)"
}

section "driver"
if ! (cd "$build/bin" && timeout 120 ./vexa-rhino-capture --beats 8 --out "$work/driver") 2>"$work/driver.err"; then
    cat "$work/driver.err" >&2
    echo "gpu-check: no frame on the EGL device platform" >&2
    exit 1
fi
info=$(grep -m1 '^GL: ' "$work/driver.err")
echo "${info:-GL: (no driver line)}"
if [ "$software" = 0 ] && printf '%s' "$info" | grep -q 'llvmpipe\|softpipe\|software'; then
    echo "gpu-check: the device platform gave a software driver; is the GPU's EGL driver installed?" >&2
    echo "gpu-check: --allow-software runs the checks anyway" >&2
    exit 1
fi

section "reference frames (tolerance ${SHOW_GOLDEN_TOLERANCE:-12,3,400})"
(cd "$build/tests" && SHOW_GL_DEBUG=1 SHOW_GOLDEN_TOLERANCE=${SHOW_GOLDEN_TOLERANCE:-12,3,400} timeout 300 \
    ./show_golden_tests --gtest_filter=GoldenFrameTest.FramesAcrossTheShowMatchTheApprovedReferences) \
    >"$work/golden.out" 2>&1
golden=$?
grep -E '^\[ *(OK|FAILED) *\]|beat-[0-9]+:|GL debug' "$work/golden.out" | sort -u | head -n 40
[ "$golden" -eq 0 ] || { echo "gpu-check: reference frames failed (frames in $build/tests/golden-out)"; status=1; }

section "every frame of the 1280x720 capture at 30 fps, 20 s a frame at most"
(cd "$build/bin" && timeout 300 ./vexa-rhino-capture --discard --fps 30 --render 1280x720 --frame-timeout 20) \
    >"$work/sweep.out" 2>"$work/sweep.err"
sweep=$?
grep -v '^GL: ' "$work/sweep.err" | tail -n 3
cat "$work/sweep.out"
[ "$sweep" -eq 0 ] || { echo "gpu-check: the frame sweep failed with status $sweep"; status=1; }

section "GPU time per pass, one frame per scene"
(timeout 180 "$build/bench/show_bench" 10) >"$work/bench.out" 2>"$work/bench.err"
grep -E 'median frame|GPU time per pass|start-up' "$work/bench.out"

section "done"
echo "gpu-check: $([ "$status" = 0 ] && echo "all checks passed" || echo "some checks failed") in $((SECONDS - started)) s"
exit "$status"
