#!/bin/bash
# Runs every benchmark and measurement of a build folder (it builds nothing) and prints the
# performance table in Markdown on stdout; progress and the raw outputs go to stderr.
#   bench/run-all.sh BUILD_DIR [FRAMES_PER_SCENE]
# The machine may be shared: the comparisons are ratios taken within one run, and the load
# average is printed with the table. LP_NUM_THREADS defaults to 2.
set -u

fail() {
    echo "run-all: $*" >&2
    exit 1
}

[ $# -ge 1 ] || fail "usage: run-all.sh BUILD_DIR [FRAMES_PER_SCENE]"
build=$(cd "$1" 2>/dev/null && pwd) || fail "no build folder $1"
frames=${2:-20}
case "$frames" in '' | *[!0-9]*) fail "FRAMES_PER_SCENE is a whole number" ;; esac
benchdir=$build/bench
bin=$build/bin
here=$(cd "$(dirname "$0")" && pwd)
for program in "$benchdir/show_bench" "$benchdir/blur_bench" "$benchdir/objloader_bench" \
    "$benchdir/d3d11_submit_bench" "$benchdir/fxcompile_bench" "$bin/vexa-rhino-capture"; do
    [ -x "$program" ] || fail "$program is missing: build the folder first"
done

export LP_NUM_THREADS=${LP_NUM_THREADS:-2}
export SDL_AUDIODRIVER=dummy
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

load_before=$(cut -d' ' -f1-3 /proc/loadavg)

# Runs a step, keeps its stdout and stderr in $work/NAME.out/.err and echoes both to stderr.
step() {
    local name=$1
    shift
    echo "== $name: $*" >&2
    "$@" >"$work/$name.out" 2>"$work/$name.err"
    local status=$?
    cat "$work/$name.out" "$work/$name.err" >&2
    [ "$status" -eq 0 ] || echo "run-all: $name exited with status $status" >&2
    return "$status"
}

# The first number after a pattern in a step's output, or "n/a".
pick() {
    local value
    value=$(grep -h -- "$2" "$work/$1.out" "$work/$1.err" 2>/dev/null | head -n 1 |
        sed -n "s|.*$2[^0-9-]*\([-0-9.][0-9.]*\).*|\1|p")
    echo "${value:-n/a}"
}

# a/b to the given decimals, "n/a" when either is missing or b is zero.
ratio() {
    awk -v a="$1" -v b="$2" -v d="${3:-2}" 'BEGIN {
        if (a == "n/a" || b == "n/a" || b + 0 == 0) { print "n/a"; exit }
        printf "%.*f", d, a / b }'
}

# "met" / "not met" for VALUE OP LIMIT, "n/a" without a value.
goal() {
    awk -v v="$1" -v op="$2" -v l="$3" 'BEGIN {
        if (v == "n/a") { print "n/a"; exit }
        ok = (op == "<=") ? (v + 0 <= l + 0) : (v + 0 >= l + 0)
        print ok ? "met" : "not met" }'
}

# 1. Frame times, GL calls per frame and the start-up broken down (llvmpipe, 1280x720). The effect
# and Mesa shader caches live in the scratch folder: the first start fills them (the first start
# after a build), the measured one finds them, as every later start of the show does.
export SHOW_EFFECT_CACHE_DIR=$work/effect-cache MESA_SHADER_CACHE_DIR=$work/mesa-cache
SHOW_STARTUP_TIMES=1 step show_cold "$benchdir/show_bench" 1
SHOW_STARTUP_TIMES=1 step show "$benchdir/show_bench" "$frames"
GALLIUM_NOOP=1 SHOW_GL_STATE_CACHE=0 step show_bypass "$benchdir/show_bench" 5
GALLIUM_NOOP=1 step show_noop "$benchdir/show_bench" 5

# 2. Our blur against the same kernel in plain GL.
step blur "$benchdir/blur_bench" 10

# 3. The OBJ reader against tinyobjloader.
step obj "$benchdir/objloader_bench"

# 4. CPU cost of submitting a frame-shaped call sequence, cache on and bypassed.
step submit "$benchdir/d3d11_submit_bench"
submit_line() { grep -h "bypass_cache:$1 " "$work/submit.out" | head -n 1; }
submit_us=$(submit_line 0 | awk '{ print $2 }')
submit_calls=$(submit_line 0 | sed -n 's/.*gl_calls_per_frame=\([0-9.k]*\).*/\1/p')
submit_bypass_calls=$(submit_line 1 | sed -n 's/.*gl_calls_per_frame=\([0-9.k]*\).*/\1/p')

