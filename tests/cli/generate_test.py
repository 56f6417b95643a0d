"""generate and add --generate: passwords from the system's random source."""

import re
import shutil
import subprocess
import unittest
from concurrent.futures import ThreadPoolExecutor

import cli_harness as h
from cli_harness import book

PASSWORD = "secret"
ALPHABET = {chr(c) for c in range(0x21, 0x7F)}  # printable ASCII but the blank
CLASSES = [re.compile(p) for p in (r"[a-z]", r"[A-Z]", r"[0-9]", r"[^a-zA-Z0-9]")]


def password_of(out):
    lines = out.split("\n")
    return lines[-2] if len(lines) >= 2 and lines[-1] == "" else None


def check_well_made(test, password, length):
    test.assertEqual(len(password), length, password)
    test.assertLessEqual(set(password), ALPHABET, password)
    for each in CLASSES:
        test.assertRegex(password, each)


class Generate(unittest.TestCase):
    def test_each_length_gives_a_password_of_every_class(self):
        for args, length in [([], 15)] + [(["--length", str(n)], n) for n in range(8, 16)]:
            with self.subTest(length=length):
                for _ in range(5):
                    r = h.run("generate", *args)
                    self.assertEqual((r.code, r.err), (0, ""))
                    check_well_made(self, password_of(r.out), length)
                    self.assertEqual(r.out.count("\n"), 1)

    def test_a_thousand_runs_never_repeat_and_use_the_whole_alphabet(self):
        # Wine takes a third of a second to start a program: fewer runs there.
        runs = 200 if h.ON_WINE else 1000
        def one(_):
            # Under load Wine now and then loses a start's output altogether
            # (seen with other commands too); such a start is tried again.
            for _attempt in range(3 if h.ON_WINE else 1):
                r = h.run("generate", "--length", "8")
                if r.out:
                    break
            return r.out

        with ThreadPoolExecutor(max_workers=2) as pool:
            outs = list(pool.map(one, range(runs)))
        passwords = [password_of(out) for out in outs]
        self.assertEqual(len(set(passwords)), runs)
        # 1,600 draws from 94 characters miss one with odds below 1 in 250,000.
        self.assertEqual(set("".join(passwords)), ALPHABET)

    @unittest.skipIf(h.ON_WINE or not shutil.which("strace"), "strace traces this system's calls")
    def test_the_bytes_come_from_getrandom(self):
        def blocking_getrandom(*args):
            done = subprocess.run(["strace", "-f", "-e", "trace=getrandom", h.EXE, *args],
                                  capture_output=True, text=True, timeout=h.TIMEOUT)
            # The C library takes a few bytes without blocking for itself.
            return re.findall(r"getrandom\(.*, (\d+), 0\) = \1", done.stderr)
        self.assertEqual(blocking_getrandom("--version"), [])
        self.assertTrue(blocking_getrandom("generate"))


class AddGenerated(unittest.TestCase):
    def test_asks_no_password_and_prints_the_one_saved(self):
        old = [("Mail", "N/A", "ann", "pw-1")]
        with h.Folder(book.files("me", PASSWORD, old)) as f:
            # The master password and three answers: nothing is read for the passwords.
            r = f.run("add", "--generate", input=PASSWORD + "\n  New  \n\nann\n")
            self.assertEqual(r.code, 1, r.err)  # the address may not be blank
            self.assertEqual(r.out, "")
            self.assertEqual(f.read(book.STORE), book.store(old, book.KEY))

            r = f.run("add", "--generate", input=PASSWORD + "\n  New  \nN/A\nann\n")
            self.assertEqual((r.code, r.err), (0, ""))
            added, password, end = r.out.split("\n")
            self.assertEqual((added, end), ('Added "New".', ""))
            check_well_made(self, password, 15)
            self.assertEqual(book.decode_store(f.read(book.STORE), book.KEY),
                             old + [("New", "N/A", "ann", password)])


if __name__ == "__main__":
    h.main()
