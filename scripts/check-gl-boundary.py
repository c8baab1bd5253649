#!/usr/bin/env python3
"""Fails when a GL or EGL entry point is called outside the files meant to call GL.

The immediate context reaches GL only through GlState; objects create and delete their GL names in
their own files; the context is made in GlContext. Everything else in the program talks Direct3D.

    check-gl-boundary.py SOURCE_ROOT
"""
import pathlib
import re
import sys

# The files of the program that may call GL, and why.
ALLOWED = {
    "platform/d3d11/GlState.cpp": "every bind, state value and piece of work of the context",
    "platform/d3d11/GlContext.cpp": "making the context and probing what it can do",
    "platform/d3d11/DeviceCore.cpp": "the pipelines and empty vertex array every device shares",
    "platform/d3d11/Framebuffers.cpp": "framebuffers by attachment set",
    "platform/d3d11/Resources.cpp": "creating, filling and deleting buffers, textures and views",
    "platform/d3d11/Shaders.cpp": "creating and deleting programs and vertex arrays",
    "platform/d3d11/States.cpp": "creating and deleting sampler objects",
    "platform/d3d11/UploadRing.cpp": "the mapped ring constant-buffer updates are written to, and its fences",
    "platform/d3d11/PassTimer.cpp": "the timestamp queries around annotated groups",
    "platform/d3d11/Diagnostics.cpp": "the read-back hook for tests and tools",
}
# Sources that are not part of the program: tests (and the driver reproductions kept with them),
# benchmarks and fuzz targets may call GL to check or measure it.
SKIPPED_DIRS = {"tests", "bench", "fuzz", "build", ".git"}

CALL = re.compile(r"\b(?:gl|egl)[A-Z]\w*\s*\(")
COMMENT_OR_STRING = re.compile(r'//[^\n]*|/\*.*?\*/|"(?:\\.|[^"\\\n])*"', re.S)


def violations(root):
    for path in sorted(root.rglob("*")):
        if path.suffix not in {".cpp", ".h", ".c", ".inc"} or not path.is_file():
            continue
        relative = path.relative_to(root)
        if relative.parts[0] in SKIPPED_DIRS or relative.as_posix() in ALLOWED:
            continue
        text = path.read_text(encoding="utf-8", errors="replace")
        # Blank out comments and strings, keeping line breaks so line numbers stay right.
        code = COMMENT_OR_STRING.sub(lambda m: re.sub(r"[^\n]", " ", m.group(0)), text)
        for number, line in enumerate(code.splitlines(), start=1):
            for call in CALL.finditer(line):
                yield f"{relative}:{number}: calls {call.group(0).rstrip('( ')}, but only GlState and the object files may call GL"


def main():
    if len(sys.argv) != 2:
        print(__doc__.strip().splitlines()[-1].strip(), file=sys.stderr)
        return 2
    root = pathlib.Path(sys.argv[1])
    found = list(violations(root))
    for line in found:
        print(line)
    for allowed in ALLOWED:
        if not (root / allowed).is_file():
            print(f"{allowed}: listed as allowed to call GL but missing; update the list")
            found.append(allowed)
    return 1 if found else 0


if __name__ == "__main__":
    sys.exit(main())