# 5. Compiling the shipped effects as a start does (in the compile server) and unprotected in the
# process, each in a process of its own so that each pays the compiler's set-up; three alternating
# runs each, medians.
fx_runs() {
    local name
    for name in "$@"; do
        grep -h "^$name/" "$work"/fx-*.out | awk '{ print $2 }' | sort -n | awk '{ v[NR] = $1 } END {
            if (NR) print v[int((NR + 1) / 2)]; else print "n/a" }'
    done
}
for run in 1 2 3; do
    step "fx-$run" "$benchdir/fxcompile_bench" --benchmark_filter='^CompileAllEffects/'
    step "fx-in-$run" "$benchdir/fxcompile_bench" --benchmark_filter='^CompileAllEffectsInProcess/'
done
fx_ms=$(fx_runs CompileAllEffects)
fx_in_ms=$(fx_runs CompileAllEffectsInProcess)
fx_ratio=$(ratio "$fx_ms" "$fx_in_ms" 2)

# 6. Peak memory over the show: a frame every eight beats from start to end, rendered headless.
beats=$(awk 'BEGIN { for (b = 0; b < 112; b += 8) printf "%s%d", (b ? "," : ""), b }')
mkdir -p "$work/frames"
( cd "$bin" && step memory /usr/bin/time -f "peak RSS %M KiB" ./vexa-rhino-capture --beats "$beats" \
    --out "$work/frames" --size 64x36 --render 1280x720 )

# 7. Our per-frame time against apitrace replaying the same calls (when apitrace works here).
if command -v apitrace >/dev/null; then
    step replay "$here/replay-compare.sh" "$build" 10
else
    echo "run-all: apitrace is not installed; the replay comparison is left out" >&2
fi

load_after=$(cut -d' ' -f1-3 /proc/loadavg)

startup=$(pick show "start-up to first frame:")
startup_cold=$(pick show_cold "start-up to first frame:")
first_frame=$(pick show "first frame alone:")
first_ms=$(pick show "first scene median frame:")
second_ms=$(pick show "second scene median frame:")
first_calls=$(pick show "first scene GL calls per frame:")
# Whole lines: "sheep 1.20 / text 0.31 / ... (12.3 in all)".
passes_of() {
    local line
    line=$(grep -h "^$1 scene GPU time per pass" "$work/show.out" 2>/dev/null | head -n 1)
    echo "${line#*): }"
}
first_passes=$(passes_of first)
second_passes=$(passes_of second)
second_calls=$(pick show "second scene GL calls per frame:")
first_bypass=$(pick show_bypass "first scene GL calls per frame:")
second_bypass=$(pick show_bypass "second scene GL calls per frame:")
first_noop=$(pick show_noop "first scene median frame:")
second_noop=$(pick show_noop "second scene median frame:")
blur_ours=$(pick blur "ours per round:")
blur_direct=$(pick blur "direct per round:")
obj_ratio=$(pick obj ", ratio")
obj_ours=$(pick obj "median: ObjLoader")
obj_theirs=$(pick obj "tinyobjloader")
peak_kib=$(pick memory "peak RSS")
peak_mib=$(ratio "$peak_kib" 1024 0)
startup_s=$(ratio "$startup" 1000 2)
startup_cold_s=$(ratio "$startup_cold" 1000 2)
first_frame_ratio=$(ratio "$first_frame" "$first_ms" 2)
blur_ratio=$(ratio "$blur_ours" "$blur_direct" 2)
frame_replay=$(pick replay "frame ours/replay:")
pipelined_replay=$(pick replay "pipelined ours/replay:")
cpu_replay=$(pick replay "cpu ours/replay:")
redundant=$(pick replay "redundant state calls per frame:")
redundant_cached=$(awk -v a="$first_bypass" -v b="$first_calls" -v c="$second_bypass" -v d="$second_calls" \
    'BEGIN { if (a == "n/a" || b == "n/a") print "n/a"; else printf "%.0f / %.0f", a - b, c - d }')
step_time() {
    grep -h "start-up $1 " "$work/${2:-show}.err" | head -n 1 | awk '{ print $(NF - 1) }'
}

cat <<EOF
Measured $(date -u '+%Y-%m-%d %H:%M UTC') on $(nproc) cores, LP_NUM_THREADS=$LP_NUM_THREADS, load average $load_before at the start and $load_after at the end.

