"""import: other programs' CSV exports into the book, on the real executable.

Each sample file is built here, row by row, from the column names its
program's header gives, and written as those programs write CSV."""

import atexit
import contextlib
import fcntl
import re
import os
import resource
import shutil
import subprocess
import tempfile
import unittest
from pathlib import Path

import cli_harness as h
from cli_harness import book

PASSWORD = "secret"
OLD = [("Mail", "https://mail.example.com", "ann@example.com", "pw-old-1"),
       ("Œuvres", "N/A", "ann", "pw-old-2")]


def csv_bytes(rows, sep=",", eol="\r\n", encoding="utf-8", bom=False, quote_all=False):
    """Rows (the header first) after RFC 4180: a field holding the separator,
    a double quote or a line break is enclosed in quotes, its quotes doubled."""
    def field(text):
        if quote_all or any(c in text for c in (sep, '"', "\r", "\n")):
            return '"' + text.replace('"', '""') + '"'
        return text
    text = "".join(sep.join(field(f) for f in row) + eol for row in rows)
    return (b"\xef\xbb\xbf" if bom else b"") + text.encode(encoding)


# Outside the program folders, whose snapshots show that nothing changed.
CSV_FOLDER = Path(tempfile.mkdtemp(prefix="lockmere-import-"))
atexit.register(shutil.rmtree, CSV_FOLDER, True)
EXPORT = CSV_FOLDER / "export.csv"


def run_import(f, data, *extra):
    EXPORT.write_bytes(data)
    return f.run("import", "--csv", h.native(EXPORT), *extra, input=PASSWORD + "\n")


def stored(f):
    return book.decode_store(f.read(book.STORE), book.KEY)


def counts(out):
    """The report's counts, {"Rows read": 4, "Imported": 2, ...}."""
    return {m[0]: int(m[1]) for m in re.findall(r"^([A-Z][\w ,]+):\s+(\d+)$", out, re.M)}


def dropped(out):
    """The report's dropped columns, {"Notes": 1, ...}."""
    part = out.split("Dropped (the book has no place for them):\n")
    if len(part) == 1:
        return {}
    return {m[0]: int(m[1]) for m in re.findall(r"^  (.+): (\d+) values?$", part[1], re.M)}


@contextlib.contextmanager
def locked(folder):
    """The folder's lock, held as the windowed program holds it."""
    with open(folder.path / "lkdb.lock", "a") as lock:
        fcntl.flock(lock, fcntl.LOCK_EX | fcntl.LOCK_NB)
        yield


