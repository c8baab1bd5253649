#!/bin/bash
# Runs the show once with one fault applied to a private copy of its bin folder and checks what
# a user would see: the right exit status, no signal, no hang, a message on stderr that names the
# file and the problem, and no device object left alive.
#
#   fault-case.sh BIN_DIR WORK_DIR CASE [LOCALE]
#
# CASE is KIND:ARG (see apply_fault below). LOCALE, when given, is the locale the program runs
# under: a name for LANG (every LC_ variable unset), or "unset" for none at all; without it the
# program gets the caller's. The copy is made afresh in WORK_DIR/<case> each run:
# executables hard-linked (effect files are found beside the executable, so it cannot be a
# symlink into BIN_DIR), every Res file symlinked except the one the fault replaces or removes.
set -u

here=$(cd "$(dirname "$0")" && pwd)
bin=$1
work=$2
case_id=$3
kind=${case_id%%:*}
arg=${case_id#*:}
locale=${4:-}

# Seconds one start-up may take on a loaded two-core CI machine before it counts as a hang.
limit=${FAULT_TIMEOUT:-150}

export SDL_AUDIODRIVER=dummy
export LP_NUM_THREADS=${LP_NUM_THREADS:-2}
export SHOW_REPORT_LIVE_OBJECTS=1
if [ -n "$locale" ]; then
    unset LANGUAGE LC_ALL LC_CTYPE LC_NUMERIC LC_TIME LC_COLLATE LC_MONETARY LC_MESSAGES LC_PAPER LC_NAME \
        LC_ADDRESS LC_TELEPHONE LC_MEASUREMENT LC_IDENTIFICATION
    if [ "$locale" = unset ]; then unset LANG; else export LANG=$locale; fi
fi

fail() {
    echo "FAIL [$case_id]: $*" >&2
    if [ -f "$dir/stderr.txt" ]; then
        echo "---- stderr of the run ----" >&2
        tail -n 40 "$dir/stderr.txt" >&2
    fi
    exit 1
}

dir=$work/$(printf '%s' "$case_id${locale:+@$locale}" | tr -c 'A-Za-z0-9._-' '_')
rm -rf "$dir"
mkdir -p "$dir/Res" || exit 1
for exe in vexa-rhino-capture vexa-rhino; do
    [ -x "$bin/$exe" ] || { echo "fault-case: $bin/$exe is missing; build it first" >&2; exit 1; }
    ln "$bin/$exe" "$dir/$exe" 2>/dev/null || cp "$bin/$exe" "$dir/$exe" || exit 1
done
for f in "$bin"/Res/*; do
    ln -s "$(cd "$(dirname "$f")" && pwd)/$(basename "$f")" "$dir/Res/$(basename "$f")" || exit 1
done

# Replaces the symlink of Res/NAME by a private copy the fault may change.
own() {
    local target=$dir/Res/$1
    [ -L "$target" ] || fail "no asset Res/$1 to fault"
    cp --remove-destination "$(readlink "$target")" "$target" || fail "cannot copy Res/$1"
}

# Number of the first line of Res/NAME that starts with WORD.
first_line() {
    grep -n -m1 "^$2 " "$dir/Res/$1" | cut -d: -f1
}

# Rewrites line N of Res/NAME with a sed expression.
edit_line() {
    sed -i "$2s$3" "$dir/Res/$1" || fail "cannot edit Res/$1"
}

patch_bytes() {  # NAME OFFSET HEX-ESCAPES
    printf "$3" | dd of="$dir/Res/$1" bs=1 seek="$2" conv=notrunc status=none || fail "cannot patch Res/$1"
}

half() {
    local size
    size=$(stat -c %s "$dir/Res/$1")
    truncate -s $((size / 2)) "$dir/Res/$1" || fail "cannot truncate Res/$1"
}

# Each fault sets: program (capture or vexa-rhino), status (expected exit status), must (fixed
# strings stderr must hold, one per line), frame (1 when the show must have drawn its frame).
program=capture
status=0
frame=1
beats=1  # what the capture renders: beat 1 of the first scene, or also the second scene's beat 80
stack_kib=""  # a process stack limit (ulimit -s) for the run
open_files=""  # an open-file limit (ulimit -n) for the run
file_kib=""  # a file size limit (ulimit -f) for the run
address_kib=""  # an address-space limit (ulimit -v) for the run
live_report=1  # 0 where the program ends before it makes any device object, and so counts none
must=""

model_error() {  # the model's name and the line that must be named
    status=1
    frame=0
    must="Res/$1:$2:"
}

case $kind in
missing)  # ARG: a file under Res/ that the show reads from the working directory
    rm "$dir/Res/$arg" || exit 1
    case $arg in
    *.obj) must="warning: Res/$arg: cannot open the model file" ;;
    *.mp3) must="Res/$arg: not found" ;;
    *) must="Res/$arg: file not found" ;;
    esac
    ;;
missing-textures)  # every scene texture at once: each is named, the show draws with none bound
    must=""
    count=0
    for f in "$dir"/Res/*.png "$dir"/Res/*.jpg "$dir"/Res/*.tif; do
        [ -e "$f" ] || continue
        rm "$f" || exit 1
        must="$must${must:+
}Res/$(basename "$f"): file not found"
        count=$((count + 1))
    done
    [ "$count" -eq 27 ] || fail "expected 27 scene textures in Res/, found $count"
    ;;
missing-effect)  # ARG: an effect file; its compilation fails, is reported, and the show goes on
    rm "$dir/Res/$arg" || exit 1
    must="Res/$arg
Effects(30): D3DX11CompileFromFile hr=
Do you want to debug the application?"
    ;;
effect-syntax)  # ARG: an effect file that gets a line the compiler cannot parse
    own "$arg"
    printf '\nfloat4 broken( { return 1 }\n' >>"$dir/Res/$arg"
    line=$(wc -l <"$dir/Res/$arg")
    must="Res/$arg($line
Effects(30): D3DX11CompileFromFile hr="
    ;;
effect-renamed-technique)  # ARG: file:technique; the technique is renamed, the show goes on without it
    file=${arg%%:*} technique=${arg#*:}
    own "$file"
    sed -i "s/^technique11 $technique\$/technique11 ${technique}Renamed/" "$dir/Res/$file" || exit 1
    grep -q "^technique11 ${technique}Renamed\$" "$dir/Res/$file" || fail "no technique $technique in Res/$file"
    must="Res/$file: no technique named \"$technique\"; what it draws is left out"
    ;;
effect-technique-without-passes)  # ARG: file:technique; the technique is emptied (its passes go to another)
    file=${arg%%:*} technique=${arg#*:}
    own "$file"
    sed -i "s/^technique11 $technique\$/technique11 $technique {}\ntechnique11 ${technique}Passes/" "$dir/Res/$file" ||
        exit 1
    grep -q "^technique11 $technique {}\$" "$dir/Res/$file" || fail "no technique $technique in Res/$file"
    must="Res/$file: the technique \"$technique\" has no passes; what it draws is left out"
    ;;
effect-fatal)  # ARG: an effect file replaced by one on which the HLSL compiler's libraries die (glslang faults
    # on a name declared twice): that effect fails to compile, the show goes on
    rm "$dir/Res/$arg" || exit 1
    printf '%s\n' 'float a = 1;' 'int a = 2;' 'float4 PS() : SV_Target { return a; }' \
        'technique11 T { pass P { SetPixelShader(CompileShader(ps_5_0, PS())); } }' >"$dir/Res/$arg"
    export SHOW_EFFECT_CACHE=0
    must="Res/$arg(1,1): error X3000: the HLSL compiler failed on this shader (in glslang's HLSL front end or SPIRV-Tools' legalization (shaderc), it ended with signal"
    ;;
effect-crash-case)  # ARG: EFFECT=FILE: an effect file replaced by one of the compiler's crash cases
    # (tests/fxruntime/semantics/crashes): that effect fails to compile with a message at the file,
    # the show goes on
    effect=${arg%%=*}
    rm "$dir/Res/$effect" && cp "${arg#*=}" "$dir/Res/$effect" || exit 1
    export SHOW_EFFECT_CACHE=0
    must="Res/$effect("$'\n'"): error X"
    ;;
effect-empty)  # ARG: an effect file made empty: it compiles to an effect without techniques or variables
    own "$arg"
    : >"$dir/Res/$arg"
    must="Res/$arg: no technique named"
    ;;
effect-driver-stall)  # ARG: an effect file whose pixel shader PS gets a valid switch of 3,000 cases, which
    # llvmpipe links for minutes: the program is built at the shader's first draw, in the second
    # scene, and past the frame's limit the program ends, naming the frame and the shader
    own "$arg"
    awk '
        /^float4 PS\(/ { in_ps = 1 }
        in_ps && /^    return / && !done {
            print "    float stall = 0.0f;"
            print "    switch ((int)(pin.Tex.x * 3000.0f))"
            print "    {"
            for (i = 0; i < 3000; i++) print "        case " i ": stall += " i " * 1e-6f; break;"
            print "        default: break;"
            print "    }"
            sub(/return /, "return stall + ")
            done = 1
        }
        { print }
        END { if (!done) exit 1 }' "$(readlink -f "$bin/Res/$arg")" >"$dir/Res/$arg" ||
        fail "no PS returning a value in Res/$arg"
    export SHOW_EFFECT_CACHE=0
    beats=80
    status=1
    frame=0
    live_report=0  # the program ends from its watch thread, counting nothing
    must="(beat 80.000), building the program of "
    must="$must"$'\n'"Res/$arg: PS("
    must="$must"$'\n'"has not finished after 60 s; the graphics driver is stuck in it, so the program ends"
    ;;
effect-retyped)  # ARG: FILE:DECLARATION=NEW, both without their ";": a declaration of an effect file is
    # rewritten, a texture or UAV of floats declared with integer elements: the show's views of
    # floats are refused, naming the effect, the variable and the view
    file=${arg%%:*} rest=${arg#*:}
    from=${rest%%=*} to=${rest#*=}
    own "$file"
    grep -qxF "$from;" "$dir/Res/$file" || fail "no line '$from;' in Res/$file"
    sed -i "s/^$from;\$/$to;/" "$dir/Res/$file" || exit 1
    variable=${to##* }
    case $to in
    *'<uint'*) held="unsigned integers" ;;
    *) held="signed integers" ;;
    esac
    export SHOW_EFFECT_CACHE=0
    must="Res/$file: $variable holds $held, but the view given to it ("
    must="$must"$'\n'") reads as floats; it is not bound"
    ;;
swapped)  # ARG: target=source; the asset target holds a copy of source (a 2D image as the cube map, say)
    target=${arg%%=*} source=${arg#*=}
    own "$target"
    cp --remove-destination "$(readlink -f "$dir/Res/$source")" "$dir/Res/$target" || exit 1
    beats=1,80
    case $target in
    *.dds) must="warning: Res/$target: a 2D texture given to the effect's gCubeMap, which takes a cube map; it is not bound" ;;
    *) must="warning: Res/$target: a cube map given to the effect's gDiffuseMap, which takes a 2D texture; it is not bound" ;;
    esac
    ;;
small-stack)  # ARG: KiB; the whole start-up, every effect compiled afresh, under that stack limit
    stack_kib=$arg
    export SHOW_EFFECT_CACHE=0
    if [ "$arg" -lt 256 ]; then
        status=1
        frame=0
        live_report=0
        must="vexa-rhino-capture: the stack is limited to $arg KiB (ulimit -s); the show needs at least 256 KiB, so it does not start"
    fi
    ;;
open-files)  # ARG: count; below the show's need it is refused at once, as for the address space
    open_files=$arg
    status=1
    frame=0
    live_report=0
    must="vexa-rhino-capture: the number of open files is limited to $arg (ulimit -n); the show needs at least 16, so it does not start"
    ;;
file-size)  # ARG: KiB; below what one frame may take, the capture is refused before it renders
    file_kib=$arg
    status=1
    frame=0
    live_report=0
    must="vexa-rhino-capture: the size of a file is limited to $arg KiB (ulimit -f); a 1280x720 frame may take up to 4052 KiB, so the show does not start"
    ;;
address-space)  # ARG: KiB; the whole start-up, effects compiled afresh, under that address-space limit
    address_kib=$arg
    export SHOW_EFFECT_CACHE=0
    if [ "$arg" -lt $((768 * 1024)) ]; then
        # Refused at once: below this, where an allocation fails inside a library differs from run to run.
        status=1
        frame=0
        live_report=0
        must="vexa-rhino-capture: the address space is limited to $((arg / 1024)) MiB (ulimit -v); the show needs at least 768 MiB, so it does not start"
    fi
    ;;
obj-number)  # ARG: model; its first vertex gets a coordinate that is not a number
    own "$arg"
    n=$(first_line "$arg" v)
    edit_line "$arg" "$n" '/.*/v 1 x 3/'
    model_error "$arg" "$n"
    must="$must
invalid stof argument"
    ;;
obj-out-of-range)  # ARG: model; its first vertex gets a coordinate no float can hold
    own "$arg"
    n=$(first_line "$arg" v)
    edit_line "$arg" "$n" '/.*/v 1e999 0 0/'
    model_error "$arg" "$n"
    must="$must
