"""list, show, export and the login they share, on the real executable."""

import csv
import io
import json
import os
import re
import shutil
import signal
import stat
import subprocess
import tempfile
import time
import unicodedata
import unittest
from pathlib import Path

import cli_harness as h
from cli_harness import book

PASSWORD = "secret"
TEMPORARY = re.compile(r"^book\.csv\.[0-9a-f]{16}\.tmp$")  # an export's own
# In file order. The main window's list sorts whole lines with case folded
# (name, TAB, address...): "bank<TAB>https" comes before "Bank<TAB>N/A".
RECORDS = [
    ("mail", "https://mail.example.com", "ann@example.com", "pw-1"),
    ("Bank", "N/A", "ann", "Šœ–ƒ"),
    ("Œuvres", "https://x.example/a,b", 'say "hi"', "p,w"),
    ("bank", "https://second.example", "anne", "line\nbreak"),
    ("Žurnal", "N/A", "z", "zz"),
]
LIST_ORDER = ["bank", "Bank", "mail", "Œuvres", "Žurnal"]


def files(records=RECORDS):
    return book.files("me", PASSWORD, records)


class Login(unittest.TestCase):
    def test_the_main_windows_judgement_decides(self):
        cases = [  # typed password, exit code
            ("secret", 0),
            ("  secret  ", 0),  # trimmed as the login box is
            ("Secret", 1),
            ("", 1),
            ("secret☃", 1),  # a character without a code matches nothing
        ]
        with h.Folder(files()) as f:
            before = f.snapshot()
            for typed, code in cases:
                with self.subTest(typed=typed):
                    r = f.run("list", input=typed + "\n")
                    self.assertEqual(r.code, code, r.err)
                    if code:
                        self.assertEqual(r.out, "")
                        self.assertIn("ERROR: Password Not Matched!", r.err)
            self.assertEqual(f.snapshot(), before)

    def test_a_wrong_password_shows_nothing_in_any_command(self):
        with h.Folder(files()) as f:
            before = f.snapshot()
            for args in (["list"], ["show", "mail", "--password"], ["export", "--csv", h.native(f.path / "x.csv")],
                         ["add"], ["verify", "--login"]):
                with self.subTest(args=args):
                    r = f.run(*args, input="wrong\nNew\nN/A\nu\np\np\n")
                    self.assertEqual((r.code, r.out), (1, ""), r.err)
                    self.assertIn("Password Not Matched", r.err)
                    self.assertNotIn("pw-1", r.err)
            self.assertEqual(f.snapshot(), before)

    def test_no_password_on_standard_input(self):
        with h.Folder(files()) as f:
            r = f.run("list", input="")
            self.assertEqual((r.code, r.out), (1, ""))
            self.assertIn("No master password", r.err)


