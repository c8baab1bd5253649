#!/bin/bash
# Runs a command with DISPLAY set to an X server of its own, and ends the server after it.
#   with-x-server.sh [--screen WxHxDEPTH] COMMAND [ARG...]     (default screen 1920x1080x24)
# Xvfb picks a free display number itself and reports it (-displayfd), which `xvfb-run -a` does not
# do safely: two started at once can pick the same number, the second server fails, and its command
# runs on the first one's server, which then vanishes under it when that test ends (a message box
# that cannot be shown, a window never seen).
set -u
screen=1920x1080x24
if [ "${1:-}" = --screen ]; then
    screen=$2
    shift 2
fi
[ $# -gt 0 ] || { echo "usage: with-x-server.sh [--screen WxHxDEPTH] COMMAND [ARG...]" >&2; exit 2; }

dir=$(mktemp -d) || exit 1
xvfb=""
cleanup() {
    [ -n "$xvfb" ] && kill "$xvfb" 2>/dev/null && wait "$xvfb" 2>/dev/null
    rm -rf "$dir"
}
trap cleanup EXIT
trap 'exit 143' TERM
trap 'exit 130' INT

mkfifo "$dir/display" || exit 1
Xvfb -displayfd 3 -screen 0 "$screen" -nolisten tcp -noreset 3>"$dir/display" 2>"$dir/xvfb.log" &
xvfb=$!
number=""
read -r -t 20 number <"$dir/display"
if [ -z "$number" ]; then
    echo "with-x-server: Xvfb reported no display within 20 s: $(tail -n 3 "$dir/xvfb.log")" >&2
    exit 1
fi
DISPLAY=:$number "$@"