stof argument out of range"
    ;;
obj-index-past-end)  # ARG: model; its first face names a vertex that does not exist
    own "$arg"
    n=$(first_line "$arg" f)
    edit_line "$arg" "$n" '/^f [0-9]*/f 99999999/'
    model_error "$arg" "$n"
    ;;
obj-index-zero)  # ARG: model; its first face uses index 0, which OBJ does not have
    own "$arg"
    n=$(first_line "$arg" f)
    edit_line "$arg" "$n" '/^f [0-9]*/f 0/'
    model_error "$arg" "$n"
    ;;
obj-quad)  # ARG: model; its first face gets a fourth corner
    own "$arg"
    n=$(first_line "$arg" f)
    edit_line "$arg" "$n" '/^f \([^ ]*\)\(.*\)$/f \1\2 \1/'
    model_error "$arg" "$n"
    ;;
obj-empty)  # ARG: model; readable but empty: a model without faces, drawn as nothing, with a warning
    own "$arg"
    : >"$dir/Res/$arg"
    must="warning: Res/$arg: the model file has no faces; the model draws nothing"
    ;;
obj-tiny)  # ARG: model; its first vertex gets coordinates below the normal floats, read as the nearest
    own "$arg"
    n=$(first_line "$arg" v)
    edit_line "$arg" "$n" '/.*/v 1e-40 1.4e-45 -1e-50/'
    ;;
