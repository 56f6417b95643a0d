"""add: the add window's checks and its append, on the real executable."""

import contextlib
import fcntl
import unittest

import cli_harness as h
from cli_harness import book

PASSWORD = "secret"
OLD = [("Mail", "N/A", "ann", "pw-1"), ("Bank", "https://b.example", "bob", "pw-2")]


@contextlib.contextmanager
def locked(folder):
    """The folder's lock, held as the windowed program holds it."""
    with open(folder.path / "lkdb.lock", "a") as lock:
        fcntl.flock(lock, fcntl.LOCK_EX | fcntl.LOCK_NB)
        yield


def add(f, *answers, password=PASSWORD):
    return f.run("add", input="\n".join((password,) + answers) + "\n")


class Add(unittest.TestCase):
    def test_appends_the_trimmed_record_as_the_add_window_does(self):
        for old in (OLD, []):
            with self.subTest(records=len(old)), h.Folder(book.files("me", PASSWORD, old)) as f:
                r = add(f, "  New one  ", " N/A", "us er ", " pw ", "pw  ")
                self.assertEqual((r.code, r.out, r.err), (0, 'Added "New one".\n', ""))
                # One enciphered run with the new entry last: exactly these bytes.
                new = ("New one", "N/A", "us er", "pw")
                self.assertEqual(f.read(book.STORE), book.store(old + [new], book.KEY))

    def test_windows_1252_letters_above_127(self):
        with h.Folder(book.files("me", PASSWORD, OLD)) as f:
            r = add(f, "Œuvre Š", "N/A", "žaneta", "ƒ–œ", "ƒ–œ")
            self.assertEqual(r.code, 0, r.err)
            self.assertEqual(book.decode_store(f.read(book.STORE), book.KEY)[-1],
                             ("Œuvre Š", "N/A", "žaneta", "ƒ–œ"))

    def test_the_longest_fields_the_boxes_take_and_one_more(self):
        limits = [50, 500, 40, 15]
        names = ["Application Name", "Application URL", "User Name", "Password"]
        with h.Folder(book.files("me", PASSWORD, [])) as f:
            for box, limit in enumerate(limits):
                for length, code in ((limit, 0), (limit + 1, 1)):
                    with self.subTest(box=names[box], length=length):
                        fields = ["n", "u", "s", "p"]
                        fields[box] = "x" * length
                        before = f.read(book.STORE)
                        r = add(f, *fields, fields[3])
                        self.assertEqual(r.code, code, r.err)
                        if code:
                            self.assertIn(f"ERROR: {names[box]} can hold at most {limit} characters.",
                                          r.err)
                            self.assertEqual(f.read(book.STORE), before)
            # Spaces around a field do not count: the stored text does.
            r = add(f, " " + "y" * 50 + " ", "u", "s", "p", "p")
            self.assertEqual(r.code, 0, r.err)

    def test_refusals_leave_the_store_as_it_was(self):
        cases = [  # answers, message
            (["   ", "u", "s", "p", "p"], "ERROR: None of the Data Fields can be Blank!"),
            (["n", "u", "s", "p", ""], "ERROR: None of the Data Fields can be Blank!"),
            (["n", "u", "s", "pw", "pW"], "ERROR: The passwords did not match. Please try again!"),
            (["n", "", "s", "pw", "pW"], "ERROR: None of the Data Fields can be Blank!"),
            (["a\tb", "u", "s", "p", "p"],
             "ERROR: The tab character cannot be stored in Application Name. Please remove it."),
            (["n", "u", "€uro", "p", "p"],
             'ERROR: The character "€" cannot be stored in User Name. Please remove it.'),
            (["n", "café", "s", "p", "p"],
             'ERROR: The character "é" cannot be stored in Application URL. Please remove it.'),
            (["n", "u", "s", "☃", "☃"],
             'ERROR: The character "☃" cannot be stored in Password. Please remove it.'),
            (["n\x7f", "u", "s", "p", "p"],
             "ERROR: Character 127 cannot be stored in Application Name. Please remove it."),
            (["n", "u", "s", "\x01\x1b[0mpw", "\x01\x1b[0mpw"],
             "ERROR: Character 1 cannot be stored in Password. Please remove it."),
            (["n", "u", "s\x07", "p", "p"],
             "ERROR: Character 7 cannot be stored in User Name. Please remove it."),
            (["n\u0081", "u", "s", "p", "p"],
             "ERROR: Character 129 cannot be stored in Application Name. Please remove it."),
            (["n", "u", "s", "p"], "ERROR: The input ended before Confirm Password."),
        ]
        with h.Folder(book.files("me", PASSWORD, OLD)) as f:
            before = f.snapshot()
            for answers, message in cases:
                with self.subTest(answers=answers):
                    r = add(f, *answers)
                    self.assertEqual((r.code, r.out), (1, ""))
                    self.assertIn(message, r.err)
            r = f.run("add", input=PASSWORD.encode() + b"\nname\n\xffurl\nu\np\np\n")
            self.assertEqual((r.code, r.out), (1, ""))
            self.assertIn("ERROR: Application URL is not UTF-8 text.", r.err)
            self.assertEqual(f.snapshot(), before)

    def test_the_stores_size_limit(self):
        # Entries of 5 + 40 characters; the plain store text may hold 32,766.
        def record(i):
            return (f"{i:05}" + "n" * 18, "u", "s", "p" * 15)

        full = [record(i) for i in range(727)]  # 727 * 45 = 32,715
        with h.Folder(book.files("me", PASSWORD, full)) as f:
            before = f.read(book.STORE)
            r = add(f, "n" * 44, "u", "s", "p", "p")  # 52 characters more: 32,767
            self.assertEqual((r.code, r.out), (1, ""))
            self.assertIn("ERROR: The database is full", r.err)
            self.assertIn("the database on disk has been left as it was", r.err)
            self.assertEqual(f.read(book.STORE), before)
            r = add(f, "n" * 43, "u", "s", "p", "p")  # exactly 32,766
            self.assertEqual(r.code, 0, r.err)
            self.assertEqual(len(f.read(book.STORE)), 32766)

    @unittest.skipIf(h.ON_WINE, "the lock of this system")
    def test_refused_while_the_windowed_program_holds_the_folder(self):
        with h.Folder(book.files("me", PASSWORD, OLD)) as f:
            with locked(f):
                before = f.snapshot()
                r = add(f, "New", "N/A", "u", "p", "p")
                self.assertEqual((r.code, r.out), (1, ""))
                self.assertIn("Lockmere is running from this folder, so nothing was added", r.err)
                self.assertEqual(f.snapshot(), before)
            r = add(f, "New", "N/A", "u", "p", "p")
            self.assertEqual(r.code, 0, r.err)


if __name__ == "__main__":
    h.main()
