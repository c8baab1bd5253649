#!/usr/bin/env python3
"""Reads an `apitrace dump` of show_bench and, optionally, `apitrace replay --pcpu` profiles of the
same trace. show_bench reads the back buffer back once per frame, so the read-backs split the calls
into frames: the first is the start-up frame, then FRAMES frames of each scene.

Prints the GL calls per frame, the state calls per frame that set a value equal to the current one
(the same program, texture, sampler, buffer, capability, mask... as the last call for that slot),
and for each profile the median and the mean replayed frame time of each scene in milliseconds.

    trace_frames.py DUMP FRAMES_PER_SCENE [PCPU_PROFILE ...]
"""
import re
import statistics
import sys
from collections import Counter

READBACK = "glGetTextureSubImage"

# State setters: how many leading arguments name the slot; the remaining ones are the value.
SETTERS = {
    "glUseProgram": 0, "glBindProgramPipeline": 0, "glUseProgramStages": 2, "glBindVertexArray": 0,
    "glBindTextureUnit": 1, "glBindSampler": 1, "glBindImageTexture": 1, "glBindBufferBase": 2,
    "glBindBufferRange": 2, "glBindFramebuffer": 1, "glBindTexture": 1, "glActiveTexture": 0,
    "glColorMaski": 1, "glColorMask": 0, "glDepthMask": 0, "glDepthFunc": 0, "glStencilMask": 0,
    "glStencilFunc": 0, "glStencilOp": 0, "glStencilFuncSeparate": 1, "glStencilOpSeparate": 1,
    "glCullFace": 0, "glFrontFace": 0, "glPolygonMode": 1, "glPolygonOffset": 0, "glBlendColor": 0,
    "glBlendFunci": 1, "glBlendFuncSeparatei": 1, "glBlendEquationi": 1, "glBlendEquationSeparatei": 1,
    "glBlendFunc": 0, "glBlendFuncSeparate": 0, "glBlendEquation": 0, "glBlendEquationSeparate": 0,
    "glViewport": 0, "glViewportIndexedf": 1, "glViewportIndexedfv": 1, "glDepthRangeIndexed": 1,
    "glScissor": 0, "glScissorIndexed": 1, "glClipControl": 0, "glPixelStorei": 1, "glLineWidth": 0,
    "glVertexArrayVertexBuffer": 2, "glVertexArrayElementBuffer": 1, "glVertexArrayBindingDivisor": 2,
    "glVertexArrayAttribFormat": 2, "glVertexArrayAttribBinding": 2, "glSampleMaski": 1,
    "glNamedFramebufferDrawBuffers": 1, "glNamedFramebufferTexture": 2, "glMinSampleShading": 0,
    "glPatchParameteri": 1, "glProvokingVertex": 0, "glPrimitiveRestartIndex": 0,
}
# Enable/Disable pairs share one slot per capability (and index).
SWITCHES = {"glEnable": True, "glDisable": False, "glEnablei": True, "glDisablei": False}
# An argument shown only as an address into the traced process: the value behind it is unknown, so
# such a call is never judged redundant.
POINTER = re.compile(r"^0x[0-9a-f]+$")

CALL = re.compile(r"^(\d+) (\w+)\((.*)\)")


def split_args(text):
    """Splits the top-level arguments of a dumped call ("a = 1, b = {1, 2}")."""
    args, depth, current = [], 0, ""
    for ch in text:
        if ch in "{[(":
            depth += 1
        elif ch in "}])":
            depth -= 1
        if ch == "," and depth == 0:
            args.append(current.strip())
            current = ""
        else:
            current += ch
    if current.strip():
        args.append(current.strip())
    return [a.split(" = ", 1)[-1] for a in args]


def read_calls(path):
    calls = []
    with open(path, encoding="utf-8", errors="replace") as dump:
        for line in dump:
            match = CALL.match(line)
            if match and match.group(2).startswith("gl"):
                calls.append((int(match.group(1)), match.group(2), match.group(3)))
    return calls


