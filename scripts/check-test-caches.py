#!/usr/bin/env python3
"""Fails when a test could depend on a cache it did not fill.

Every run of the suite gets empty caches of its own (tests/CMakeLists.txt points the effect cache,
Mesa's shader cache, XDG_CACHE_HOME and HOME into build/<preset>/test-caches and empties it when
CTest starts). This check, run as a test itself, fails when
- a test script or CMake file of the tests names the user's cache (~/.cache, $HOME/.cache), or a
  CMake file gives a test its own value of one of the cache variables;
- the environment it runs in (the one every test inherits from CTest) lacks the suite's folders.

    check-test-caches.py SOURCE_ROOT [--environment]

With --environment, the environment is checked too (the test does that; a check of the tree alone
can run anywhere).
"""
import os
import pathlib
import re
import sys

CACHE_VARIABLES = ("SHOW_EFFECT_CACHE_DIR", "MESA_SHADER_CACHE_DIR", "XDG_CACHE_HOME", "HOME")

USER_CACHE = re.compile(r"~/\.cache|\$(?:ENV)?\{?HOME\}?\"?/\.cache")
CACHE_SETTING = re.compile(r"(?<![\w$])(" + "|".join(CACHE_VARIABLES) + r")=")
SCRIPT_SUFFIXES = {".sh", ".py", ".cmake", ".in"}
# The check's own cases spell out what it must find.
OWN_CASES = "tests/scripts/test_check_test_caches.py"


def test_files(root):
    tests = root / "tests"
    for path in sorted(tests.rglob("*")):
        if not path.is_file():
            continue
        if path.name == "CMakeLists.txt" or path.suffix in SCRIPT_SUFFIXES:
            yield path
    yield root / "CMakePresets.json"


def tree_violations(root):
    """file:line messages for the tests' files that reach outside the suite's caches."""
    for path in test_files(root):
        if not path.is_file():
            continue
        relative = path.relative_to(root).as_posix()
        if relative == OWN_CASES:
            continue
        cmake = path.name in ("CMakeLists.txt", "CMakePresets.json") or path.suffix == ".cmake"
        for number, line in enumerate(path.read_text(errors="replace").splitlines(), 1):
            if line.lstrip().startswith("#"):
                continue
            if USER_CACHE.search(line):
                yield f"{relative}:{number}: names the user's cache; a test uses the suite's (build/<preset>/test-caches)"
            setting = CACHE_SETTING.search(line) if cmake else None
            if setting:
                yield (f"{relative}:{number}: gives a test its own {setting.group(1)}; every test keeps the "
                       "suite's (a test that needs another makes it inside its own work folder)")


def environment_violations(environ):
    """Messages for the cache variables of this environment that do not point into the suite's folders."""
    caches = environ.get("SHOW_TEST_CACHES", "")
    if not caches:
        return ["SHOW_TEST_CACHES is not set: this test ran without the suite's cache folders "
                "(run it through CTest, which sets them from tests/CMakeLists.txt)"]
    problems = []
    for name in CACHE_VARIABLES:
        value = environ.get(name, "")
        if not value.startswith(caches.rstrip("/") + "/"):
            problems.append(f"{name} is {value!r}, not a folder of the suite's caches ({caches})")
        elif not os.path.isdir(value):
            problems.append(f"{name} is {value}, which is not a folder")
    return problems


def main(argv):
    arguments = [a for a in argv[1:] if a != "--environment"]
    if len(arguments) != 1:
        print("usage: check-test-caches.py SOURCE_ROOT [--environment]", file=sys.stderr)
        return 2
    problems = list(tree_violations(pathlib.Path(arguments[0]).resolve()))
    if "--environment" in argv:
        problems += environment_violations(os.environ)
    for problem in problems:
        print(problem, file=sys.stderr)
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