class ListAndShow(unittest.TestCase):
    def test_list_gives_the_names_in_the_main_windows_order(self):
        with h.Folder(files()) as f:
            r = f.run("list", input=PASSWORD + "\n")
            self.assertEqual(r.code, 0, r.err)
            self.assertEqual(r.out.splitlines(), LIST_ORDER)
            self.assertEqual(r.err, "")

    def test_list_of_an_empty_book(self):
        with h.Folder(files([])) as f:
            self.assertEqual(f.run("list", input=PASSWORD + "\n"), (0, "", ""))

    def test_control_characters_are_shown_as_question_marks(self):
        with h.Folder(files([("red\x1b[31m\x07", "N/A", "u", "p")])) as f:
            r = f.run("list", input=PASSWORD + "\n")
            self.assertEqual(r.out, "red?[31m?\n")

    def test_show_the_records_of_one_name(self):
        with h.Folder(files()) as f:
            r = f.run("show", "Œuvres", input=PASSWORD + "\n")
            self.assertEqual(r.code, 0, r.err)
            self.assertEqual(r.out, 'Application Name: Œuvres\n'
                                    'Application URL:  https://x.example/a,b\n'
                                    'User Name:        say "hi"\n')
            # Exact and case-sensitive: "bank" is not "Bank".
            r = f.run("show", "bank", "--password", input=PASSWORD + "\n")
            self.assertEqual(r.out, "Application Name: bank\n"
                                    "Application URL:  https://second.example\n"
                                    "User Name:        anne\n"
                                    "Password:         line?break\n")

    def test_show_every_record_of_a_name_held_twice(self):
        twice = RECORDS + [("mail", "N/A", "second", "pw-2")]
        with h.Folder(files(twice)) as f:
            r = f.run("show", "--password", "mail", input=PASSWORD + "\n")
            self.assertEqual(r.code, 0, r.err)
            blocks = r.out.split("\n\n")
            self.assertEqual(len(blocks), 2)
            self.assertIn("Password:         pw-1", blocks[0])
            self.assertIn("Password:         pw-2", blocks[1])

    def test_show_without_password_option_never_prints_a_password(self):
        with h.Folder(files()) as f:
            r = f.run("show", "mail", input=PASSWORD + "\n")
            self.assertNotIn("pw-1", r.out + r.err)
            self.assertNotIn("Password", r.out)

    def test_show_refusals(self):
        cases = [  # name, options, message
            ("nobody", [], 'ERROR: No record has the Application Name "nobody".\n'),
            ("MAIL", [], 'ERROR: No record has the Application Name "MAIL".\nDid you mean "mail"?\n'),
            # Two differ in case alone: the first in the list's order.
            ("BANK", ["--field", "url"],
             'ERROR: No record has the Application Name "BANK".\nDid you mean "bank"?\n'),
            ("œuvres", ["--json"], 'Did you mean "Œuvres"?'),
            ("snow☃", [], 'The character "☃" has no Windows-1252 code'),
        ]
        with h.Folder(files()) as f:
            for name, extra, message in cases:
                with self.subTest(name=name):
                    r = f.run("show", name, *extra, input=PASSWORD + "\n")
                    self.assertEqual((r.code, r.out), (1, ""))
                    self.assertIn(message, r.err)
            self.assertNotIn("Did you mean", f.run("show", "nobody", input=PASSWORD + "\n").err)

    def test_field_prints_one_value_and_a_line_end(self):
        cases = [  # name, field, output
            ("Œuvres", "name", "Œuvres\n"),
            ("Œuvres", "url", "https://x.example/a,b\n"),
            ("Œuvres", "username", 'say "hi"\n'),
            ("Œuvres", "password", "p,w\n"),  # without --password
            ("Bank", "password", "Šœ–ƒ\n"),
        ]
        with h.Folder(files()) as f:
            for name, field, out in cases:
                with self.subTest(name=name, field=field):
                    self.assertEqual(f.run("show", name, "--field", field, input=PASSWORD + "\n"),
                                     (0, out, ""))

    def test_field_never_writes_a_stand_in_for_a_control_character(self):
        # A damaged or foreign store may hold them; 0x81 is the C1 control of that number.
        stored = [("Break", "N/A", "u", "line\nbreak"), ("Escape", "N/A", "u\x1b[0m", "p"),
                  ("C1", b"https://x.example/\x81", "u", "p")]
        cases = [("Break", "password", "Password"), ("Escape", "username", "User Name"),
                 ("C1", "url", "Application URL")]
        with h.Folder(files(stored)) as f:
            for name, field, shown in cases:
                with self.subTest(field=field):
                    r = f.run("show", name, "--field", field, input=PASSWORD + "\n")
                    self.assertEqual((r.code, r.out), (2, ""))
                    self.assertIn(f'The {shown} of "{name}" holds a control character', r.err)
            # The fields without one still come out.
            self.assertEqual(f.run("show", "Break", "--field", "username",
                                   input=PASSWORD + "\n"), (0, "u\n", ""))

    def test_field_refuses_a_name_held_twice(self):
        twice = RECORDS + [("mail", "N/A", "second", "pw-2")]
        with h.Folder(files(twice)) as f:
            r = f.run("show", "mail", "--field", "password", input=PASSWORD + "\n")
            self.assertEqual((r.code, r.out), (1, ""))
            self.assertIn('2 records have the Application Name "mail"', r.err)
            self.assertNotIn("pw-", r.err)


