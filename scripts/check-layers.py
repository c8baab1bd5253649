#!/usr/bin/env python3
"""Checks that every #include "..." of the project's sources runs down the layer table.

The table is layers.txt at the root: one layer a line, lowest first, folders separated by spaces,
'#' starting a comment. Each violation is printed as

    file:line: <folder> includes <folder>/<header>, which is above it

and the exit status is 1 when there is one, 2 when the table itself is unusable. It also checks
that SHOW_FOLDERS in the top-level CMakeLists.txt lists the folders in the table's order, so that
the two cannot drift apart.
"""

import argparse
import os
import re
import sys

SOURCE_SUFFIXES = (".h", ".hpp", ".c", ".cc", ".cpp", ".cxx", ".inc")
# Only directives at the start of a line: an include inside a string (effect source held by a
# test) does not count.
INCLUDE = re.compile(r'^\s*#\s*include\s*"([^"]+)"')
SHOW_FOLDERS = re.compile(r"set\(\s*SHOW_FOLDERS\s+([^)]*)\)")


class TableError(Exception):
    pass


def read_table(path):
    """Returns (layers, problems): layers is a list of (line number, [folders]), lowest first."""
    layers = []
    seen = {}
    with open(path, encoding="utf-8") as table:
        for number, line in enumerate(table, 1):
            folders = line.split("#", 1)[0].split()
            if not folders:
                continue
            for folder in folders:
                if folder != folder.strip("/") or "\\" in folder or ".." in folder.split("/"):
                    raise TableError(f"{path}:{number}: '{folder}' is not a folder relative to the root")
                if folder in seen:
                    raise TableError(f"{path}:{number}: {folder} is already on line {seen[folder]}")
                seen[folder] = number
            layers.append((number, folders))
    if not layers:
        raise TableError(f"{path}: no layers")
    return layers


class Layers:
    def __init__(self, layers):
        self.rank = {}
        for rank, (_, folders) in enumerate(layers):
            for folder in folders:
                self.rank[folder] = rank
        # Longest first, so that a folder listed inside another wins for its own files.
        self.folders = sorted(self.rank, key=len, reverse=True)

    def folder_of(self, path):
        for folder in self.folders:
            if path == folder or path.startswith(folder + "/"):
                return folder
        return None


def source_files(root):
    for directory, subdirectories, files in os.walk(root):
        relative = os.path.relpath(directory, root)
        # Hidden folders and the build trees hold no sources of ours.
        subdirectories[:] = sorted(
            d for d in subdirectories if not d.startswith(".") and not (relative == "." and d == "build"))
        for name in sorted(files):
            if name.endswith(SOURCE_SUFFIXES):
                yield os.path.normpath(os.path.join(relative, name)).replace(os.sep, "/")


def resolve(root, including, written):
    """The root-relative path an include names: beside the including file first, then from the
    root (the one include directory of the project). None for headers that are not ours."""
    for base in (os.path.dirname(including), ""):
        candidate = os.path.normpath(os.path.join(base, written)).replace(os.sep, "/")
        if candidate.startswith("../") or os.path.isabs(candidate):
            continue
        if os.path.isfile(os.path.join(root, candidate)):
            return candidate
    return None


def check_includes(root, layers, counts=None):
    problems = []
    unplaced = set()
    counts = counts if counts is not None else {}
    counts.setdefault("files", 0)
    counts.setdefault("includes", 0)
    for path in source_files(root):
        folder = layers.folder_of(path)
        if folder is None:
            unplaced.add(path.rsplit("/", 1)[0] if "/" in path else ".")
            continue
        counts["files"] += 1
        with open(os.path.join(root, path), encoding="utf-8", errors="replace") as source:
            for number, line in enumerate(source, 1):
                match = INCLUDE.match(line)
                if not match:
                    continue
                target = resolve(root, path, match.group(1))
                if target is None:
                    continue
                counts["includes"] += 1
                target_folder = layers.folder_of(target)
                if target_folder is None or target_folder == folder:
                    continue  # an unlisted folder is reported once, below
                if layers.rank[target_folder] > layers.rank[folder]:
                    problems.append(f"{path}:{number}: {folder} includes {target}, which is above it")
                elif layers.rank[target_folder] == layers.rank[folder]:
                    problems.append(f"{path}:{number}: {folder} includes {target}, which is beside it "
                                    f"(a peer on the same layer)")
    for folder in sorted(unplaced):
        problems.append(f"{folder}/: holds sources but is in no layer of the table")
    return problems


def check_table_folders(root, table_path, layers):
    problems = []
    for number, folders in layers:
        for folder in folders:
            if not os.path.isdir(os.path.join(root, folder)):
                problems.append(f"{table_path}:{number}: {folder} does not exist")
    return problems


def check_show_folders(root, cmake_path, shown, layers):
    """SHOW_FOLDERS adds the libraries lowest first; it must follow the table."""
    with open(cmake_path, encoding="utf-8") as cmake:
        match = SHOW_FOLDERS.search(cmake.read())
    if not match:
        return [f"{shown}: no set(SHOW_FOLDERS ...)"]
    problems = []
    previous = None
    for folder in match.group(1).split():
        if not os.path.isdir(os.path.join(root, folder)):
            continue  # a folder of tests/ or bench/ only (faults, soak)
        listed = layers.folder_of(folder)
        if listed is None:
            problems.append(f"{shown}: SHOW_FOLDERS names {folder}, which is in no layer of the table")
            continue
        if previous is not None and layers.rank[listed] < layers.rank[previous[1]]:
            problems.append(f"{shown}: SHOW_FOLDERS lists {folder} after {previous[0]}, "
                            f"but the table puts {listed} below {previous[1]}")
        previous = (folder, listed)
    return problems


def main(argv):
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("--root", default=os.path.join(os.path.dirname(os.path.abspath(__file__)), ".."),
                        help="the source tree (default: the one this script is in)")
    parser.add_argument("--table", help="the layer table (default: ROOT/layers.txt)")
    parser.add_argument("--cmake", help="the CMakeLists.txt with SHOW_FOLDERS (default: ROOT/CMakeLists.txt; "
                                        "'none' skips that check)")
    args = parser.parse_args(argv)
    root = os.path.abspath(args.root)
    table_path = args.table or os.path.join(root, "layers.txt")
    cmake_path = args.cmake or os.path.join(root, "CMakeLists.txt")
    shown_table = os.path.relpath(table_path, root) if not args.table else table_path

    try:
        table = read_table(table_path)
    except (OSError, TableError) as error:
        print(f"check-layers: {error}", file=sys.stderr)
        return 2
    layers = Layers(table)

    problems = check_table_folders(root, shown_table, table)
    counts = {}
    problems += check_includes(root, layers, counts)
    if cmake_path != "none":
        shown_cmake = os.path.relpath(cmake_path, root) if not args.cmake else cmake_path
        problems += check_show_folders(root, cmake_path, shown_cmake, layers)
    for problem in problems:
        print(problem)
    if problems:
        print(f"check-layers: {len(problems)} problem(s); the allowed directions are in {shown_table}",
              file=sys.stderr)
        return 1
    print(f"check-layers: {counts['files']} files, {counts['includes']} includes of our own headers, "
          f"all down the layers of {shown_table}")
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
