#!/usr/bin/env bash
# Fails when a source of platform/d3d11 or fxruntime, or a header of theirs, breaks a house check of
# .clang-tidy (braces, names, function length), printing each finding as clang-tidy words it. The
# sources are read as BUILD_DIR compiles them (its compile_commands.json), one clang-tidy per core.
#   check-tidy.sh BUILD_DIR [SOURCE_ROOT]
set -euo pipefail
[ $# -ge 1 ] || { echo "usage: check-tidy.sh BUILD_DIR [SOURCE_ROOT]" >&2; exit 2; }
build=$(cd "$1" && pwd)
root=$(cd "${2:-$(dirname "$0")/..}" && pwd)
tidy=$(command -v clang-tidy-14 || command -v clang-tidy || true)
[ -n "$tidy" ] || { echo "check-tidy: clang-tidy is missing (package clang-tidy)" >&2; exit 1; }
[ -f "$build/compile_commands.json" ] ||
    { echo "check-tidy: $build/compile_commands.json is missing (configure with CMAKE_EXPORT_COMPILE_COMMANDS=ON)" >&2; exit 1; }

logs=$(mktemp -d)
trap 'rm -rf "$logs"' EXIT
# The build's own list, so that a source the build does not compile is not checked either. A source
# that other targets compile too (the fuzzers) is read once, as its own library compiles it: the
# others' objects are named .../__/<folder>/<file>.o.
scope=$(printf '%s' "$root" | sed 's/[][\.*^$+?(){}|]/\\&/g')'/(platform/d3d11|platform/blobs|fxruntime)/'
mapfile -t files < <(python3 -c '
import json, os, re, sys
want = re.compile(sys.argv[2])
chosen = {}
for e in json.load(open(sys.argv[1])):
    path = os.path.normpath(os.path.join(e["directory"], e["file"]))
    if want.search(path) and (path not in chosen or "/__/" in chosen[path].get("command", "")):
        chosen[path] = e
json.dump(list(chosen.values()), open(os.path.join(sys.argv[3], "compile_commands.json"), "w"))
print("\n".join(sorted(chosen)))
' "$build/compile_commands.json" "^$scope.*\\.cpp\$" "$logs")
[ -n "${files[0]:-}" ] || { echo "check-tidy: $build compiles no source of $root/platform/d3d11 or fxruntime" >&2; exit 1; }

# -Wno-error: a warning only clang gives, under the release build's -Werror, is the compiler's
# business, not this check's; the same for a GCC warning option clang does not know.
printf '%s\n' "${files[@]}" | xargs -d '\n' -n 1 -P "$(nproc)" sh -c '
    log="$1/$(printf %s "$3" | tr / _)"
    "$0" -p "$1" --quiet --header-filter="^$2" --extra-arg=-Wno-unknown-warning-option --extra-arg=-Wno-error \
        "$3" >"$log.log" 2>&1 || echo "$3" >"$log.failed"' "$tidy" "$logs" "$scope"

failed=$(find "$logs" -name "*.failed" | wc -l)
if [ "$failed" -eq 0 ]; then
    echo "check-tidy: ${#files[@]} files of platform/d3d11, platform/blobs and fxruntime pass .clang-tidy"
    exit 0
fi
# A header's finding comes once from each source that includes it: each is printed once, with its
# notes and source lines, in the order of the sources.
cat "$logs"/*.log | awk '
    /^[0-9]+ (warning|error)s? (and [0-9]+ (warning|error)s? )?generated\.$/ { next }
    /^[^ ]+:[0-9]+:[0-9]+: (warning|error): |^Error while processing / { flush(); block = $0 "\n"; next }
    { block = block $0 "\n" }
    function flush() { if (block != "" && !(block in seen)) { seen[block] = 1; printf "%s", block } block = "" }
    END { flush() }'
echo "check-tidy: $failed of ${#files[@]} files of platform/d3d11, platform/blobs and fxruntime break .clang-tidy (above)" >&2
exit 1