# Each layout as its program writes it: file, options, records added,
# counts, dropped values, refused lines.
KEEPASSXC = csv_bytes([
    ["Group", "Title", "Username", "Password", "URL", "Notes", "TOTP", "Icon", "Last Modified",
     "Created"],
    ["Root", "Mail, work", "ann@work.example", "pw-kx-1", "https://mail.work.example",
     "Recovery codes:\nabc-def", "", "0", "2024-05-01T10:00:00Z", "2023-01-01T10:00:00Z"],
    ["Root/Forums", "Forum", 'say "hi"', "pw-kx-2", "", "", "otpauth://totp/forum?secret=AB",
     "0", "", ""],
    ["Root", "Bank", "ann", "pw-kx-3-far-too-long", "https://bank.example", "", "", "0", "", ""],
    ["Root", "MAIL", "ANN@example.com", "pw-kx-4", "https://mail.example.com", "", "", "0", "", ""],
])
BITWARDEN = csv_bytes([
    ["collections", "folder", "favorite", "type", "name", "notes", "fields", "reprompt",
     "login_uri", "login_username", "login_password", "login_totp"],
    ["", "Work", "1", "login", "GitLab", "", "", "0",
     "https://gitlab.example.com/users/sign_in,https://gitlab.example.com", "ann", "pw-bw-1",
     "otpauth://totp/gl"],
    ["", "", "", "note", "Wi-Fi", "SSID: home\nKey: pw-bw-note", "", "0", "", "", "", ""],
    ["", "", "", "card", "Visa", "", "", "0", "", "", "", ""],
    ["", "", "", "login", "Shop", "", "", "0", "https://shop.example", "bob", "pw-bw-äö", ""],
    ["", "", "", "login", "gitlab", "", "", "0", "https://gitlab.example.com", "ANN", "pw-bw-2", ""],
    ["", "", "", "login", "Router", "", "", "0", "", "admin", "pw-bw-3", ""],
], eol="\n")
CHROME = csv_bytes([
    ["name", "url", "username", "password", "note"],
    ["mail.example.org", "https://mail.example.org/", "ann", "pw-ch-1", ""],
    ["accounts.example.com", "https://accounts.example.com/signin?continue=a,b", "ann@example.com",
     "pw-ch-2", "two-factor on"],
])
CHROME_OLDER = csv_bytes([
    ["origin_url", "username_value", "password_value"],
    ["https://www.bank.example:8443/login", "ann", "pw-co-1"],
    ["http://[::1]:8080/admin", "root", "pw-co-2"],
], eol="\n")[:-1]  # no line end after the last row
FIREFOX = csv_bytes([
    ["url", "username", "password", "httpRealm", "formActionOrigin", "guid", "timeCreated",
     "timeLastUsed", "timePasswordChanged"],
    ["https://shop.example", "ann", "pw-ff-1", "", "https://shop.example",
     "{0b5c61a4-0ad3-4bd6-a3b2-1f7c0d3d9e11}", "1690000000000", "1690000000000", "1690000000000"],
    ["https://ann@intranet.example:8443", "ann", "pw-ff-2", "Intranet", "",
     "{6f1e8a02-55f4-4b7c-9a39-0c2b7e5d4a10}", "1690000000000", "1690000000000", "1690000000000"],
], bom=True, quote_all=True)
KEEPASS1 = csv_bytes([
    ["Account", "Login Name", "Password", "Web Site", "Comments"],
    ["Œuvres d'art", "žaneta", "pw-k1-1", "https://art.example", "café; see notes"],
    ["Forum", "ann", "pw-k1-2", "", ""],
], sep=";", encoding="cp1252", quote_all=True)

FORMATS = [
    ("keepassxc", KEEPASSXC, ["--skip-refused"],
     [("Mail, work", "https://mail.work.example", "ann@work.example", "pw-kx-1"),
      ("Forum", "N/A", 'say "hi"', "pw-kx-2")],
     {"Rows read": 4, "Imported": 2, "Skipped as duplicates": 1, "Refused": 1},
     {"Group": 2, "Notes": 1, "TOTP": 1, "Icon": 2, "Last Modified": 1, "Created": 1},
     ['line 5, "Bank": Password is longer than 15 characters']),
    ("bitwarden", BITWARDEN, ["--skip-refused"],
     [("GitLab", "https://gitlab.example.com/users/sign_in", "ann", "pw-bw-1"),
      ("Router", "N/A", "admin", "pw-bw-3")],
     {"Rows read": 6, "Imported": 2, "Skipped as duplicates": 1, "Skipped, not logins": 2,
      "Refused": 1},
     {"folder": 1, "favorite": 1, "reprompt": 2, "login_totp": 1,
      "login_uri (addresses after the first)": 1},
     ['line 6, "Shop": Password holds a character above code 159']),
    ("chrome", CHROME, [],
     [("mail.example.org", "https://mail.example.org/", "ann", "pw-ch-1"),
      ("accounts.example.com", "https://accounts.example.com/signin?continue=a,b",
       "ann@example.com", "pw-ch-2")],
     {"Rows read": 2, "Imported": 2, "Skipped as duplicates": 0, "Refused": 0},
     {"note": 1}, []),
    ("chrome", CHROME_OLDER, [],
     [("www.bank.example", "https://www.bank.example:8443/login", "ann", "pw-co-1"),
      ("[::1]", "http://[::1]:8080/admin", "root", "pw-co-2")],
     {"Rows read": 2, "Imported": 2, "Refused": 0}, {}, []),
    ("firefox", FIREFOX, [],
     [("shop.example", "https://shop.example", "ann", "pw-ff-1"),
      ("intranet.example", "https://ann@intranet.example:8443", "ann", "pw-ff-2")],
     {"Rows read": 2, "Imported": 2, "Refused": 0},
     {"httpRealm": 1, "formActionOrigin": 1, "guid": 2, "timeCreated": 2, "timeLastUsed": 2,
      "timePasswordChanged": 2}, []),
    ("keepass1", KEEPASS1, [],
     [("Œuvres d'art", "https://art.example", "žaneta", "pw-k1-1"), ("Forum", "N/A", "ann", "pw-k1-2")],
     {"Rows read": 2, "Imported": 2, "Refused": 0}, {"Comments": 1}, []),
]
EVERY_PASSWORD = re.compile(r"pw-(?!old)[a-z0-9]+-[\w-]+")


