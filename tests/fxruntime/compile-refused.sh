#!/bin/bash
# vexa-rhino-fxcompile on an input the HLSL compiler's libraries crashed on: it must end by itself
# with status 1 and an error at the file, never by a signal.
#   compile-refused.sh FXCOMPILE FILE
set -u
out=$(timeout 120 "$1" --quiet "$2" 2>&1)
code=$?
name=$(basename "$2")
if [ "$code" -ne 1 ]; then
    echo "FAIL: $name: status $code (expected 1)${out:+: $out}" >&2
    exit 1
fi
if ! grep -q "$name([0-9]*,[0-9]*): error X" <<<"$out"; then
    echo "FAIL: $name: no error at the file: $out" >&2
    exit 1
fi
echo "$out"
