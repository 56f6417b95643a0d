"""First start in an empty program folder: welcome, the stone swept until
the chain moves on, the master account, the first record, then a login with
the new password; the data files are checked on disk with book.py."""

from lockmere_testing import book, harness
import stone

USER, PASSWORD = "owner", "Stone#42"
RECORD = ("Mail", "https://mail.example.org", "me@example.org", "p4ss")

with harness.Session() as s:
    with s.step("welcome"):
        welcome = s.wait_window(" Welcome to Lockmere")
        s.click(welcome, 6030 + 1185 // 2, 4050 + 375 // 2)
        s.wait_gone(" Welcome to Lockmere")

    with s.step("scratch the stone"):
        master = stone.scratch(s)

    with s.step("master account"):
        s.type(master, USER)
        s.key(master, "Tab")
        s.type(master, PASSWORD)
        s.key(master, "Tab")
        s.type(master, PASSWORD)
        s.key(master, "Tab", "Return")
        entry = s.wait_window("Password Data Entry Form")

    with s.step("first record"):
        s.type_fields(entry, RECORD + (RECORD[3],))
        s.key(entry, "Tab", "Return")
        main = s.wait_window(" Lockmere")

    with s.step("log in with the new password"):
        s.type(main, USER)
        s.key(main, "Tab")
        s.type(main, PASSWORD)
        s.key(main, "Return")
        s.wait_for(lambda: s.geometry(main).height == harness.inside_height(4875),
                   "the logged-in height")

    with s.step("the data files on disk"):
        key_file = s.read(book.KEY_FILE)
        collected = key_file[:43]
        assert len(set(collected)) == 43 and all(31 <= c <= 96 for c in collected), collected
        length = key_file[43]
        plain = (USER + "#|^" + PASSWORD).encode("cp1252")
        assert length == len(plain), length
        assert book.decipher(key_file[44:44 + length], book.key_of(collected)) == plain
        assert len(key_file) == max(51, 44 + length)
        assert book.decode_store(s.read(book.STORE), book.key_of(collected)) == [RECORD]
