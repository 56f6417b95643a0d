"""verify and the reading of damaged or missing files, on the real executable."""

import os
import unittest

import cli_harness as h
from cli_harness import book

PASSWORD = "secret"
RECORDS = [("Mail", "N/A", "ann", "pw-1"), ("Bank", "https://b.example", "bob", "pw-2")]
KEY = book.KEY


def entries(*fields_lists):
    """Plain store text from lists of fields, framed as the layout says."""
    return b"".join(b"\x7f" + b"\x14".join(f.encode("cp1252") for f in fields) + b"\x80"
                    for fields in fields_lists)


def good():
    return book.files("me", PASSWORD, RECORDS)


def with_store_plain(plain):
    files = good()
    files[book.STORE] = book.encipher(plain, KEY)
    return files


def with_key_file(data):
    files = good()
    files[book.KEY_FILE] = data
    return files


def other_books_store(records):
    """The store of another generator run. A low key there and digits in the
    records make it fail to decipher with this book's key (at byte 2)."""
    return book.store(records, book.key_of(bytes(range(31, 82))))


DAMAGED = [  # what, files, exit code, words of the message
    ("key file missing", {book.STORE: good()[book.STORE]}, 2, "lkdb0.lkd is missing"),
    ("store missing", {book.KEY_FILE: good()[book.KEY_FILE]}, 2, "lkdb1.lkd is missing"),
    ("key file shorter than 51 bytes", with_key_file(good()[book.KEY_FILE][:40]), 2,
     "holds 40 bytes"),
    ("credentials cut short", with_key_file(book.key_file("me", "a-long-password")[:60]), 2,
     "cut short (16 of 20 bytes)"),
    ("51 bytes, length byte 30", with_key_file(book.collected()[:43] + b"\x1e" + book.collected()[44:]),
     2, "cut short (7 of 30 bytes)"),
    ("store of another key", {**good(), book.STORE: other_books_store([("0", "1", "2", "3")])}, 2,
     "does not decipher with the key in lkdb0.lkd (byte 2)"),
    ("record of three fields", with_store_plain(entries(["a", "b", "c"])), 2,
     "record 1 holds 3 fields"),
    ("record of five fields", with_store_plain(entries(RECORDS[0], ["a", "b", "c", "d", "e"])), 2,
     "record 2 holds 5 fields"),
    ("record without end", with_store_plain(entries(RECORDS[0])[:-1]), 2, "record 1 has no end"),
    ("text outside records", with_store_plain(entries(RECORDS[0]) + b"x"), 2,
     "byte 20 lies outside"),
    ("key file longer than any", with_key_file(good()[book.KEY_FILE] + b"x" * 300), 2,
     "more than any key file (299 bytes)"),
    ("store longer than any", {**good(), book.STORE: b"\x7f" * 40000}, 2,
     "more than any record store"),
]