| Measurement | Value | Goal | Status |
|---|---|---|---|
| Frame time, first scene (median of $frames, llvmpipe, 1280x720) | $first_ms ms | | |
| Frame time, second scene (median of $frames, llvmpipe, 1280x720) | $second_ms ms | | |
| Frame time with GPU work discarded (GALLIUM_NOOP=1), first / second scene | $first_noop / $second_noop ms | | |
| Start-up to first frame | $startup_s s | <= 0.4 s | $(goal "$startup_s" "<=" 0.4) |
| First frame / a first-scene frame | $first_frame ms / $first_ms ms = ${first_frame_ratio}x | <= 1.5x | $(goal "$first_frame_ratio" "<=" 1.5) |
| - device / effects / textures / models / music | $(step_time device) / $(step_time effects) / $(step_time textures) / $(step_time models) / $(step_time music) ms | | |
| Start-up to first frame with empty effect and shader caches (first start after a build) | $startup_cold_s s | <= 1.0 s | $(goal "$startup_cold_s" "<=" 1.0) |
| - device / effects / textures / models / music | $(step_time device show_cold) / $(step_time effects show_cold) / $(step_time textures show_cold) / $(step_time models show_cold) / $(step_time music show_cold) ms | | |
| Compiling all eleven effect files, isolated (compile server) / in the process | $fx_ms / $fx_in_ms ms = ${fx_ratio}x | <= 1.1x | $(goal "$fx_ratio" "<=" 1.1) |
| Frame time ours / apitrace replay | ${frame_replay} | <= 1.02 | $(goal "$frame_replay" "<=" 1.02) |
| Frame time ours / apitrace replay, both pipelined (no per-frame read-back) | ${pipelined_replay} | <= 1.02 | $(goal "$pipelined_replay" "<=" 1.02) |
| CPU cost ours / apitrace replay (GALLIUM_NOOP=1) | ${cpu_replay} | <= 1.02 | $(goal "$cpu_replay" "<=" 1.02) |
| GL calls per frame, first / second scene | $first_calls / $second_calls | | |
| GPU time per pass, one first-scene frame (beat 24, ms, timestamp queries) | ${first_passes:-n/a} | | |
| GPU time per pass, one second-scene frame (beat 80, ms) | ${second_passes:-n/a} | | |
| Redundant state calls per frame (state set to its current value, from the trace) | ${redundant} | 0 | $(goal "$redundant" "<=" 0) |
| State calls the cache saves per frame, first / second scene | $redundant_cached | | |
| Submission of a frame-shaped sequence (GALLIUM_NOOP=1) | ${submit_us:-n/a} us, ${submit_calls:-n/a} GL calls (${submit_bypass_calls:-n/a} without the cache) | | |
| Blur per round (horizontal + vertical), ours / plain GL | $blur_ours / $blur_direct ms = ${blur_ratio}x | <= 1.0x | $(goal "$blur_ratio" "<=" 1.0) |
| Peak memory over the show (RSS, headless) | $peak_mib MiB | <= 250 MiB | $(goal "$peak_mib" "<=" 250) |
| OBJ reader, ours / tinyobjloader | $obj_ours / $obj_theirs MB/s = ${obj_ratio}x | >= 2x | $(goal "$obj_ratio" ">=" 2) |
EOF

# Against the recorded figures (bench/baseline.txt): a figure more than 25% worse than its record
# fails the run, named on stderr after the table. BENCH_RECORD=1 records this run's figures instead.
cat >"$work/figures.txt" <<FIGURES
startup_warm_ms $startup
startup_cold_ms $startup_cold
first_frame_ms $first_frame
first_scene_frame_ms $first_ms
second_scene_frame_ms $second_ms
peak_rss_kib $peak_kib
gl_calls_first_scene $first_calls
gl_calls_second_scene $second_calls
blur_round_ms $blur_ours
submission_us ${submit_us:-n/a}
objloader_mb_per_s $obj_ours
effect_compile_ms ${fx_ms:-n/a}
FIGURES
if [ "${BENCH_RECORD:-0}" = 1 ]; then
    "$here/compare-baseline.sh" --record "$work/figures.txt" "$here/baseline.txt" &&
        echo "run-all: the figures are recorded in $here/baseline.txt" >&2
elif ! "$here/compare-baseline.sh" "$work/figures.txt" "$here/baseline.txt" >"$work/regressions.txt"; then
    sed 's/^/run-all: /' "$work/regressions.txt" >&2
    echo "run-all: figures regressed by more than 25% against bench/baseline.txt (see above)" >&2
    exit 1
else
    sed 's/^/run-all: /' "$work/regressions.txt" >&2
fi
