#!/usr/bin/env python3
"""Fails when an #include breaks the order in which the suite's folders build on each other.

    tools/check-layering.py [ROOT]      (ROOT defaults to the repository this script is in)

Every C and C++ file belongs to one unit (the longest folder or file prefix in UNITS that
matches its path). A unit may include its own files and the files of units on lower levels;
units on the same level never include each other, so libraries stay independent of one another
and no program includes another program. tests/ and bench/ may include anything. A folder with
sources that is in no unit fails the check too, so that a new folder is placed in the order
before its first include can go the wrong way.

Includes are taken as written ("folder/file.h" from the root, or a path relative to the
including file when that names a file of the tree); system, Qt and generated headers are not
the tree's and are left alone.
"""

import os
import re
import sys

# (path prefix, level[, unit]). A prefix ending in "/*/" makes each subfolder a unit of its
# own; prefixes that name the same unit are one unit. Keep this in step with the README's
# layout table.
UNITS = [
    # The stateless file helpers: the INI document saves through them, and the platform
    # library (whose registry store is an INI document) uses both.
    ("platform/atomic_file.", 0, "the file helpers"),
    ("platform/file_search.", 0, "the file helpers"),
    ("platform/file_identity.", 0, "the file helpers"),
    ("platform/win32/file_search_win32.", 0, "the file helpers"),
    ("platform/ascii.h", 0, "the file helpers"),  # letter case without the locale
    ("platform/export.h", 0, "the file helpers"),  # the layer's export macro
    ("inidoc/", 1),
    ("platform/", 2),
    # The libraries: each builds on the platform layer only.
    ("packlib/", 3),
    ("patchlib/", 3),
    ("texbench/imaging/", 3),
    ("richtext/", 3),
    # What the programs share.
    ("suite/", 4),
    # The programs.
    ("patchapply/", 5),
    ("texbench/", 5),
    # TexBench's skins (no UI) belong to the program: its start-up and dialogs use them.
    ("texbench/skins/", 5, "texbench/"),
    ("patchbench/", 5),
    ("setup/", 5),
    ("uninstall/", 5),
    ("tools/*/", 5),
]
# Units that may include anything (and that nothing else may include).
FREE = ["tests/", "bench/"]

SOURCE_SUFFIXES = (".h", ".hh", ".hpp", ".hxx", ".inl", ".ipp", ".c", ".cc", ".cpp", ".cxx")
INCLUDE = re.compile(r'^\s*#\s*include\s*([<"])([^">]+)[">]')
# Top-level entries that are not the tree's sources: build directories and the like.
SKIPPED_TOP = re.compile(r"^(\.|build)")


def unit_of(path):
    """(unit name, level) of a root-relative path with '/' separators; level None = free."""
    for prefix in FREE:
        if path.startswith(prefix):
            return prefix, None
    best = None
    for prefix, level, *unit in UNITS:
        if prefix.endswith("/*/"):
            parent = prefix[:-2]
            if path.startswith(parent) and "/" in path[len(parent):]:
                name = parent + path[len(parent):].split("/", 1)[0] + "/"
                candidate = (name, level, len(parent) + 1)
            else:
                continue
        elif path.startswith(prefix):
            candidate = (unit[0] if unit else prefix, level, len(prefix))
        else:
            continue
        if best is None or candidate[2] > best[2]:
            best = candidate
    return None if best is None else (best[0], best[1])


def may_include(source_unit, target_unit):
    source_name, source_level = source_unit
    target_name, target_level = target_unit
    if source_name == target_name or source_level is None:
        return True
    if target_level is None:
        return False
    return target_level < source_level


def source_files(root):
    for top in sorted(os.listdir(root)):
        if SKIPPED_TOP.match(top):
            continue
        top_path = os.path.join(root, top)
        if not os.path.isdir(top_path):
            continue
        for directory, folders, files in os.walk(top_path):
            folders[:] = sorted(f for f in folders if not f.startswith("."))
            for name in sorted(files):
                if name.endswith(SOURCE_SUFFIXES):
                    full = os.path.join(directory, name)
                    yield os.path.relpath(full, root).replace(os.sep, "/")


def resolve(root, including, written, files):
    """The root-relative path an include names, or None when it is not one of the tree's."""
    if written in files:
        return written
    relative = os.path.normpath(os.path.join(os.path.dirname(including), written))
    relative = relative.replace(os.sep, "/")
    if relative in files:
        return relative
    # A tree's folder named but its file missing (a stale include): still judge the folder.
    first = written.split("/", 1)[0]
    if "/" in written and os.path.isdir(os.path.join(root, first)) and not SKIPPED_TOP.match(first):
        return written
    return None


def check(root):
    files = set(source_files(root))
    problems = []
    unplaced = {}
    for path in sorted(files):
        unit = unit_of(path)
        if unit is None:
            unplaced.setdefault(path.rsplit("/", 1)[0], []).append(path)
            continue
        with open(os.path.join(root, path), encoding="utf-8", errors="replace") as text:
            for number, line in enumerate(text, 1):
                match = INCLUDE.match(line)
                if not match:
                    continue
                target = resolve(root, path, match.group(2), files)
                if target is None:
                    continue
                target_unit = unit_of(target)
                if target_unit is None:
                    problems.append(f"{path}:{number}: includes {match.group(2)}, "
                                    "which is in no folder of the layering order")
                elif not may_include(unit, target_unit):
                    problems.append(f"{path}:{number}: {unit[0]} may not include "
                                    f"{match.group(2)} ({target_unit[0]})")
    for folder, paths in sorted(unplaced.items()):
        problems.append(f"{paths[0]}: {folder}/ has no place in the layering order (add it to "
                        "UNITS in tools/check-layering.py and to the README's layout table)")
    return problems


def main(argv):
    if len(argv) > 2:
        print(__doc__.strip(), file=sys.stderr)
        return 2
    root = argv[1] if len(argv) == 2 else os.path.join(os.path.dirname(__file__), "..")
    if not os.path.isdir(root):
        print(f"check-layering: {root}: no such directory", file=sys.stderr)
        return 2
    problems = check(os.path.abspath(root))
    for problem in problems:
        print(problem)
    if problems:
        print(f"check-layering: {len(problems)} problem(s) with the layering order",
              file=sys.stderr)
        return 1
    print("check-layering: every include follows the layering order")
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
