"""The command line: help, version, usage errors and the default folder."""

import re
import shutil
import subprocess
import unittest

import cli_harness as h
from cli_harness import book


class Usage(unittest.TestCase):
    def test_help_and_version(self):
        for args in (["--help"], ["-h"], ["list", "--help"]):
            with self.subTest(args=args):
                r = h.run(*args)
                self.assertEqual((r.code, r.err), (0, ""))
                self.assertTrue(r.out.startswith("Usage: lockmere-cli"))
                for word in ("list", "search TEXT", "show NAME", "--field FIELD", "add", "--generate",
                             "import --csv FILE", "--format NAME", "--dry-run", "--skip-refused",
                             "--keep-duplicates", "export --csv FILE", "verify [DIR]", "generate",
                             "--length N", "--json", "Exit codes", "64"):
                    self.assertIn(word, r.out)
        r = h.run("--version")
        self.assertEqual(r.code, 0)
        self.assertRegex(r.out, r"^lockmere-cli \d+\.\d+\n$")

    def test_usage_errors_exit_64_and_touch_nothing(self):
        cases = [  # arguments, words of the message
            ([], "no command given"),
            (["lists"], 'unknown command "lists"'),
            (["list", "--pasword"], "unknown option --pasword"),
            (["list", "extra"], 'list takes no argument "extra"'),
            (["show"], "show needs exactly one NAME"),
            (["show", "a", "b"], "show needs exactly one NAME"),
            (["export"], "export needs --csv FILE"),
            (["export", "--csv"], "option --csv needs a value"),
            (["list", "--force"], "--force belongs to the export command"),
            (["show", "a", "--login"], "--login belongs to the verify command"),
            (["list", "--folder", "a", "--folder", "b"], "--folder is given twice"),
            (["verify", "a", "--folder", "b"], "either as DIR or with --folder"),
            (["list", "--password=x"], "option --password takes no value"),
            (["search"], "search needs exactly one TEXT"),
            (["show", "a", "--field", "pass"], "--field takes name, url, username or password"),
            (["show", "a", "--field", "url", "--json"], "--field prints no JSON"),
            (["show", "a", "--field", "url", "--password"], "either --field or --password"),
            (["add", "--json"], "--json belongs to the list, search and show commands"),
            (["list", "--csv", "x"], "--csv belongs to the import and export commands"),
            (["show", "a", "--generate"], "--generate belongs to the add command"),
            (["import"], "import needs --csv FILE"),
            (["import", "--csv", "-"], "import reads a file, not standard input"),
            (["import", "--csv", "x", "--format", "keepass"],
             "--format takes keepassxc, bitwarden, chrome, firefox, keepass1 or lockmere"),
            (["export", "--csv", "x", "--dry-run"], "--dry-run belongs to the import command"),
            (["generate", "--length", "7"], "--length takes a number from 8 to 15"),
            (["generate", "--length", "16"], "--length takes a number from 8 to 15"),
            (["generate", "--length=1x"], "--length takes a number from 8 to 15"),
            (["generate", "twelve"], 'generate takes no argument "twelve"'),
        ]
        with h.Folder(book.files("me", "secret")) as f:
            before = f.snapshot()
            for args, words in cases:
                with self.subTest(args=args):
                    r = h.run(*args)
                    self.assertEqual((r.code, r.out), (64, ""))
                    self.assertIn(words, r.err)
                    self.assertIn("--help", r.err)
            self.assertEqual(f.snapshot(), before)

    def test_a_name_that_looks_like_an_option_after_a_double_dash(self):
        with h.Folder(book.files("me", "secret", [("--x", "N/A", "u", "p")])) as f:
            r = f.run("show", "--", "--x", input="secret\n")
            self.assertEqual(r.code, 0, r.err)
            self.assertIn("Application Name: --x", r.out)

    @unittest.skipIf(h.ON_WINE, "needs this system's /dev/full")
    def test_output_that_cannot_be_written_is_a_failure(self):
        with open("/dev/full", "wb") as full:
            done = subprocess.run(h.command("--help"), stdout=full, stderr=subprocess.PIPE,
                                  timeout=h.TIMEOUT)
        self.assertEqual(done.returncode, 2)
        self.assertIn(b"could not be written", done.stderr)

    @unittest.skipIf(h.ON_WINE, "copies this system's executable")
    def test_the_program_folder_is_the_executables_by_default(self):
        with h.Folder(book.files("me", "secret", [("Mail", "N/A", "u", "p")])) as f:
            exe = f.path / "lockmere-cli"
            shutil.copy2(h.EXE, exe)
            done = subprocess.run([exe, "list"], input=b"secret\n", capture_output=True,
                                  cwd="/", timeout=h.TIMEOUT)
            self.assertEqual((done.returncode, done.stdout), (0, b"Mail\n"), done.stderr)


if __name__ == "__main__":
    h.main()
