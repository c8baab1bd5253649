#!/usr/bin/env python3
"""The test-cache check (scripts/check-test-caches.py) on small trees and environments made for each rule."""

import os
import pathlib
import runpy
import tempfile
import types
import unittest

# The check's functions, loaded from its file (its name has dashes, so it cannot be imported).
SCRIPT = pathlib.Path(__file__).resolve().parents[2] / "scripts" / "check-test-caches.py"
check = types.SimpleNamespace(**runpy.run_path(str(SCRIPT), run_name="check_test_caches"))


class TreeTest(unittest.TestCase):
    def setUp(self):
        self.scratch = tempfile.TemporaryDirectory()
        self.root = pathlib.Path(self.scratch.name)
        self.write("CMakePresets.json", '{"testPresets": []}\n')
        self.write("tests/CMakeLists.txt", 'set_tests_properties(a PROPERTIES ENVIRONMENT "LP_NUM_THREADS=2")\n')
        self.write("tests/run.sh", 'export SHOW_EFFECT_CACHE_DIR=$work/cache\n# not ~/.cache, a comment\n')

    def tearDown(self):
        self.scratch.cleanup()

    def write(self, path, text):
        (self.root / path).parent.mkdir(parents=True, exist_ok=True)
        (self.root / path).write_text(text)

    def violations(self):
        return list(check.tree_violations(self.root))

    def test_a_tree_that_keeps_to_its_own_folders_passes(self):
        self.assertEqual([], self.violations())

    def test_every_spelling_of_the_users_cache_in_a_script_or_cmake_file_fails(self):
        for text in ('ls ~/.cache/mesa_shader_cache\n', 'rm -rf "$HOME/.cache/vexa-rhino"\n',
                     'rm -rf ${HOME}/.cache/x\n', 'd = "$HOME"/.cache\n'):
            with self.subTest(text=text):
                self.write("tests/sub/case.sh", text)
                self.assertEqual(["tests/sub/case.sh:1: names the user's cache"],
                                 [v.split(";")[0] for v in self.violations()])
        self.write("tests/sub/case.sh", "true\n")
        self.write("tests/sub/Environment.cmake", "set(dir $ENV{HOME}/.cache)\n")
        self.assertEqual(1, len(self.violations()))

    def test_a_cmake_file_that_gives_a_test_its_own_cache_variable_fails(self):
        for name in check.CACHE_VARIABLES:
            with self.subTest(name=name):
                self.write("tests/sub/CMakeLists.txt",
                           f'set_tests_properties(t PROPERTIES ENVIRONMENT "A=1;{name}=/tmp/x")\n')
                self.assertEqual([f"tests/sub/CMakeLists.txt:1: gives a test its own {name}"],
                                 [v.split(";")[0] for v in self.violations()])


class EnvironmentTest(unittest.TestCase):
    def setUp(self):
        self.scratch = tempfile.TemporaryDirectory()
        self.caches = self.scratch.name
        self.environ = {"SHOW_TEST_CACHES": self.caches}
        for name, folder in zip(check.CACHE_VARIABLES, ("effects", "mesa", "xdg-cache", "home")):
            os.mkdir(os.path.join(self.caches, folder))
            self.environ[name] = os.path.join(self.caches, folder)

    def tearDown(self):
        self.scratch.cleanup()

    def test_the_suites_folders_pass(self):
        self.assertEqual([], check.environment_violations(self.environ))

    def test_a_run_without_the_suites_folders_fails(self):
        self.assertIn("SHOW_TEST_CACHES is not set", check.environment_violations({"HOME": "/root"})[0])

    def test_a_variable_missing_or_pointing_elsewhere_fails(self):
        for name in check.CACHE_VARIABLES:
            with self.subTest(name=name):
                for value in (None, "/root/.cache", self.caches + "-other/x", self.caches + "/missing"):
                    environ = dict(self.environ)
                    if value is None:
                        del environ[name]
                    else:
                        environ[name] = value
                    problems = check.environment_violations(environ)
                    self.assertEqual(1, len(problems), problems)
                    self.assertTrue(problems[0].startswith(name), problems)


if __name__ == "__main__":
    unittest.main()
