#!/usr/bin/env bash
# Builds the libFuzzer targets with clang and runs each for FUZZ_SECONDS on a scratch copy of its
# committed corpus (new inputs stay out of the tree), FUZZ_JOBS targets at a time.
#   fuzz/run-fuzzers.sh [target...]       targets: obj mtl effect_source effect_blob stage_blob dds
# Environment: FUZZ_SECONDS (default 60), FUZZ_JOBS (default 2), FUZZ_BUILD_DIR (default
# build/fuzz), FUZZ_NO_BUILD=1 to use the binaries already built there.
# Crashes land in <build>/artifacts/<target>/; the script then exits 1. Add a crashing input to
# fuzz/corpus/<target>/ once it is fixed, so the replay tests keep it fixed.
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
build=$(realpath -m "${FUZZ_BUILD_DIR:-$root/build/fuzz}")
seconds=${FUZZ_SECONDS:-60}
jobs=${FUZZ_JOBS:-2}
all=(obj mtl effect_source effect_blob stage_blob dds)
targets=("$@")
[ ${#targets[@]} -eq 0 ] && targets=("${all[@]}")

for t in "${targets[@]}"; do
  [ -d "$root/fuzz/corpus/$t" ] || { echo "run-fuzzers: unknown target '$t' (known: ${all[*]})" >&2; exit 2; }
done
command -v clang++ >/dev/null || { echo "run-fuzzers: clang++ is needed for libFuzzer" >&2; exit 2; }

if [ "${FUZZ_NO_BUILD:-0}" != 1 ]; then
  cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ -DSHOW_FUZZERS=ON -DSHOW_COMPONENTS=fuzz \
    -DSHOW_BUILD_TESTS=OFF -DSHOW_BUILD_BENCH=OFF >/dev/null
  cmake --build "$build" -j "$jobs" --target "${targets[@]/%/_fuzz}"
fi

run_one() {
  local t=$1 exe="$build/fuzz/$1_fuzz" work="$build/work/$1" artifacts="$build/artifacts/$1"
  [ -x "$exe" ] || { echo "run-fuzzers: $exe is missing" >&2; return 2; }
  rm -rf "$work"
  mkdir -p "$work" "$artifacts"
  cp -r "$root/fuzz/corpus/$t/." "$work/"
  # -rss_limit_mb: the readers must not need more than this for any input the fuzzer makes.
  "$exe" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -print_final_stats=1 \
    -artifact_prefix="$artifacts/" "$work" >"$build/$t.log" 2>&1
}

mkdir -p "$build"
status=0
pids=() names=()
finish() {
  local i=$1 rc=0
  wait "${pids[$i]}" || rc=$?
  local t=${names[$i]} last execs
  last=$(grep -E '^#[0-9]+' "$build/$t.log" | tail -n 1 || true)
  execs=$(grep -E '^stat::number_of_executed_units' "$build/$t.log" | awk '{print $2}' || true)
  if [ "$rc" -eq 0 ]; then
    printf '%-14s ok     execs=%s  %s\n' "$t" "${execs:-?}" "$last"
  else
    printf '%-14s FAILED (see %s and %s)\n' "$t" "$build/$t.log" "$build/artifacts/$t/"
    status=1
  fi
}
for t in "${targets[@]}"; do
  run_one "$t" &
  pids+=($!) names+=("$t")
  if [ ${#pids[@]} -ge "$jobs" ]; then
    finish 0
    pids=("${pids[@]:1}") names=("${names[@]:1}")
  fi
done
while [ ${#pids[@]} -gt 0 ]; do
  finish 0
  pids=("${pids[@]:1}") names=("${names[@]:1}")
done
exit $status