class Formats(unittest.TestCase):
    def test_each_programs_export_is_appended_in_file_order(self):
        for layout, data, extra, added, expected_counts, expected_dropped, refused in FORMATS:
            with self.subTest(layout, first_row=added[0][0]), \
                    h.Folder(book.files("me", PASSWORD, OLD)) as f:
                r = run_import(f, data, *extra)
                self.assertEqual(r.code, 0, r.err)
                # One write of the whole store: the old entries, then the new.
                self.assertEqual(f.read(book.STORE), book.store(OLD + added, book.KEY))
                self.assertRegex(r.out, rf"^Import of .*export\.csv: layout {layout}, ")
                self.assertEqual({k: v for k, v in counts(r.out).items() if k in expected_counts},
                                 expected_counts)
                self.assertEqual(dropped(r.out), expected_dropped)
                for line in refused:
                    self.assertIn("\n  " + line, r.out)
                self.assertNotRegex(r.out + r.err, EVERY_PASSWORD)
                # The file holds every password: the user is told, the file kept.
                self.assertIn("holds every password it had in plain text", r.err)
                self.assertIn("delete it", r.err)
                self.assertEqual(EXPORT.read_bytes(), data)

    def test_the_records_imported_read_back_in_the_lists_order(self):
        with h.Folder(book.files("me", PASSWORD, OLD)) as f:
            self.assertEqual(run_import(f, KEEPASS1).code, 0)
            r = f.run("list", input=PASSWORD + "\n")
            self.assertEqual(r.out.splitlines(), ["Forum", "Mail", "Œuvres", "Œuvres d'art"])

    def test_lockmere_clis_own_export_comes_back_whole(self):
        records = [("Mail", "https://mail.example.com/a,b", 'say "hi"', "p,w ;x"),
                   ("Œuvres", "N/A", "žaneta", "Šœ–ƒ")]
        with h.Folder(book.files("me", PASSWORD, records)) as source, \
                h.Folder(book.files("me", PASSWORD, [])) as target:
            exported = source.path / "book.csv"
            self.assertEqual(source.run("export", "--csv", h.native(exported),
                                        input=PASSWORD + "\n").code, 0)
            # Its columns are also KeePassXC's, the layout tried first; both
            # read it the same.
            for extra, layout in ((["--format", "lockmere"], "lockmere"), ([], "keepassxc")):
                with self.subTest(layout):
                    target.path.joinpath(book.STORE).write_bytes(b"")
                    r = run_import(target, exported.read_bytes(), *extra)
                    self.assertEqual(r.code, 0, r.err)
                    self.assertIn(f"layout {layout}, ", r.out)
                    self.assertEqual(sorted(stored(target)), sorted(records))