obj-bom)  # ARG: model; rewritten to start with a UTF-8 byte order mark right before its first vertex
    own "$arg"
    { printf '\xEF\xBB\xBF'; grep -v '^#\|^mtllib' "$(readlink -f "$bin/Res/$arg")"; } >"$dir/Res/$arg" ||
        fail "cannot rewrite Res/$arg"
    status=1
    frame=0
    must="warning: Res/$arg:1: the file starts with a UTF-8 byte order mark, which the reader takes as part of the first word, so line 1 is skipped
but the file has"
    ;;
obj-tabs)  # ARG: model; every space a tab: no line is read, and the first such line is named
    own "$arg"
    sed -i 's/ /\t/g' "$dir/Res/$arg" || fail "cannot edit Res/$arg"
    must="warning: Res/$arg:2: tabs separate the fields of this line; only spaces do, so the line (\"mtllib\" and what follows) is skipped
warning: Res/$arg: the model file has no faces; the model draws nothing"
    ;;
obj-cr)  # ARG: model; lines end in a carriage return alone: the file reads as one comment line
    own "$arg"
    tr '\n' '\r' <"$(readlink -f "$bin/Res/$arg")" >"$dir/Res/$arg" || fail "cannot rewrite Res/$arg"
    must="warning: Res/$arg:1: this line ends in a carriage return alone; only a line feed ends a line, so what follows is read as part of this line