def analyse(calls, frames):
    """Per frame: GL calls and redundant state calls; the call numbers of the read-backs."""
    readbacks = [number for number, name, _ in calls if name == READBACK]
    expected = 1 + 2 * frames
    if len(readbacks) < expected:
        sys.exit(f"trace_frames: {len(readbacks)} read-backs in the trace, expected {expected}")
    readbacks = readbacks[-expected:]
    state = {}
    per_frame_calls = Counter()
    per_frame_redundant = Counter()
    offenders = Counter()
    for number, name, text in calls:
        frame = sum(1 for r in readbacks if r < number)  # 0: start-up, 1..2F: measured frames
        if name in SWITCHES:
            args = split_args(text)
            key, value = (name.rstrip("i").replace("Disable", "Enable"), *args), SWITCHES[name]
        elif name in SETTERS:
            args = split_args(text)
            count = SETTERS[name]
            key, value = (name, *args[:count]), tuple(args[count:])
            if any(POINTER.match(a) for a in args):
                state.pop(key, None)
                key = None
        else:
            key = None
        if 1 <= frame <= 2 * frames:
            per_frame_calls[frame] += 1
        if key is None:
            continue
        if state.get(key) == value and 1 <= frame <= 2 * frames:
            per_frame_redundant[frame] += 1
            offenders[name] += 1
        state[key] = value
        if name in ("glEnable", "glDisable"):
            # The unindexed switch sets every index of the capability too.
            for other in [k for k in state if len(k) == 3 and k[0] == "glEnable" and k[1] == key[1]]:
                state[other] = value
    return readbacks, per_frame_calls, per_frame_redundant, offenders


def replayed_frames(profile, readbacks):
    """Replayed frame times (ms) from an --pcpu profile: a frame runs from the first profiled call
    after one read-back to the first after the next. None when the profile stops early."""
    starts = []
    with open(profile, encoding="utf-8", errors="replace") as lines:
        for line in lines:
            parts = line.split()
            if len(parts) >= 6 and parts[0] == "call":
                starts.append((int(parts[1]), int(parts[4])))
    starts.sort()

    def first_after(call):
        return next((t for number, t in starts if number > call), None)

    boundaries = [first_after(r) for r in readbacks]
    if any(b is None for b in boundaries):
        return None
    return [(boundaries[i + 1] - boundaries[i]) / 1e6 for i in range(len(boundaries) - 1)]


def frame_times(profile, readbacks, frames):
    """Median replayed frame time per scene (ms), or None."""
    times = replayed_frames(profile, readbacks)
    if times is None:
        return None
    return statistics.median(times[:frames]), statistics.median(times[frames:])


def frame_means(profile, readbacks, frames):
    """Mean replayed frame time per scene (ms), or None: what show_bench --pipelined measures."""
    times = replayed_frames(profile, readbacks)
    if times is None:
        return None
    return statistics.mean(times[:frames]), statistics.mean(times[frames:2 * frames])


def main():
    if len(sys.argv) < 3:
        sys.exit(__doc__)
    frames = int(sys.argv[2])
    calls = read_calls(sys.argv[1])
    readbacks, per_frame_calls, per_frame_redundant, offenders = analyse(calls, frames)
    measured = range(1, 2 * frames + 1)
    print(f"trace GL calls per frame: {statistics.mean(per_frame_calls[f] for f in measured):.0f}")
    print(f"redundant state calls per frame: {statistics.mean(per_frame_redundant[f] for f in measured):.1f}")
    for name, count in offenders.most_common(8):
        print(f"  {name}: {count / (2 * frames):.1f} per frame")
    for profile in sys.argv[3:]:
        medians = frame_times(profile, readbacks, frames)
        if medians is None:
            print(f"replay {profile}: n/a (the profile does not cover every frame)")
        else:
            means = frame_means(profile, readbacks, frames)
            print(f"replay {profile}: first scene {medians[0]:.2f} ms, second scene {medians[1]:.2f} ms")
            print(f"replay mean {profile}: first scene {means[0]:.2f} ms, second scene {means[1]:.2f} ms")


if __name__ == "__main__":
    main()