class Verify(unittest.TestCase):
    def test_a_whole_book(self):
        for records, count in ((RECORDS, "2 records"), ([RECORDS[0]], "1 record"), ([], "0 records")):
            with self.subTest(count=count), h.Folder(book.files("me", PASSWORD, records)) as f:
                before = f.snapshot()
                r = h.run("verify", h.native(f.path))
                self.assertEqual((r.code, r.out, r.err), (0, f"The book is whole: {count}.\n", ""))
                self.assertEqual(f.snapshot(), before)

    def test_damaged_and_missing_files_are_named_and_nothing_is_created(self):
        for what, files, code, words in DAMAGED:
            # As the program folder, and as a backup folder.
            for how in ("--folder", "DIR"):
                with self.subTest(what, how=how), h.Folder(files) as f:
                    before = f.snapshot()
                    r = f.run("verify") if how == "--folder" else h.run("verify", h.native(f.path))
                    self.assertEqual((r.code, r.out), (code, ""), r.err)
                    self.assertIn(words, r.err)
                    self.assertEqual(f.snapshot(), before)

    @unittest.skipIf(h.ON_WINE or os.name != "posix", "symbolic links of POSIX")
    def test_a_backup_folder_is_read_as_a_restore_reads_it(self):
        # The program folder's data files may be the user's links; a backup
        # folder's are followed by nobody.
        with h.Folder(good()) as f, h.Folder(good()) as elsewhere:
            os.unlink(f.path / book.KEY_FILE)
            os.symlink(elsewhere.path / book.KEY_FILE, f.path / book.KEY_FILE)
            r = h.run("verify", h.native(f.path))
            self.assertEqual((r.code, r.out), (2, ""))
            self.assertIn("lkdb0.lkd in " + h.native(f.path) + " could not be read", r.err)
            self.assertEqual(f.run("verify").code, 0)

    @unittest.skipUnless(not h.ON_WINE and hasattr(os, "geteuid") and os.geteuid() == 0,
                         "owners of POSIX, and giving files to another user needs root")
    def test_a_backup_folder_others_may_write_into_takes_none_of_their_files(self):
        for mode, code in ((0o1777, 2), (0o777, 2), (0o700, 0)):
            with self.subTest(mode=oct(mode)), h.Folder(good()) as f:
                for name in (book.KEY_FILE, book.STORE):
                    os.chmod(f.path / name, 0o644)
                    os.chown(f.path / name, 4242, 4242)
                os.chmod(f.path, mode)
                r = h.run("verify", h.native(f.path))
                self.assertEqual(r.code, code, r.err)
                if code:
                    self.assertIn("lkdb0.lkd in " + h.native(f.path) +
                                  " belongs to another user; copy the backup into a folder of "
                                  "your own first.", r.err)

    def test_the_commands_that_read_refuse_damaged_books_without_creating_files(self):
        for what, files, code, words in DAMAGED:
            if "record" in what or "outside" in what:
                continue  # the scan takes what it finds, as the main window's load does
            for args in (["list"], ["show", "Mail"], ["add"]):
                with self.subTest(what, args=args), h.Folder(files) as f:
                    before = f.snapshot()
                    r = f.run(*args, input=PASSWORD + "\nNew\nN/A\nu\np\np\n")
                    self.assertEqual((r.code, r.out), (2, ""), r.err)
                    self.assertEqual(f.snapshot(), before)

    def test_a_first_start_left_halfway_sends_the_user_to_lockmere(self):
        # Before the password is asked, and before a store that may not
        # have been made yet.
        no_account = "No master account has been created yet: start Lockmere to create one.\n"
        for what, key_file in (("empty key file", b""), ("the generator's bytes alone", book.collected())):
            for store in (good()[book.STORE], None):
                files = {book.KEY_FILE: key_file}
                if store is not None:
                    files[book.STORE] = store
                for args in (["verify"], ["verify", "--login"], ["list"], ["show", "Mail"], ["add"],
                             ["export", "--csv"]):
                    with self.subTest(what, store=store is not None, args=args), h.Folder(files) as f:
                        before = f.snapshot()
                        if args[0] == "export":
                            args = args + [h.native(f.path / "book.csv")]
                        r = f.run(*args, input=PASSWORD + "\n")
                        self.assertEqual((r.code, r.out, r.err), (2, "", no_account))
                        self.assertEqual(f.snapshot(), before)

    @unittest.skipIf(h.ON_WINE or os.name != "posix", "pipes and devices of POSIX")
    def test_what_is_no_file_is_refused_at_once_and_named(self):
        # A pipe or a device must neither hold the command up nor fill the
        # memory; a huge sparse file is read no further than a store can be.
        cases = [
            ("a pipe", book.KEY_FILE, lambda p: os.mkfifo(p), "lkdb0.lkd in", "not a file"),
            ("a link to a device", book.STORE, lambda p: os.symlink("/dev/zero", p), "lkdb1.lkd in",
             "not a file"),
            ("a folder", book.STORE, lambda p: os.mkdir(p), "lkdb1.lkd in", "not a file"),
            ("a sparse file of 3 GB", book.STORE, lambda p: os.truncate(p, 3 << 30), "lkdb1.lkd",
             "more than any record store"),
        ]
        for what, name, plant, where, words in cases:
            with self.subTest(what), h.Folder(good()) as f:
                path = f.path / name
                path.unlink()
                if what.startswith("a sparse"):
                    path.write_bytes(b"")
                plant(path)
                for args in (["verify"], ["list"]):
                    r = f.run(*args, input=PASSWORD + "\n")
                    self.assertEqual((r.code, r.out), (2, ""), r.err)
                    self.assertIn(where, r.err)
                    if args == ["verify"]:
                        self.assertIn(words, r.err)

    def test_a_store_of_another_book_that_deciphers_to_nonsense(self):
        files = {**good(), book.STORE: book.store(RECORDS, book.key_of(bytes(range(95, 44, -1))))}
        with h.Folder(files) as f:
            r = f.run("verify")
            self.assertEqual(r.code, 2)
            self.assertIn("byte 1 lies outside every record", r.err)

    def test_a_copy_cut_short_is_reported_until_it_is_finished(self):
        files = {**good(), "lkdb.pair": b"forward\r\nlkdb0.lkd.0123456789abcdef.tmp\r\nx\r\n"}
        with h.Folder(files) as f:
            before = f.snapshot()
            for args in (["verify"], ["list"], ["add"]):
                with self.subTest(args=args):
                    r = f.run(*args, input=PASSWORD + "\n")
                    self.assertEqual((r.code, r.out), (2, ""))
                    self.assertIn("was cut short", r.err)
            self.assertEqual({k: v for k, v in f.snapshot().items() if k != "lkdb.lock"}, before)

    def test_verify_with_the_master_password(self):
        with h.Folder(good()) as f:
            r = f.run("verify", "--login", input=" secret \n")
            self.assertEqual((r.code, r.out), (0, "The book is whole: 2 records.\n"))
            r = f.run("verify", "--login", input="Secret\n")
            self.assertEqual((r.code, r.out), (1, ""))
            self.assertIn("Password Not Matched", r.err)

    def test_a_master_password_above_code_159_opens_the_book(self):
        # Key codes 31, 32, 33, ...: each letter sits where the cipher holds it.
        collected = b"ZYXWVU" + bytes(range(31, 76))
        password = "\u20ac\u00a3\u00c4"
        files = {book.KEY_FILE: book.key_file("\u00df\u00df", password, collected),
                 book.STORE: book.store(RECORDS, book.key_of(collected))}
        with h.Folder(files) as f:
            for typed, code in ((password, 0), ("\u20ac\u00a3A", 1)):
                with self.subTest(typed=typed):
                    r = f.run("verify", "--login", input=typed + "\n")
                    self.assertEqual(r.code, code, r.err)

    def test_every_command_judges_the_password_alike(self):
        # Codes 128-159 of the code page are typed as other Unicode characters.
        password = "pa\u2013s\u2019s\u2026"
        with h.Folder(book.files("me", password, RECORDS)) as f:
            for args in (["verify", "--login"], ["list"]):
                for typed, code in ((password, 0), ("pa-s's...", 1)):
                    with self.subTest(args=args, typed=typed):
                        r = f.run(*args, input=typed + "\n")
                        self.assertEqual(r.code, code, r.err)

    def test_a_folder_that_is_not_there(self):
        with h.Folder() as f:
            r = h.run("verify", h.native(f.path / "gone"))
            self.assertEqual(r.code, 2)
            self.assertIn("cannot be found", r.err)
            self.assertFalse((f.path / "gone").exists())


if __name__ == "__main__":
    h.main()