warning: Res/$arg: the model file has no faces; the model draws nothing"
    ;;
obj-hex)  # ARG: model; its first vertex gets a hexadecimal coordinate, which reads as 0
    own "$arg"
    n=$(first_line "$arg" v)
    edit_line "$arg" "$n" '/^v [^ ]*/v 0x1p3/'
    must="warning: Res/$arg:$n: \"0x1p3\" is read as 0: numbers are decimal, and the reader stops at the x"
    ;;
obj-decimal-comma)  # ARG: model; its first vertex gets a coordinate with a decimal comma, which reads as 0
    own "$arg"
    n=$(first_line "$arg" v)
    edit_line "$arg" "$n" '/^v [^ ]*/v 0,5/'
    must="warning: Res/$arg:$n: \"0,5\" is read as \"0\": the decimal separator is a point, and the reader stops at the comma"
    ;;
obj-empty-first-group)  # ARG: model; an empty group before its first: a model drawn by its first group vanishes
    own "$arg"
    n=$(grep -n -m1 '^[go] ' "$dir/Res/$arg" | cut -d: -f1)
    sed -i "${n}i g Empty" "$dir/Res/$arg" || fail "cannot edit Res/$arg"
    must="warning: Res/$arg: its first group (\"Empty\") has no faces, and only the first group of this model is drawn; the model draws nothing"
    ;;
