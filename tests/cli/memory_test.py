"""No secret outlives a command: lockmere-cli, held by a debugger at its
last system call (exit_group, after every destructor and the C library's
exit work), keeps no copy of the master password or of any record's user
name or password anywhere in its writable memory, those it printed
included (lockmere_testing.memory: Windows-1252, UTF-8, UTF-16, UTF-32).
The control: held where it writes a record's password to its output, the
same scan finds it. Takes root, gdb and a release build; skipped
otherwise, and on Wine."""

import json
import os
import shlex
import shutil
import subprocess
import tempfile
import unittest
from pathlib import Path

import cli_harness as h
from cli_harness import book
from lockmere_testing import memory

MASTER = "MastŽr7Qk"
RECORDS = [("Alpha", "https://a.example", "UsrŠx4Jq9", "PwdŽR8Tn3"),
           ("Bravo", "N/A", "UsrœK2Lm5", "Pwd™W6Yp1")]
NEW = ("Charlie", "https://c.example", "UsrƒT3Vb8", "Pwd–N5Hs2")  # added or imported
SECRETS = [MASTER] + [field for record in RECORDS + [NEW] for field in record[2:]]

# Runs inside gdb: the command up to the chosen system call, then the scan.
HELD = """
import json, os, sys
import gdb
sys.path.insert(0, os.environ["SCAN_PATH"])
from lockmere_testing import memory
gdb.execute("set pagination off")
gdb.execute("catch syscall " + os.environ["SCAN_AT"])
gdb.execute("run " + os.environ["SCAN_RUN"])
counts = memory.copies(gdb.selected_inferior().pid, json.loads(os.environ["SCAN_SECRETS"]))
with open(os.environ["SCAN_COUNTS"], "w") as out:
    json.dump(counts, out)
gdb.execute("kill")
"""


def held_at(syscall, folder, args, answers):
    """{secret: copies} in the command's memory when it first makes the
    system call."""
    work = Path(tempfile.mkdtemp(prefix="lockmere-memory-"))
    try:
        (work / "held.py").write_text(HELD)
        (work / "answers").write_text(answers, encoding="utf-8")
        run = " ".join(shlex.quote(str(a)) for a in ["--folder", folder, *args])
        run += f" < {shlex.quote(str(work / 'answers'))} > /dev/null 2>&1"
        env = dict(os.environ, SCAN_PATH=str(Path(memory.__file__).parents[1]), SCAN_AT=syscall,
                   SCAN_RUN=run, SCAN_SECRETS=json.dumps(SECRETS),
                   SCAN_COUNTS=str(work / "counts.json"))
        done = subprocess.run(["gdb", "-batch", "-nx", "-x", str(work / "held.py"),
                               "--args", h.EXE], env=env, capture_output=True, text=True,
                              timeout=h.TIMEOUT)
        counts = work / "counts.json"
        assert counts.exists(), done.stdout + done.stderr
        return json.loads(counts.read_text())
    finally:
        shutil.rmtree(work, ignore_errors=True)


@unittest.skipIf(h.ON_WINE, "a Linux process's memory")
@unittest.skipUnless(os.environ.get("LOCKMERE_CLI_HARDENED") == "1",
                     "the release program's (a sanitizer's heap keeps what it frees)")
@unittest.skipUnless(memory.can_read_others() and shutil.which("gdb"), "takes root and gdb")
class NothingLeftAtExit(unittest.TestCase):
    def commands(self, folder):
        """Each command with the answers it reads."""
        csv_in = folder / "in.csv"
        csv_in.write_text("Title,URL,Username,Password\n" + ",".join(NEW) + "\n", encoding="utf-8")
        adding = "\n".join([MASTER, *NEW, NEW[3]]) + "\n"
        return [
            (["list"], MASTER + "\n"),
            (["show", "Alpha", "--field", "password"], MASTER + "\n"),
            (["show", "Bravo", "--password"], MASTER + "\n"),
            (["add"], adding),
            (["import", "--csv", csv_in], MASTER + "\n"),
            (["export", "--csv", folder / "out.csv", "--force"], MASTER + "\n"),
        ]

    def test_no_secret_is_left_when_a_command_ends(self):
        with h.Folder(book.files("me", MASTER, RECORDS)) as f:
            for args, answers in self.commands(f.path):
                with self.subTest(command=" ".join(map(str, args))):
                    f.path.joinpath(book.STORE).write_bytes(book.store(RECORDS, book.KEY))
                    left = memory.left(held_at("exit_group", f.path, args, answers))
                    self.assertEqual(left, {})

    def test_the_scan_finds_a_password_being_printed(self):
        with h.Folder(book.files("me", MASTER, RECORDS)) as f:
            counts = held_at("write", f.path, ["show", "Alpha", "--field", "password"],
                             MASTER + "\n")
            self.assertGreater(memory.total(counts)[RECORDS[0][3]], 0, counts)


if __name__ == "__main__":
    h.main()