class Reading(unittest.TestCase):
    ROWS = [["Title", "URL", "Username", "Password"],
            ["Œuvre, the", "https://a.example/?q=1,2", 'say "hi"', "p;w,1"],
            ["Plain", "", "ann", "pw-2"],
            ["Long", "", "bob", "pw-3-much-too-long"]]
    ADDED = [("Œuvre, the", "https://a.example/?q=1,2", 'say "hi"', "p;w,1"),
             ("Plain", "N/A", "ann", "pw-2")]

    def test_one_export_however_it_is_written(self):
        rows = self.ROWS
        header_variant = [[" username ", "PASSWORD", "Notes", "title", "url"]] + [
            [r[2], r[3], "", r[0], r[1]] for r in rows[1:]]
        variants = [  # what, bytes, line of the refused row
            ("CR LF", csv_bytes(rows), 4),
            ("LF", csv_bytes(rows, eol="\n"), 4),
            ("CR", csv_bytes(rows, eol="\r"), 4),
            ("byte-order mark", csv_bytes(rows, bom=True), 4),
            ("Windows-1252", csv_bytes(rows, encoding="cp1252"), 4),
            ("semicolons", csv_bytes(rows, sep=";"), 4),
            ("every field quoted", csv_bytes(rows, quote_all=True), 4),
            ("blank lines", b"\r\n" + csv_bytes(rows[:2]) + b"\r\n  \r\n,,,\r\n" + csv_bytes(rows[2:]), 8),
            ("a line break in a dropped column",
             csv_bytes([rows[0] + ["Notes"], rows[1] + ["one\r\ntwo\nthree"]] +
                       [r + [""] for r in rows[2:]]), 6),
            ("columns in another order, case and blanks", csv_bytes(header_variant), 4),
        ]
        for what, data, line in variants:
            with self.subTest(what), h.Folder(book.files("me", PASSWORD, [])) as f:
                r = run_import(f, data, "--skip-refused")
                self.assertEqual(r.code, 0, r.err)
                self.assertEqual(stored(f), self.ADDED)
                self.assertIn(f'\n  line {line}, "Long": Password is longer than 15 characters\n',
                              r.out)
                self.assertIn("Windows-1252" if what == "Windows-1252" else "UTF-8", r.out)

    def test_files_that_are_refused_whole(self):
        cases = [  # what, bytes, options, exit code, words of the message
            ("no header that any layout names", csv_bytes([["site", "login", "secret"], ["a", "b", "c"]]),
             [], 1, "matches none of the layouts"),
            ("an empty file", b"", [], 1, "holds no header row"),
            ("blank lines only", b"\r\n \r\n", [], 1, "holds no header row"),
            ("a quoted header that never ends", b'Title,"URL,Username,Password\r\n', [], 1,
             "The quoted field that starts on line 1 of"),
            ("a quoted field that never ends",
             csv_bytes(self.ROWS[:2]) + b'Open,"https://x.example\r\nann,pw\r\n', [], 1,
             "The quoted field that starts on line 3 of"),
            ("a layout forced whose columns are missing", csv_bytes(self.ROWS), ["--format", "firefox"],
             1, "does not name the columns of the firefox layout (url, username, password, "
                "httpRealm, formActionOrigin, guid)"),
        ]
        with h.Folder(book.files("me", PASSWORD, OLD)) as f:
            before = f.snapshot()
            for what, data, extra, code, words in cases:
                with self.subTest(what):
                    r = run_import(f, data, *extra)
                    self.assertEqual((r.code, r.out), (code, ""), r.err)
                    self.assertIn(words, r.err)
            self.assertEqual(f.snapshot(), before)

    def test_a_header_that_matches_nothing_lists_the_layouts_and_format(self):
        with h.Folder(book.files("me", PASSWORD, OLD)) as f:
            r = run_import(f, csv_bytes([["site", "login", "secret"]]))
            self.assertEqual(r.code, 1)
            for words in ("keepassxc   Title, Username, Password, URL",
                          "bitwarden   type, name, login_uri, login_username, login_password",
                          "chrome      origin_url, username_value, password_value",
                          "firefox", "keepass1", "lockmere", "--format NAME"):
                self.assertIn(words, r.err)

    def test_files_that_cannot_be_read(self):
        with h.Folder(book.files("me", PASSWORD, OLD)) as f:
            (f.path / "a-folder.csv").mkdir()
            with open(f.path / "huge.csv", "wb") as huge:
                huge.write(csv_bytes([self.ROWS[0]]))
                huge.truncate(16 * 1024 * 1024 + 1)
            before = f.snapshot()
            cases = [  # file, exit code, words
                ("missing.csv", 2, "cannot be found"),
                ("a-folder.csv", 2, "could not be read (failure code 75"),
                ("huge.csv", 1, "larger than 16 MiB"),
            ]
            for name, code, words in cases:
                with self.subTest(name):
                    r = f.run("import", "--csv", h.native(f.path / name), input=PASSWORD + "\n")
                    self.assertEqual((r.code, r.out), (code, ""), r.err)
                    self.assertIn(words, r.err)
            self.assertEqual(f.snapshot(), before)