class Search(unittest.TestCase):
    def test_name_address_and_user_name_in_any_case_never_the_password(self):
        cases = [  # text, names found in the list's order
            ("ANN", ["bank", "Bank", "mail"]),
            ("œUVRES", ["Œuvres"]),
            ("žURNAL", ["Žurnal"]),
            ("EXAMPLE", ["bank", "mail", "Œuvres"]),
            ("n/a", ["Bank", "Žurnal"]),
            ('"HI"', ["Œuvres"]),
            ("pw-1", []),
            ("Šœ", []),
            ("snow☃", []),
        ]
        with h.Folder(files()) as f:
            for text, names in cases:
                with self.subTest(text=text):
                    r = f.run("search", text, input=PASSWORD + "\n")
                    self.assertEqual((r.code, r.out.splitlines()), (0 if names else 1, names), r.err)
                    if not names:
                        self.assertIn("No record's Application Name, Application URL or User Name",
                                      r.err)

    def test_a_wrong_password_finds_nothing(self):
        with h.Folder(files()) as f:
            r = f.run("search", "ann", input="wrong\n")
            self.assertEqual((r.code, r.out), (1, ""))
            self.assertIn("Password Not Matched", r.err)


class TerminalFilter(unittest.TestCase):
    HIDDEN = ("Cc", "Cf", "Zl", "Zp")

    def test_every_character_a_terminal_acts_on_or_hides_is_shown_as_a_question_mark(self):
        # Every such character this Python knows, beside ordinary ones, in a
        # text the message repeats.
        acting = [chr(c) for c in range(1, 0x110000)
                  if unicodedata.category(chr(c)) in self.HIDDEN]
        text = "a" + "b".join(acting) + "é€中"
        with h.Folder(files()) as f:
            r = f.run("search", text, input=PASSWORD + "\n")
            self.assertEqual(r.code, 1)
            shown = "".join("?" if unicodedata.category(c) in self.HIDDEN else c for c in text)
            self.assertIn('contains "' + shown + '".', r.err)

    @unittest.skipIf(h.ON_WINE or os.name != "posix", "names with control characters")
    def test_a_files_name_and_its_rows_reach_the_terminal_filtered(self):
        with h.Folder(files()) as f, tempfile.TemporaryDirectory() as folder:
            name = Path(folder) / "x\x1b]0;TITLE\x07\x1b[2J\u202e\u2028.csv"
            name.write_bytes("Title,URL,Username,Password\r\n"
                             "Bank\u202egnp.exe\u200b,,u,pw-\u2603\r\n".encode())
            r = f.run("import", "--csv", name, "--dry-run", input=PASSWORD + "\n")
            self.assertEqual(r.code, 1, r.err)
            self.assertIn("x?]0;TITLE??[2J??.csv", r.out)
            self.assertIn('"Bank?gnp.exe?"', r.out)
            self.assertFalse(any(unicodedata.category(c) in self.HIDDEN and c != "\n"
                                 for c in r.out + r.err), r.out + r.err)

    @unittest.skipIf(os.name != "posix" or h.ON_WINE, "names of raw bytes")
    def test_a_name_that_is_no_utf8(self):
        with h.Folder(files()) as f:
            target = os.path.join(os.fsencode(f.path), b"gone\xff\x1b/book.csv")
            r = h.run("--folder", h.native(f.path), "export", "--csv",
                      os.fsdecode(target), input=PASSWORD + "\n")
            self.assertEqual(r.code, 2)
            self.assertIn("gone??/book.csv could not be written", r.err)


class Json(unittest.TestCase):
    def fields(self, *records, password=False):
        keys = ["name", "url", "username"] + (["password"] if password else [])
        return [dict(zip(keys, record)) for record in records]

    def test_list_search_and_show_parse_back_to_the_fields(self):
        by_name = {r[0]: r for r in RECORDS}
        listed = [by_name[n] for n in LIST_ORDER]
        cases = [  # arguments, records
            (["list"], self.fields(*listed)),
            (["search", "ann"], self.fields(by_name["bank"], by_name["Bank"], by_name["mail"])),
            (["show", "Œuvres"], self.fields(by_name["Œuvres"])),
            (["show", "bank", "--password"], self.fields(by_name["bank"], password=True)),
        ]
        with h.Folder(files()) as f:
            for args, records in cases:
                with self.subTest(args=args):
                    r = f.run(*args, "--json", input=PASSWORD + "\n")
                    self.assertEqual((r.code, r.err), (0, ""))
                    self.assertEqual(json.loads(r.out), records)
                    self.assertTrue(r.out.endswith("]\n"))
            self.assertEqual(f.run("list", "--json", input=PASSWORD + "\n").out.count("\n"),
                             len(RECORDS) + 2)  # one object a line

    def test_every_character_comes_back_exactly_and_none_reaches_the_terminal(self):
        # Byte 0x81, which the code page leaves undefined, is the C1 control of that number.
        stored = ("red\x1b[31m\x07", "C:\\path\\", b'q"uote\x81', "p\x01wŠ")
        record = stored[:2] + ('q"uote\x81',) + stored[3:]
        with h.Folder(files([stored, stored])) as f:
            r = f.run("show", record[0], "--json", "--password", input=PASSWORD + "\n")
            self.assertEqual(r.code, 0, r.err)
            self.assertEqual(json.loads(r.out), self.fields(record, record, password=True))
            self.assertFalse(any(ord(c) < 0x20 and c != "\n" or 0x7f <= ord(c) <= 0x9f
                                 for c in r.out), r.out)

    def test_an_empty_book_is_an_empty_array(self):
        with h.Folder(files([])) as f:
            self.assertEqual(f.run("list", "--json", input=PASSWORD + "\n"), (0, "[]\n", ""))


