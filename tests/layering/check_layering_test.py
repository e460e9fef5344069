#!/usr/bin/env python3
"""The layering check against small made-up trees: one include each, allowed or not."""

import os
import subprocess
import sys
import tempfile
import unittest

CHECK = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "tools",
                     "check-layering.py")

# Files every made-up tree has, so that each case's include has something to name.
BASE_TREE = {
    "platform/export.h": "",
    "platform/atomic_file.h": '#include "platform/export.h"\n',
    "platform/registry.h": "",
    "platform/registry.cpp": '#include "platform/registry.h"\n#include "inidoc/ini_document.h"\n',
    "inidoc/ini_document.h": "",
    "inidoc/ini_document.cpp": '#include "platform/atomic_file.h"\n',
    "packlib/archive.h": '#include "platform/registry.h"\n',
    "patchlib/patch.h": "",
    "texbench/imaging/image.h": "#include <vector>\n#include <QImage>\n",
    "texbench/browser/model.h": "",
    "suite/items.h": '#include "packlib/archive.h"\n#include "inidoc/ini_document.h"\n',
    "patchapply/engine.h": "",
    "tools/fftool/fftool.h": '#include "texbench/imaging/image.h"\n#include "suite/items.h"\n',
    "tools/demogame/demo.h": "",
    "tests/anything_test.cpp": '#include "texbench/browser/model.h"\n#include "tools/fftool/fftool.h"\n',
    "bench/anything_bench.cpp": '#include "patchapply/engine.h"\n',
    "build/generated.cpp": '#include "texbench/browser/model.h"\n',
}

# (what the case shows, file added to the base tree, its text, whether the check passes).
CASES = [
    ("the base tree alone", None, None, True),
    ("a program on the shared layer", "texbench/app/main.cpp",
     '#include "suite/items.h"\n#include "platform/registry.h"\n', True),
    ("a program on a library", "patchapply/install.cpp", '#include "patchlib/patch.h"\n', True),
    ("a file of the same program by a relative path", "texbench/app/shell.cpp",
     '#include "../browser/model.h"\n', True),
    ("the file helpers on the rest of the platform layer", "platform/file_search.cpp",
     '#include "platform/registry.h"\n', False),
    ("the INI document on the platform library", "inidoc/more.cpp",
     '#include "platform/registry.h"\n', False),
    ("the shared layer on a program", "suite/location.cpp", '#include "texbench/browser/model.h"\n',
     False),
    ("the shared layer on a program, in angle brackets", "suite/location.cpp",
     "#include <texbench/browser/model.h>\n", False),
    ("the shared layer on a program, by a relative path", "suite/location.cpp",
     '#  include "../texbench/browser/model.h"\n', False),
    ("one program on another", "patchbench/main.cpp", '#include "texbench/browser/model.h"\n',
     False),
    ("one command-line tool on another", "tools/fftool/main.cpp", '#include "tools/demogame/demo.h"\n',
     False),
    ("a library on another library", "packlib/more.cpp", '#include "patchlib/patch.h"\n', False),
    ("the imaging library on its program", "texbench/imaging/rim.cpp",
     '#include "texbench/browser/model.h"\n', False),
    ("a library on the shared layer", "patchlib/more.cpp", '#include "suite/items.h"\n', False),
    ("the platform layer on a library", "platform/more.cpp", '#include "packlib/archive.h"\n', False),
    ("a library on a test", "packlib/more.cpp", '#include "tests/anything_test.cpp"\n', False),
    ("an include of a file the tree lacks, in a program's folder", "suite/location.cpp",
     '#include "texbench/dialogs/gone.h"\n', False),
    ("sources in a folder the order does not know", "gadgets/gadget.cpp", "", False),
]


def write_tree(root, files):
    for path, text in files.items():
        full = os.path.join(root, path)
        os.makedirs(os.path.dirname(full), exist_ok=True)
        with open(full, "w", encoding="utf-8") as out:
            out.write(text)


def run_check(root):
    return subprocess.run([sys.executable, CHECK, root], capture_output=True, text=True)


class LayeringCheckTest(unittest.TestCase):
    def test_made_up_trees(self):
        for what, path, text, passes in CASES:
            with self.subTest(what), tempfile.TemporaryDirectory() as root:
                files = dict(BASE_TREE)
                if path is not None:
                    files[path] = text
                write_tree(root, files)
                result = run_check(root)
                self.assertEqual(result.returncode, 0 if passes else 1,
                                 result.stdout + result.stderr)
                if not passes:
                    # The report names the file and line, so the fault is found at once.
                    self.assertIn(path, result.stdout)

    def test_real_tree_follows_the_order(self):
        root = os.path.join(os.path.dirname(CHECK), "..")
        result = run_check(root)
        self.assertEqual(result.returncode, 0, result.stdout + result.stderr)


if __name__ == "__main__":
    unittest.main()
