"""Runs the real lockmere-cli against program folders built in the test.

A test script is registered in CMakeLists.txt and run by CTest as
`python3 <script> <path of lockmere-cli>`. With LOCKMERE_CLI_RUNNER set (for
example to "wine"), the executable is started through that command, and the
tests that need a terminal are skipped.

    import cli_harness as h
    with h.Folder(h.book.files("me", "secret", records)) as f:
        r = f.run("list", input="secret\\n")
        assert r.code == 0 and r.out == "Mail\\n"

`book` (lockmere_testing.book) builds the data files byte by byte from their
layout, with a cipher of its own.
"""

import os
import shlex
import subprocess
import sys
import tempfile
import shutil
import unittest
from collections import namedtuple
from pathlib import Path

from lockmere_testing import book

EXE = None  # set by main()
RUNNER = shlex.split(os.environ.get("LOCKMERE_CLI_RUNNER", ""))
ON_WINE = bool(RUNNER)
TIMEOUT = 60

Result = namedtuple("Result", "code out err")


def command(*args):
    return RUNNER + [EXE] + [str(a) for a in args]


def run(*args, input=b""):
    """Runs the executable; out and err as text with line ends made LF."""
    if isinstance(input, str):
        input = input.encode("utf-8")
    done = subprocess.run(command(*args), input=input, capture_output=True, timeout=TIMEOUT)

    def text(b):
        return b.decode("utf-8", errors="replace").replace("\r\n", "\n")

    return Result(done.returncode, text(done.stdout), text(done.stderr))


def native(path):
    """A path as the executable sees it (Wine maps the root to drive Z:)."""
    return "Z:" + str(path).replace("/", "\\") if ON_WINE else str(path)


class Folder:
    """A temporary program folder holding the given files {name: bytes}."""

    def __init__(self, files=None):
        self.files = dict(files or {})

    def __enter__(self):
        self.path = Path(tempfile.mkdtemp(prefix="lockmere-cli-"))
        for name, data in self.files.items():
            (self.path / name).write_bytes(data)
        return self

    def __exit__(self, *exc):
        shutil.rmtree(self.path, ignore_errors=True)

    def run(self, *args, input=b""):
        """Runs a command on this folder (--folder first)."""
        return run("--folder", native(self.path), *args, input=input)

    def read(self, name):
        return (self.path / name).read_bytes()

    def snapshot(self):
        """Every entry of the folder with its bytes, to show nothing changed."""
        return {p.name: (p.read_bytes() if p.is_file() else None) for p in self.path.iterdir()}


def main():
    global EXE
    EXE = sys.argv[1]
    unittest.main(argv=[sys.argv[0], "-v"] + sys.argv[2:])
