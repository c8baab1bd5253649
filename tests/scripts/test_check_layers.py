#!/usr/bin/env python3
"""The layering check (scripts/check-layers.py) on small trees made for each rule."""

import os
import subprocess
import sys
import tempfile
import textwrap
import unittest

SCRIPT = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "scripts", "check-layers.py")

TABLE = """\
# lowest first
base
platform/low      # a nested folder
mid
top
checks extras     # peers
"""


class LayerCheckTest(unittest.TestCase):
    def setUp(self):
        self.scratch = tempfile.TemporaryDirectory()
        self.root = self.scratch.name
        self.write("layers.txt", TABLE)
        self.write("CMakeLists.txt", "set(SHOW_FOLDERS\n    base platform/low mid top\n    checks faults)\n")
        self.write("base/Base.h", "#pragma once\n")
        self.write("platform/low/Low.h", '#pragma once\n#include "base/Base.h"\n')
        self.write("mid/Mid.h", '#pragma once\n#include "platform/low/Low.h"\n#include <vector>\n')
        self.write("mid/Mid.cpp", '#include "Mid.h"\n#include "mid/Mid.h"\n')
        self.write("top/Top.cpp", '#include "mid/Mid.h"\n#include "base/Base.h"\n')
        self.write("checks/TopTest.cpp", '#include "top/Top.cpp"\n')
        self.write("extras/Extra.h", "#pragma once\n")

    def tearDown(self):
        self.scratch.cleanup()

    def write(self, path, text):
        full = os.path.join(self.root, path)
        os.makedirs(os.path.dirname(full), exist_ok=True)
        with open(full, "w", encoding="utf-8") as f:
            f.write(text)

    def run_check(self, *extra):
        result = subprocess.run([sys.executable, SCRIPT, "--root", self.root, *extra],
                                capture_output=True, text=True, check=False)
        return result.returncode, result.stdout.splitlines()

    def test_a_tree_whose_includes_run_down_passes(self):
        status, lines = self.run_check()
        self.assertEqual(status, 0, lines)
        self.assertEqual(len(lines), 1)
        self.assertIn("7 files", lines[0])

    def test_an_include_of_a_higher_layer_is_named_with_file_and_line(self):
        self.write("platform/low/Low.h", '#pragma once\n#include "base/Base.h"\n#include "top/Top.cpp"\n')
        status, lines = self.run_check()
        self.assertEqual(status, 1)
        self.assertEqual(lines, ["platform/low/Low.h:3: platform/low includes top/Top.cpp, which is above it"])

    def test_a_relative_include_is_resolved_before_it_is_judged(self):
        self.write("base/Up.h", '#include "../mid/Mid.h"\n')
        status, lines = self.run_check()
        self.assertEqual(status, 1)
        self.assertEqual(lines, ["base/Up.h:1: base includes mid/Mid.h, which is above it"])

    def test_peers_on_one_line_may_not_include_each_other(self):
        self.write("extras/Extra.cpp", '#include "checks/TopTest.cpp"\n#include "top/Top.cpp"\n')
        status, lines = self.run_check()
        self.assertEqual(status, 1)
        self.assertEqual(len(lines), 1)
        self.assertTrue(lines[0].startswith("extras/Extra.cpp:1: extras includes checks/TopTest.cpp, which is beside it"),
                        lines)

    def test_the_longest_listed_folder_owns_a_file(self):
        # platform/ itself is not listed; platform/low is, below mid.
        self.write("platform/low/deeper/Deep.h", '#include "mid/Mid.h"\n')
        status, lines = self.run_check()
        self.assertEqual(status, 1)
        self.assertEqual(lines, ["platform/low/deeper/Deep.h:1: platform/low includes mid/Mid.h, which is above it"])

    def test_sources_in_an_unlisted_folder_fail(self):
        self.write("newfolder/New.cpp", '#include "base/Base.h"\n')
        status, lines = self.run_check()
        self.assertEqual(status, 1)
        self.assertEqual(lines, ["newfolder/: holds sources but is in no layer of the table"])

    def test_a_listed_folder_that_is_gone_fails(self):
        self.write("layers.txt", TABLE + "moved\n")
        status, lines = self.run_check()
        self.assertEqual(status, 1)
        self.assertEqual(lines, ["layers.txt:7: moved does not exist"])

    def test_show_folders_out_of_table_order_fails(self):
        self.write("CMakeLists.txt", "set(SHOW_FOLDERS mid base top)\n")
        status, lines = self.run_check()
        self.assertEqual(status, 1)
        self.assertEqual(lines, ["CMakeLists.txt: SHOW_FOLDERS lists base after mid, but the table puts base below mid"])
        self.assertEqual(self.run_check("--cmake", "none")[0], 0)

    def test_includes_that_are_not_directives_or_not_ours_are_left_alone(self):
        self.write("base/Strings.cpp", textwrap.dedent('''\
            const char* kEffect = R"(#include "top/Top.cpp"
            )";
            // #include "top/Top.cpp" in a comment
            #include <top/Top.cpp>
            #include "no/such/header.h"
            '''))
        status, lines = self.run_check()
        self.assertEqual(status, 0, lines)

    def test_build_trees_and_hidden_folders_are_not_sources(self):
        self.write("build/release/generated.cpp", '#include "top/Top.cpp"\n')
        self.write(".cache/x.cpp", '#include "top/Top.cpp"\n')
        self.assertEqual(self.run_check()[0], 0)

    def test_an_unusable_table_is_refused(self):
        self.write("layers.txt", "base\nmid base\n")
        status, _ = self.run_check()
        self.assertEqual(status, 2)
        self.write("layers.txt", "# nothing\n")
        self.assertEqual(self.run_check()[0], 2)


if __name__ == "__main__":
    unittest.main()
