#!/bin/bash
# The four programs' command lines, on the built executables: --help and -h (usage on standard
# output, status 0), --version, unknown options and stray arguments (usage on standard error,
# status 2, before any work), no progress unless on a terminal, and where vexa-rhino and capture
# find their assets.
#   command-line.sh BIN_DIR FXCOMPILE RESGEN VERSION
set -u
bin=$1 fxcompile=$2 resgen=$3 version=$4
export SDL_AUDIODRIVER=dummy LP_NUM_THREADS=${LP_NUM_THREADS:-2}
failures=0
check() {  # DESCRIPTION COMMAND...
    "${@:2}" || { echo "FAIL: $1" >&2; failures=$((failures + 1)); }
}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work" || exit 1

for program in vexa-rhino vexa-rhino-capture vexa-rhino-fxcompile resgen; do
    exe=$bin/$program
    [ "$program" = vexa-rhino-fxcompile ] && exe=$fxcompile
    [ "$program" = resgen ] && exe=$resgen
    for arg in --help -h --version --no-such-option -x - late; do
        case $arg:$program in
        late:vexa-rhino) args=(stray) ;;
        late:vexa-rhino-capture) args=(--beats 1 --out made --bogus) ;;
        late:vexa-rhino-fxcompile) args=(--quiet a.fx --bogus) ;;
        late:resgen) args=(made Text1.obj --bogus) ;;
        *) args=("$arg") ;;
        esac
        "$exe" "${args[@]}" >out 2>err
        status=$?
        case $arg in
        --help | -h)
            check "$program $arg: status $status" [ "$status" = 0 ]
            check "$program $arg: usage on standard output" grep -q "^Usage: $program" out
            check "$program $arg: nothing on standard error" [ ! -s err ] ;;
        --version)
            check "$program --version: status $status" [ "$status" = 0 ]
            check "$program --version: '$(cat out)'" grep -qx "$program (Vexa Rhino) $version\( (git .*)\)\?" out ;;
        *)
            check "$program ${args[*]}: status $status, expected 2" [ "$status" = 2 ]
            check "$program ${args[*]}: nothing on standard output" [ ! -s out ]
            check "$program ${args[*]}: usage on standard error" grep -q "^Usage: $program" err ;;
        esac
    done
done
check "a refused command line made a folder" [ ! -e made ]

# The manual pages are made from --help, so it names every variable README.md's table gives the
# program, and the cache it writes.
readme=$(dirname "$0")/../../README.md
for program in vexa-rhino vexa-rhino-capture; do
    "$bin/$program" --help >help
    for variable in $(grep '^| `[A-Z_]*' "$readme" | grep "| \`$program\`\|, \`$program\`" |
        grep -o '^| `[^`]*`\(, `[^`]*`\)*' | grep -o '[A-Z][A-Z_]*[A-Z]'); do
        check "$program --help names $variable" grep -q "$variable" help
    done
    check "$program --help names the cache it writes" grep -q "vexa-rhino/effects" help
done
check "resgen made a folder named -x" [ ! -e ./-x ]

# Progress only on a terminal.
"$resgen" assets Text1.obj 2>err
check "resgen Text1.obj into a file: status $?, printed '$(head -c 200 err)'" [ ! -s err ]
check "resgen wrote Text1.obj" [ -s assets/Text1.obj ]
if command -v script >/dev/null 2>&1; then
    script -qec "'$resgen' assets Text1.obj" /dev/null >tty 2>&1
    check "resgen shows progress on a terminal" grep -q "resgen: \[1/1\] Text1.obj" tty
fi

# A Res/ with effect sources only (as the repository root's) does not count: capture takes the
# assets beside itself, and its output stays where it was started.
mkdir -p root/Res && cp "$bin/Res/Basic.fx" root/Res/
(cd root && "$bin/vexa-rhino-capture" --beats 1 --out frames 2>../err)
check "capture from a folder without assets: status $? ($(tail -n 2 err))" [ -s root/frames/beat-001.png ]