class Rows(unittest.TestCase):
    HEADER = ["Title", "URL", "Username", "Password"]
    # Row, then what the report says of it (the line it starts on is given).
    REFUSED = [
        (["n" * 51, "", "u", "p"],
         f'"{"n" * 50}…": Application Name is longer than 50 characters'),
        (["Long URL", "h" * 501, "u", "p"], '"Long URL": Application URL is longer than 500 characters'),
        (["Long user", "", "u" * 41, "p"], '"Long user": User Name is longer than 40 characters'),
        (["Long pw", "", "u", "pw-123456789abcd"], '"Long pw": Password is longer than 15 characters'),
        (["  ", "", "u", "p"], "Application Name is empty"),
        (["No user", "", "  ", "p"], '"No user": User Name is empty'),
        (["No pw", "", "u", ""], '"No pw": Password is empty'),
        (["Two\nlines", "", "u", "p"], '"Two?lines": Application Name holds a line break'),
        (["Pw break", "", "u", "pw-se\r\ncret"], '"Pw break": Password holds a line break'),
        (["Café", "", "u", "p"],
         '"Café": Application Name holds the character "é", which the store cannot hold'),
        (["Euro", "", "€uro", "p"], '"Euro": User Name holds the character "€", which the store cannot hold'),
        (["Tab", "a\tb", "u", "p"], '"Tab": Application URL holds the tab character, which the store cannot hold'),
        (["Accent", "", "u", "pw-äöß"],
         '"Accent": Password holds a character above code 159 (such as é, ü or ©), which the store '
         "cannot hold"),
        (["Snow", "", "u", "pw-☃"],
         '"Snow": Password holds a character without a Windows-1252 code, which the store cannot hold'),
        (["Euro pw", "", "u", "pw-€"],
         '"Euro pw": Password holds a character the store uses as a separator or marker, which the '
         "store cannot hold"),
        (["Tab pw", "", "u", "pw-\t"], '"Tab pw": Password holds a tab, which the store cannot hold'),
        (["Ctl pw", "", "u", "\x01\x1b[0mpw"],
         '"Ctl pw": Password holds a control character, which the store cannot hold'),
        (["C1 pw", "", "u", "pw\x81"],
         '"C1 pw": Password holds a control character, which the store cannot hold'),
        (["Esc\x1bname", "", "u", "p"],
         '"Esc?name": Application Name holds character 27, which the store cannot hold'),
        (["Nul", "a\x00b", "u", "p"], '"Nul": Application URL holds character 0, which the store cannot hold'),
        (["Bell", "", "u\x07\x08", "p"], '"Bell": User Name holds character 7, which the store cannot hold'),
        (["C1", "", "u\x81", "p"], '"C1": User Name holds character 129, which the store cannot hold'),
        (["Short", "row"], "the row has 2 fields where the header has 4"),
    ]
    GOOD = ["Good", "", "  ann  ", "  pw-ok  "]

    def file(self):
        return csv_bytes([self.HEADER] + [row for row, _ in self.REFUSED] + [self.GOOD])

    def test_every_refused_row_is_named_with_its_line_and_nothing_is_written(self):
        with h.Folder(book.files("me", PASSWORD, OLD)) as f:
            before = f.snapshot()
            r = run_import(f, self.file())
            self.assertEqual(r.code, 1)
            self.assertEqual(f.snapshot(), before)
            line = 2
            for row, said in self.REFUSED:
                with self.subTest(said):
                    self.assertIn(f"\n  line {line}, {said}\n" if said.startswith('"')
                                  else f"\n  line {line}: {said}\n", r.out)
                line += 1 + sum(field.count("\n") for field in row)
            self.assertEqual(counts(r.out)["Refused"], len(self.REFUSED))
            self.assertEqual(counts(r.out)["Imported"], 0)
            for summary in ("  6  Password with a character the store cannot hold\n",
                            "  1  Application Name empty\n",
                            "  1  rows whose fields do not line up with the header\n"):
                self.assertIn(summary, r.out)
            self.assertIn("23 rows of", r.err)
            self.assertIn("--skip-refused to import the 1 record accepted", r.err)

    def test_a_password_or_any_part_of_one_is_never_shown(self):
        with h.Folder(book.files("me", PASSWORD, OLD)) as f:
            r = run_import(f, self.file())
            shown = r.out + r.err
            for row, _ in self.REFUSED:
                if len(row) == 4 and row[3].startswith("pw-"):
                    self.assertNotIn(row[3].strip(), shown)
            for character in ("ä", "ö", "ß", "☃", "pw-", "123456789"):
                self.assertNotIn(character, shown)

    def test_skip_refused_writes_the_accepted_rows_trimmed(self):
        with h.Folder(book.files("me", PASSWORD, OLD)) as f:
            r = run_import(f, self.file(), "--skip-refused")
            self.assertEqual(r.code, 0, r.err)
            self.assertEqual(stored(f), OLD + [("Good", "N/A", "ann", "pw-ok")])
            self.assertEqual(counts(r.out)["Imported"], 1)

    def test_duplicates_by_name_and_user_name_with_case_folded(self):
        rows = [self.HEADER,
                ["ŒUVRES", "https://other.example", "ANN", "pw-1"],  # the book's "Œuvres"/"ann"
                ["Mail", "", "bob", "pw-2"],                         # same name, another user
                ["New", "", "x", "pw-3"],
                ["new", "", "X", "pw-4"]]                            # an earlier row's
        cases = [  # options, records added, duplicates
            ([], [("Mail", "N/A", "bob", "pw-2"), ("New", "N/A", "x", "pw-3")], 2),
            (["--keep-duplicates"], [("ŒUVRES", "https://other.example", "ANN", "pw-1"),
                                     ("Mail", "N/A", "bob", "pw-2"), ("New", "N/A", "x", "pw-3"),
                                     ("new", "N/A", "X", "pw-4")], 0),
        ]
        for extra, added, duplicates in cases:
            with self.subTest(extra=extra), h.Folder(book.files("me", PASSWORD, OLD)) as f:
                r = run_import(f, csv_bytes(rows), *extra)
                self.assertEqual(r.code, 0, r.err)
                self.assertEqual(stored(f), OLD + added)
                self.assertEqual(counts(r.out)["Skipped as duplicates"], duplicates)

    def test_addresses_launch_browser_will_not_open_are_warned_and_kept(self):
        rows = [self.HEADER, ["Web", "https://a.example", "u", "p"],
                ["Bare", "www.b.example/login", "u", "p"], ["App", "androidapp://com.bank", "u", "p"],
                ["Planted", "file:///home/x/evil.sh", "u", "p"], ["None", "", "u", "p"]]
        warnings = "Warnings: not web addresses, which Launch Browser will not open:\n"
        with h.Folder(book.files("me", PASSWORD, OLD)) as f:
            r = run_import(f, csv_bytes(rows))
            self.assertEqual(r.code, 0, r.err)
            self.assertEqual(r.out.split(warnings)[1],
                             '  line 4, "App": androidapp://com.bank\n'
                             '  line 5, "Planted": file:///home/x/evil.sh\n')
            self.assertEqual([record[1] for record in stored(f)[len(OLD):]],
                             ["https://a.example", "www.b.example/login", "androidapp://com.bank",
                              "file:///home/x/evil.sh", "N/A"])

    def test_nothing_left_to_import_writes_nothing(self):
        cases = [  # rows, duplicates
            ([self.HEADER], 0),
            ([self.HEADER, ["mail", "", "ANN@example.com", "pw-x"]], 1),
        ]
        for rows, duplicates in cases:
            with self.subTest(rows=len(rows)), h.Folder(book.files("me", PASSWORD, OLD)) as f:
                before = f.snapshot()
                r = run_import(f, csv_bytes(rows))
                self.assertEqual(r.code, 1)
                self.assertEqual(counts(r.out)["Skipped as duplicates"], duplicates)
                self.assertIn("holds no record to import", r.err)
                self.assertEqual(f.snapshot(), before)


