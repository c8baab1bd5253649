#!/bin/sh
# Renders every frame of the show headless at one size and rate, each with a deadline, and fails
# naming the first frame that misses it (the capture's watchdog message names its index and beat).
#   frame-sweep.sh BIN_DIR FPS WIDTHxHEIGHT DEADLINE_SECONDS
set -u
[ $# -eq 4 ] || { echo "usage: frame-sweep.sh BIN_DIR FPS WIDTHxHEIGHT DEADLINE_SECONDS" >&2; exit 2; }
bin=$1 fps=$2 size=$3 deadline=$4

export SDL_AUDIODRIVER=dummy
export LP_NUM_THREADS=${LP_NUM_THREADS:-2}

cd "$bin" || { echo "frame-sweep: no folder $bin" >&2; exit 1; }
./vexa-rhino-capture --discard --fps "$fps" --render "$size" --frame-timeout "$deadline"
status=$?
if [ "$status" -ne 0 ]; then
    echo "frame-sweep: the sweep at $size, $fps fps failed (status $status)" >&2
    exit 1
fi