# Sizes: exactly WIDTHxHEIGHT; even for an MP4; and never silently another size than asked.
"$bin/vexa-rhino-capture" --beats 1 --render 1280x720x3 --out sizes 2>err
check "--render 1280x720x3: status $?, expected 2" grep -q 'takes WIDTHxHEIGHT' err
"$bin/vexa-rhino-capture" --mp4 odd.mp4 --render 321x181 2>err
check "--mp4 --render 321x181: status $?, expected 2" grep -q 'needs an even --render width and height' err
"$bin/vexa-rhino-capture" --beats 1 --render 100x400 --out sizes 2>err
status=$?
check "--render 100x400: status $status ($(tail -n 1 err))" [ "$status" = 1 ]
check "--render 100x400 names the size it became" grep -q 'cannot render at 100x400: the window keeps a minimum size and became 184x400' err
check "--render 100x400 wrote a frame" [ ! -e sizes/beat-001.png ]

# --out through a link to a folder that is not there names the link, not "File exists".
ln -s "$work/no-such-folder" dangling
"$bin/vexa-rhino-capture" --beats 1 --out dangling 2>err
status=$?
check "--out to a dangling link: status $status, expected 1" [ "$status" = 1 ]
check "--out to a dangling link says so: $(cat err)" grep -q "it is a symbolic link to $work/no-such-folder, which does not exist" err

# An effect on which the HLSL compiler's libraries end their process: vexa-rhino-fxcompile reports it
# as a failed compilation (status 1) instead of dying with it. Not where the build compiles in the
# program itself (the sanitizer build).
if [ -z "${SHOW_TEST_COMPILES_IN_PROCESS:-}" ]; then
    printf '%s\n' 'float a = 1;' 'int a = 2;' 'float4 PS() : SV_Target { return a; }' \
        'technique11 T { pass P { SetPixelShader(CompileShader(ps_5_0, PS())); } }' >fatal.fx
    timeout 60 "$fxcompile" fatal.fx >out 2>err
    status=$?
    check "fxcompile on a compiler-killing effect: status $status, expected 1" [ "$status" = 1 ]
    check "fxcompile names the failure: $(head -c 300 out)" grep -q "fatal.fx(1,1): error X3000: the HLSL compiler failed on this shader" out
fi

# vexa-rhino-fxcompile's output that cannot be written fails the run, with the reason: the listing to a
# full device or a closed standard output (said on standard error), the compiled effect into a missing
# folder or onto a FIFO (which stays a FIFO).
printf '%s\n' 'float4 PS() : SV_Target { return 1; }' \
    'technique11 T { pass P { SetPixelShader(CompileShader(ps_5_0, PS())); } }' >plain.fx
for sink in full closed; do
    if [ "$sink" = full ]; then "$fxcompile" plain.fx >/dev/full 2>err; else "$fxcompile" plain.fx >&- 2>err; fi
    status=$?
    check "fxcompile with its listing to a $sink output: status $status, expected 1" [ "$status" = 1 ]
    check "fxcompile says its listing was not written: $(cat err)" \
        grep -q "^vexa-rhino-fxcompile: standard output: cannot write: " err
done
mkfifo blob-fifo
for blob in missing/blob blob-fifo; do
    "$fxcompile" --quiet --out "$blob" plain.fx >out 2>&1
    status=$?
    check "fxcompile --out $blob: status $status, expected 1" [ "$status" = 1 ]
    check "fxcompile --out $blob gives the reason: $(cat out)" \
        grep -Eq "^$blob: cannot (create [^:]*|write): (No such file or directory|a FIFO is not replaced)" out
done
check "fxcompile --out left the FIFO a FIFO" [ -p blob-fifo ]

# Neither folder holds them: one message, status 1, at once.
mkdir alone && cp "$bin/vexa-rhino" "$bin/vexa-rhino-capture" alone/
for program in vexa-rhino vexa-rhino-capture; do
    (cd alone && timeout 20 "./$program" $([ "$program" = vexa-rhino-capture ] && echo --discard) 2>../err)
    status=$?
    check "$program without assets: status $status, expected 1" [ "$status" = 1 ]
    check "$program without assets: one line, '$(cat err)'" [ "$(wc -l <err)" = 1 ]
    check "$program without assets says why" grep -q "^$program: no Res/ folder with the show's assets" err
done

[ "$failures" = 0 ] || { echo "command-line: $failures failures" >&2; exit 1; }
echo "command-line: the four programs follow the conventions"