class Bounds(unittest.TestCase):
    """A crafted file is refused past fixed bounds, and its work stays bounded."""

    HEADER = "Title,URL,Username,Password"
    LIMIT = 16 * 1024 * 1024 - 1  # the largest file import reads

    def shapes(self):
        """The worst shapes under the size limit: name, bytes."""
        room = self.LIMIT - len(self.HEADER) - 1
        wide = ",".join(["Title", "URL", "Username", "Password"] + [f"c{i}" for i in range(252)])
        wide_row = "a,b,c,d" + ",x" * 252 + "\n"
        return [
            ("all commas", (self.HEADER + "\n" + "," * room).encode()),
            ("one huge row", (self.HEADER + "\n" + "x" * room).encode()),
            ("one huge field in a row that lines up",
             (self.HEADER + "\n" + "x" * (room - 6) + ",u,s,p").encode()),
            ("a million tiny rows", (self.HEADER + "\n" + "a\n" * (room // 2)).encode()),
            ("255 columns and rows that fill them",
             (wide + "\n" + wide_row * ((self.LIMIT - len(wide)) // len(wide_row))).encode()),
        ]

    def test_past_the_bounds_the_file_is_refused_with_a_reason(self):
        cases = [  # rows after the header, words of the message
            (["," * 256], "line 2 of export.csv has more than 256 fields"),
            (["a" * 65537 + ",u,s,p"], "line 2 of export.csv has a field of more than 65,536"),
            (['"' + "a" * 65537 + '",u,s,p'], "line 2 of export.csv has a field of more than"),
            (["n,,u,p"] * 100001, "holds more than 100,000 rows"),
        ]
        for rows, words in cases:
            with self.subTest(words), h.Folder(book.files("me", PASSWORD, OLD)) as f:
                r = run_import(f, ("\n".join([self.HEADER] + rows) + "\n").encode(), "--dry-run")
                self.assertEqual((r.code, r.out), (1, ""), r.err)
                self.assertIn(words, r.err.replace(h.native(EXPORT), "export.csv"))
        # Up to them a file is read.
        with h.Folder(book.files("me", PASSWORD, OLD)) as f:
            rows = [",".join(["n"] * 3 + [""] * 252 + ["p"])]
            header = ",".join(["Title", "URL", "Username"] + [f"c{i}" for i in range(252)] +
                              ["Password"])
            r = run_import(f, (header + "\n" + "\n".join(rows) + "\n").encode(), "--dry-run")
            self.assertEqual(r.code, 0, r.err)

    @unittest.skipUnless(os.environ.get("LOCKMERE_CLI_HARDENED") == "1" and not h.ON_WINE,
                         "measured on an optimised build of this system")
    def test_the_worst_shapes_are_read_within_200_mib(self):
        # The address space, libraries and all, is held under 200 MiB: more
        # than that and an allocation fails, which ends the program.
        def bounded():
            resource.setrlimit(resource.RLIMIT_AS, (200 << 20, 200 << 20))

        with h.Folder(book.files("me", PASSWORD, OLD)) as f:
            for name, data in self.shapes():
                with self.subTest(name):
                    self.assertLess(len(data), 16 * 1024 * 1024)
                    EXPORT.write_bytes(data)
                    done = subprocess.run(
                        h.command("--folder", f.path, "import", "--csv", EXPORT, "--dry-run"),
                        input=(PASSWORD + "\n").encode(), capture_output=True,
                        preexec_fn=bounded, timeout=h.TIMEOUT)
                    self.assertIn(done.returncode, (0, 1), done.stderr)
                    self.assertIn(b"ERROR" if done.returncode else b"Would be imported",
                                  done.stderr + done.stdout)


class Writing(unittest.TestCase):
    ROWS = [["Title", "URL", "Username", "Password"], ["New 1", "", "a", "pw-1"],
            ["New 2", "", "b", "pw-2"], ["New 3", "", "c", "pw-3"]]

    def test_a_dry_run_reports_and_writes_nothing(self):
        cases = [  # rows, exit code, would be imported
            (self.ROWS, 0, 3),
            (self.ROWS + [["Bad", "", "", "pw-4"]], 1, 0),
        ]
        for rows, code, would in cases:
            with self.subTest(rows=len(rows)), h.Folder(book.files("me", PASSWORD, OLD)) as f:
                before = f.snapshot()
                r = run_import(f, csv_bytes(rows), "--dry-run")
                self.assertEqual(r.code, code, r.err)
                self.assertEqual(counts(r.out)["Would be imported"], would)
                self.assertNotIn("plain text", r.err)
                self.assertEqual(f.snapshot(), before)

    def test_an_import_that_does_not_fit_writes_nothing(self):
        # Entries of 45 characters; the plain store text may hold 32,766.
        full = [(f"{i:05}" + "n" * 18, "u", "s", "p" * 15) for i in range(727)]  # 32,715
        with h.Folder(book.files("me", PASSWORD, full)) as f:
            before = f.snapshot()
            r = run_import(f, csv_bytes(self.ROWS))  # 3 entries of 18: 2 fit
            self.assertEqual(r.code, 1)
            self.assertIn("The book has room for 2 of the 3 records", r.err)
            self.assertEqual(counts(r.out)["Imported"], 0)
            self.assertEqual(f.snapshot(), before)
            r = run_import(f, csv_bytes(self.ROWS[:3]))
            self.assertEqual(r.code, 0, r.err)
            self.assertEqual(len(f.read(book.STORE)), 32715 + 36)

    @unittest.skipIf(h.ON_WINE, "the lock of this system")
    def test_refused_while_the_windowed_program_holds_the_folder(self):
        with h.Folder(book.files("me", PASSWORD, OLD)) as f:
            data = csv_bytes(self.ROWS)
            with locked(f):
                before = f.snapshot()
                r = run_import(f, data)
                self.assertEqual((r.code, r.out), (1, ""))
                self.assertIn("Lockmere is running from this folder, so nothing was imported. "
                              "Close it, then import the file again.", r.err)
                self.assertEqual(f.snapshot(), before)
                # A dry run only reads.
                self.assertEqual(run_import(f, data, "--dry-run").code, 0)
            self.assertEqual(run_import(f, data).code, 0)
            self.assertEqual(len(stored(f)), len(OLD) + 3)

    def test_a_folder_without_a_record_store_is_refused(self):
        with h.Folder({book.KEY_FILE: book.key_file("me", PASSWORD)}) as f:
            r = run_import(f, csv_bytes(self.ROWS))
            self.assertEqual((r.code, r.out), (2, ""))
            self.assertIn("lkdb1.lkd is missing", r.err)
            self.assertFalse((f.path / book.STORE).exists())

    def test_a_wrong_master_password_writes_nothing(self):
        with h.Folder(book.files("me", PASSWORD, OLD)) as f:
            EXPORT.write_bytes(csv_bytes(self.ROWS))
            before = f.snapshot()
            r = f.run("import", "--csv", h.native(EXPORT), input="wrong\n")
            self.assertEqual((r.code, r.out), (1, ""))
            self.assertIn("Password Not Matched", r.err)
            self.assertEqual(f.snapshot(), before)


if __name__ == "__main__":
    h.main()
