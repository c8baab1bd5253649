#!/bin/sh
# Renders the reference frames with the capture tool and makes them the approved ones.
# Usage: tests/show/approve-golden.sh [BUILD_DIR]   (default: build/release)
# Look at every image before committing it.
set -eu
here=$(cd "$(dirname "$0")" && pwd)
build=${1:-build/release}
bin=$(cd "$build/bin" && pwd)
if [ ! -x "$bin/vexa-rhino-capture" ]; then
    echo "approve-golden: $bin/vexa-rhino-capture not found; build the 'capture' target first" >&2
    exit 1
fi
out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT
(cd "$bin" && LP_NUM_THREADS=${LP_NUM_THREADS:-2} SDL_AUDIODRIVER=dummy \
    ./vexa-rhino-capture --beats 8,12,24,40,46,56,72,88,104 --out "$out" --size 320x180)
mkdir -p "$here/golden"
for f in "$out"/beat-*.png; do
    cp "$f" "$here/golden/"
    echo "approved $(basename "$f")"
done
