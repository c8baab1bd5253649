#!/usr/bin/env python3
"""The trace reader behind the performance table: frames split at the read-backs, redundant state
calls told apart from real changes, replayed frame times taken between read-backs."""
import os
import sys
import tempfile
import unittest

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "bench"))
import trace_frames  # noqa: E402

READBACK = "glGetTextureSubImage(texture = 2, level = 0, pixels = 0x55aa)"


def dump(*frames):
    """A dump whose frames (lists of call texts) each end with a read-back; the first is start-up."""
    lines, number = [], 10
    for frame in frames:
        for call in list(frame) + [READBACK]:
            lines.append(f"{number} {call}")
            number += 1
        lines.append("")
    return "\n".join(lines)


class TraceFramesTest(unittest.TestCase):
    def analyse(self, text, frames):
        with tempfile.NamedTemporaryFile("w", suffix=".dump", delete=False) as f:
            f.write(text)
        self.addCleanup(os.unlink, f.name)
        return trace_frames.analyse(trace_frames.read_calls(f.name), frames)

    def test_redundancy_cases(self):
        cases = [
            # (name, start-up calls, calls of the one measured frame of each scene, redundant per scene)
            ("same program again", ["glUseProgram(program = 3)"],
             [["glUseProgram(program = 3)"], ["glUseProgram(program = 4)"]], [1, 0]),
            ("texture unit is part of the slot", ["glBindTextureUnit(unit = 0, texture = 5)"],
             [["glBindTextureUnit(unit = 1, texture = 5)"], ["glBindTextureUnit(unit = 1, texture = 5)"]], [0, 1]),
            ("disable after enable is a change", ["glEnable(cap = GL_BLEND)"],
             [["glDisable(cap = GL_BLEND)"], ["glDisable(cap = GL_BLEND)"]], [0, 1]),
            ("unindexed switch sets every index", ["glDisablei(cap = GL_BLEND, index = 0)", "glEnable(cap = GL_BLEND)"],
             [["glDisablei(cap = GL_BLEND, index = 0)"], ["glEnablei(cap = GL_BLEND, index = 1)"]], [0, 0]),
            ("a value seen only through an address is not judged",
             ["glViewportIndexedfv(index = 0, v = 0x1000)"], [["glViewportIndexedfv(index = 0, v = 0x1000)"], []],
             [0, 0]),
            ("arrays shown by value are compared", ["glViewportIndexedfv(index = 0, v = {0, 0, 64, 64})"],
             [["glViewportIndexedfv(index = 0, v = {0, 0, 64, 64})"],
              ["glViewportIndexedfv(index = 0, v = {0, 0, 32, 64})"]], [1, 0]),
            ("calls other than state are never redundant", ["glDrawArrays(mode = GL_TRIANGLES, first = 0, count = 3)"],
             [["glDrawArrays(mode = GL_TRIANGLES, first = 0, count = 3)"], []], [0, 0]),
        ]
        for name, startup, scenes, expected in cases:
            with self.subTest(name):
                _, _, redundant, _ = self.analyse(dump(startup, *scenes), 1)
                self.assertEqual([redundant[1], redundant[2]], expected)

    def test_calls_are_counted_per_frame_and_startup_is_left_out(self):
        text = dump(["glUseProgram(program = 1)"] * 5, ["glUseProgram(program = 2)"], ["glFlush()"] * 3)
        readbacks, calls, _, _ = self.analyse(text, 1)
        self.assertEqual(len(readbacks), 3)
        self.assertEqual([calls[0], calls[1], calls[2]], [0, 2, 4])  # each frame's read-back included

    def test_too_few_frames_is_reported(self):
        with self.assertRaises(SystemExit):
            self.analyse(dump([], ["glFlush()"]), 2)

    def test_replayed_frame_times(self):
        # Read-backs at calls 11, 13, 15, 17, 19 (start-up and two frames per scene).
        text = dump(["glFlush()"], ["glFlush()"], ["glFlush()"], ["glFlush()"], ["glFlush()"])
        readbacks, _, _, _ = self.analyse(text, 2)
        profile = "# header\n" + "".join(
            f"call {n} 0 0 {start} 10 0 0 0 0 0 0 glFlush\n"
            for n, start in [(12, 1_000_000), (14, 3_000_000), (16, 7_000_000), (18, 8_000_000), (20, 10_000_000)])
        with tempfile.NamedTemporaryFile("w", suffix=".pcpu", delete=False) as f:
            f.write(profile)
        self.addCleanup(os.unlink, f.name)
        first, second = trace_frames.frame_times(f.name, readbacks, 2)
        self.assertAlmostEqual(first, 3.0)   # median of 2 ms and 4 ms
        self.assertAlmostEqual(second, 1.5)  # median of 1 ms and 2 ms
        first, second = trace_frames.frame_means(f.name, readbacks, 2)
        self.assertAlmostEqual(first, 3.0)   # 6 ms over two frames
        self.assertAlmostEqual(second, 1.5)  # 3 ms over two frames

    def test_profile_that_stops_early_gives_no_times(self):
        text = dump(["glFlush()"], ["glFlush()"], ["glFlush()"])
        readbacks, _, _, _ = self.analyse(text, 1)
        with tempfile.NamedTemporaryFile("w", suffix=".pcpu", delete=False) as f:
            f.write("call 12 0 0 1000 10 0 0 0 0 0 0 glFlush\n")
        self.addCleanup(os.unlink, f.name)
        self.assertIsNone(trace_frames.frame_times(f.name, readbacks, 1))


if __name__ == "__main__":
    unittest.main()