class Export(unittest.TestCase):
    def export(self, f, *extra, name="book.csv"):
        target = f.path / name
        return target, f.run("export", "--csv", h.native(target), *extra, input=PASSWORD + "\n")

    def test_the_csv_reads_back_as_the_records_in_list_order(self):
        with h.Folder(files()) as f:
            target, r = self.export(f)
            self.assertEqual(r.code, 0, r.err)
            data = target.read_bytes()
            self.assertTrue(data.startswith(b"Title,URL,Username,Password\r\n"))
            rows = list(csv.reader(io.StringIO(data.decode("utf-8"), newline="")))
            expected = sorted(RECORDS, key=lambda rec: LIST_ORDER.index(rec[0]))
            self.assertEqual(rows, [["Title", "URL", "Username", "Password"]] + [list(x) for x in expected])
            self.assertIn("plain text", r.err)
            self.assertNotIn("pw-1", r.out + r.err)
            if os.name == "posix" and not h.ON_WINE:
                self.assertEqual(stat.S_IMODE(target.stat().st_mode), 0o600)

    def test_an_existing_file_is_replaced_only_with_force(self):
        with h.Folder(files()) as f:
            (f.path / "book.csv").write_bytes(b"keep me")
            target, r = self.export(f)
            self.assertEqual((r.code, r.out), (1, ""))
            self.assertIn("--force", r.err)
            self.assertEqual(target.read_bytes(), b"keep me")
            target, r = self.export(f, "--force")
            self.assertEqual(r.code, 0, r.err)
            self.assertTrue(target.read_bytes().startswith(b"Title,"))

    def test_the_names_the_program_folder_uses_are_never_export_targets(self):
        # Whether they stand there now or not, with or without --force.
        names = (book.STORE, book.KEY_FILE, "lkdb.lock", "lkdb.pair", "BackupLocation.inf",
                 "lkdb1.lkd.0123456789abcdef.tmp", "lkdb0.lkd.tmp", "lockmere", "lockmere-cli",
                 "menu-entry")
        with h.Folder(files()) as f:
            (f.path / "BackupLocation.inf").write_bytes(b"/mnt/usb\r\n")
            before = f.snapshot()
            for name in names:
                for extra in ((), ("--force",)):
                    with self.subTest(name=name, extra=extra):
                        _, r = self.export(f, *extra, name=name)
                        self.assertEqual(r.code, 1)
                        self.assertIn("one of the book's own files", r.err)
            self.assertEqual(f.snapshot(), before)
            # Beside them any other name is fine.
            _, r = self.export(f, name="lkdb1.lkd.csv")
            self.assertEqual(r.code, 0, r.err)

    @unittest.skipIf(h.ON_WINE or os.name != "posix", "symbolic links of POSIX")
    def test_force_replaces_a_link_never_its_target(self):
        with h.Folder(files()) as f, tempfile.TemporaryDirectory() as elsewhere:
            start_up = Path(elsewhere) / ".profile"
            start_up.write_bytes(b"export PATH\n")
            (f.path / "book.csv").symlink_to(start_up)
            target, r = self.export(f, "--force")
            self.assertEqual(r.code, 0, r.err)
            self.assertFalse(target.is_symlink())
            self.assertTrue(target.read_bytes().startswith(b"Title,"))
            self.assertEqual(start_up.read_bytes(), b"export PATH\n")
            self.assertEqual(os.listdir(elsewhere), [".profile"])

    @unittest.skipIf(h.ON_WINE or os.name != "posix", "symbolic links of POSIX")
    def test_a_link_to_the_book_planted_while_the_password_is_asked(self):
        # The check before the prompt is made again just before the write.
        with h.Folder(files()) as f:
            before = f.snapshot()
            target = f.path / "book.csv"
            cli = subprocess.Popen(h.command("--folder", f.path, "export", "--csv", target, "--force"),
                                   stdin=subprocess.PIPE, stdout=subprocess.PIPE, stderr=subprocess.PIPE)
            time.sleep(0.5)
            target.symlink_to(f.path / book.KEY_FILE)
            out, err = cli.communicate((PASSWORD + "\n").encode(), timeout=h.TIMEOUT)
            self.assertEqual((cli.returncode, out), (1, b""))
            self.assertIn(b"one of the book's own files", err)
            target.unlink()
            self.assertEqual(f.snapshot(), before)

    def slowed_export(self, f, *extra):
        """An export whose first fsync (its temporary's, once written) takes a
        second; returns the process (strace) and the export's own pid once the
        temporary stands."""
        target = f.path / "book.csv"
        proc = subprocess.Popen(
            ["strace", "-f", "-qq", "-o", "/dev/null", "-e", "trace=fsync",
             "-e", "inject=fsync:delay_enter=1000000:when=1"] +
            h.command("--folder", f.path, "export", "--csv", target, *extra),
            stdin=subprocess.PIPE, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        self.addCleanup(lambda: proc.poll() is None and proc.kill())
        proc.stdin.write((PASSWORD + "\n").encode())
        proc.stdin.close()
        deadline = time.monotonic() + h.TIMEOUT
        while not [n for n in os.listdir(f.path) if TEMPORARY.match(n)]:
            self.assertLess(time.monotonic(), deadline, "no temporary was written")
            time.sleep(0.02)
        with open(f"/proc/{proc.pid}/task/{proc.pid}/children") as children:
            return proc, int(children.read().split()[0])

    @unittest.skipIf(h.ON_WINE or not shutil.which("strace"), "strace slows this system's calls")
    def test_an_export_interrupted_during_its_write_leaves_no_copy(self):
        for number in (signal.SIGHUP, signal.SIGINT, signal.SIGTERM):
            for extra in ((), ("--force",)):
                with self.subTest(signal.Signals(number).name, extra=extra), \
                        h.Folder(files()) as f:
                    if extra:
                        (f.path / "book.csv").write_bytes(b"the old export")
                    proc, export = self.slowed_export(f, *extra)
                    os.kill(export, number)
                    self.assertNotEqual(proc.wait(timeout=h.TIMEOUT), 0)
                    left = sorted(n for n in os.listdir(f.path) if n.startswith("book.csv"))
                    self.assertEqual(left, ["book.csv"] if extra else [])
                    if extra:
                        self.assertEqual((f.path / "book.csv").read_bytes(), b"the old export")

    @unittest.skipIf(h.ON_WINE or not shutil.which("strace"), "strace slows this system's calls")
    def test_what_a_killed_export_left_goes_with_the_next_export_there(self):
        with h.Folder(files()) as f:
            proc, export = self.slowed_export(f)
            os.kill(export, signal.SIGKILL)
            proc.wait(timeout=h.TIMEOUT)
            [left] = [n for n in os.listdir(f.path) if TEMPORARY.match(n)]
            # Not its kind: a name of the user's.
            (f.path / "book.csv.tmp").write_bytes(b"the user's own")
            _, r = self.export(f)
            self.assertEqual(r.code, 0, r.err)
            self.assertEqual(sorted(n for n in os.listdir(f.path) if n.startswith("book.csv")),
                             ["book.csv", "book.csv.tmp"])

    def test_a_folder_that_is_not_there(self):
        with h.Folder(files()) as f:
            _, r = self.export(f, name="no/such/folder.csv")
            self.assertEqual(r.code, 2)
            self.assertIn("could not be written", r.err)


if __name__ == "__main__":
    h.main()