music-wav)  # the music replaced by a second of silence as WAV, under the MP3's name
    rm "$dir/Res/vexa-rhino.mp3" || exit 1
    python3 -c 'import sys, wave
w = wave.open(sys.argv[1], "wb"); w.setnchannels(1); w.setsampwidth(2); w.setframerate(44100)
w.writeframes(bytes(88200)); w.close()' "$dir/Res/vexa-rhino.mp3" || fail "cannot write the WAV"
    must="mciSendString: Res/vexa-rhino.mp3: holds WAV audio, not MPEG; it is played as what it holds"
    ;;
music-cut)  # the music cut to half its length
    own vexa-rhino.mp3
    half vexa-rhino.mp3
    must="mciSendString: Res/vexa-rhino.mp3: ends inside its frame
its header gives (cut short?); it plays"
    ;;
music-not-audio)  # text under the music's name
    rm "$dir/Res/vexa-rhino.mp3" || exit 1
    echo "not music" >"$dir/Res/vexa-rhino.mp3"
    must="mciSendString: Res/vexa-rhino.mp3: not MPEG audio (no MPEG audio frames near its start)"
    ;;
directory)  # ARG: comma-separated files, each replaced by a directory of the same name
    for f in ${arg//,/ }; do
        rm "$dir/Res/$f" && mkdir "$dir/Res/$f" || exit 1
        case $f in
        *.obj) text="warning: Res/$f: cannot open the model file" ;;
        *.mp3) text="Res/$f: not found or not a file" ;;
        *.fx) text="Res/$f(1,1): error X3501: cannot open effect file (not a regular file)" ;;
        *) text="Res/$f: not a regular file" ;;
        esac
        must="$must${must:+
}$text"
    done
    ;;
fifo | device | sparse)  # ARG: comma-separated files, each replaced by a FIFO no one writes, a link to
    # /dev/zero, or a sparse 4 GiB file: each is refused at once, by name, never waited on or read
    for f in ${arg//,/ }; do
        rm -f "$dir/Res/$f" || exit 1
        case $kind in
        fifo) mkfifo "$dir/Res/$f" ;;
        device) ln -s /dev/zero "$dir/Res/$f" ;;
        sparse) truncate -s 4G "$dir/Res/$f" ;;
        esac || fail "cannot make Res/$f a $kind"
        reason="not a regular file"
        case $kind:$f in
        sparse:*.obj | sparse:*.mtl) reason="larger than 1024 MiB" ;;
        sparse:*.fx) reason="larger than 16 MiB" ;;
        sparse:*) reason="larger than 1536 MiB" ;;
        esac
        case $f in
        *.obj) text="warning: Res/$f: cannot open the model file ($reason)" ;;
        *.mtl) text="warning: Res/$f: $reason; its materials are missing" ;;
        *.mp3) text="Res/$f: not found or not a file" ;;
        *.fx) text="Res/$f(1,1): error X3501: cannot open effect file ($reason)" ;;
        *) text="Res/$f: $reason" ;;
        esac
        must="$must${must:+
}$text"
    done
    ;;
empty-file)  # ARG: comma-separated images, each replaced by an empty file
    for f in ${arg//,/ }; do
        own "$f"
        : >"$dir/Res/$f"
        must="$must${must:+
}D3DX11CreateShaderResourceViewFromFileW: Res/$f: "
    done
    ;;
truncated)  # ARG: an image cut to half its size
    own "$arg"
    half "$arg"
    must="Res/$arg"
    ;;
dds-oversize)  # the cube map claims 16384x16384 faces it does not hold
    own 10.dds
    patch_bytes 10.dds 12 '\x00\x40\x00\x00\x00\x40\x00\x00'
    must="Res/10.dds"
    ;;
dds-cube-one-face)  # the cube flag with only the +X face flagged
    own 10.dds
    patch_bytes 10.dds 112 '\x00\x06\x00\x00'
    must="Res/10.dds"
    ;;
window-model-error)  # the real program in a window: a malformed model stops it, status 1
    program=window
    own "$arg"
    n=$(first_line "$arg" v)
    edit_line "$arg" "$n" '/.*/v 1 x 3/'
    model_error "$arg" "$n"
    must="$must
Cannot load a model"
    ;;
window-missing-assets)  # the real program in a window, assets missing, closed with Escape
    program=window-escape
    for f in ${arg//,/ }; do rm "$dir/Res/$f" || exit 1; done
    frame=0
    must=""
    for f in ${arg//,/ }; do must="$must${must:+
}Res/$f"; done
    ;;
window-term-at-box)  # ARG: an effect file removed; its error box gets SIGTERM instead of an answer,
    # which ends the real program at once (the box's own loop would leave a close request unseen)
    program=window-term-at-box
    rm "$dir/Res/$arg" || exit 1
    status=143
    frame=0
    live_report=0  # ended from the signal handler, counting nothing
    must="Res/$arg(1,1): error X3501
vexa-rhino: interrupted while a message box was open; ending now"
    ;;
headless-model-error)  # the real program with no display: a malformed model stops it, status 1
    program=vexa-rhino
    own "$arg"
    n=$(first_line "$arg" f)
    edit_line "$arg" "$n" '/^f [0-9]*/f 99999999/'
    model_error "$arg" "$n"
    ;;
*)
    echo "fault-case: unknown case kind '$kind'" >&2
    exit 2
    ;;
esac

cd "$dir" || exit 1
case $program in
capture)
    (
        if [ -n "$stack_kib" ]; then ulimit -s "$stack_kib" || exit 1; fi
        if [ -n "$address_kib" ]; then ulimit -v "$address_kib" || exit 1; fi
        if [ -n "$open_files" ]; then ulimit -n "$open_files" || exit 1; fi
        if [ -n "$file_kib" ]; then ulimit -f "$file_kib" || exit 1; fi
        exec timeout -k 10 "$limit" ./vexa-rhino-capture --beats "$beats" --out out 2>stderr.txt >stdout.txt
    )
    ;;
vexa-rhino)
    env -u DISPLAY -u WAYLAND_DISPLAY timeout -k 10 "$limit" ./vexa-rhino 2>stderr.txt >stdout.txt
    ;;
window | window-escape | window-term-at-box)
    option=""
    [ "$program" = window-escape ] && option=--close
    [ "$program" = window-term-at-box ] && option=--term-at-box
    timeout -k 10 "$limit" "$here/../with-x-server.sh" "$here/drive-window.sh" $option
    ;;
esac
code=$?

if [ -s waited.txt ]; then
    fail "$(cat waited.txt)"
fi
if [ "$code" -eq 124 ] || [ "$code" -eq 137 ]; then
    fail "no end within $limit s (hang)"
fi
if [ "$code" -gt 128 ] && [ "$code" -ne "$status" ]; then
    fail "killed by signal $((code - 128))"
fi
if grep -q "AddressSanitizer\|LeakSanitizer\|runtime error:" stderr.txt; then
    fail "sanitizer report"
fi
if [ "$code" -ne "$status" ]; then
    fail "exit status $code, expected $status"
fi
while IFS= read -r text; do
    [ -z "$text" ] && continue
    grep -qF -- "$text" stderr.txt || fail "stderr does not say \"$text\""
done <<<"$must"
if [ "$live_report" = 1 ] && ! grep -q "live device objects at exit: 0$" stderr.txt; then
    fail "device objects left alive, or the count was not reported"
fi
if [ "$frame" = 1 ] && [ ! -s out/beat-001.png ]; then
    fail "the show did not draw its frame"
fi
echo "ok [$case_id]: status $code"
rm -rf "$dir"
