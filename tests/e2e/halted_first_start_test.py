"""A first start left halfway, under a window manager, and how it is
finished: the generator closed by its close box, then the master account;
each time the login says to start again, and the next start goes on where
the key file says. A record store already in the folder keeps its record.
Enter presses the one button of the welcome, master-account and add windows."""

from lockmere_testing import book, harness
import stone

USER, PASSWORD = "owner", "Stone#42"
RECORD = ("Mail", "https://mail.example.org", "me@example.org", "p4ss")
BOX = "LKMR - Message Center"
NO_ACCOUNT = ("No master account has been created yet. Close Lockmere and start it again "
              "to create one.")
OLD = ("Bank", "https://bank.example", "jo", "pw1")


def shown_texts(s):
    return {n["name"] for n in s.accessible() if n["showing"]}


def login_is_refused(s):
    """Logs in with some password; the message says to start again."""
    main = s.wait_window(" Lockmere")
    s.key(main, "Tab")
    s.type(main, PASSWORD)
    s.key(main, "Return")
    box = s.wait_window(BOX)
    s.wait_for(lambda: NO_ACCOUNT in shown_texts(s), "the message")
    s.key(box, "Return")
    s.wait_gone(BOX)
    s.key(main, "alt+F4")
    assert s.wait_exit() == 0


with harness.Session(window_manager=True, accessibility=True) as s:
    with s.step("generator closed by its close box"):
        welcome = s.wait_window(" Welcome to Lockmere")
        s.key(welcome, "Return")
        s.key(s.wait_window(stone.GENERATOR), "alt+F4")
        login_is_refused(s)
        assert s.read(book.KEY_FILE) == b""

    with s.step("from the beginning again, master account closed"):
        s.start()
        s.key(s.wait_window(" Welcome to Lockmere"), "Return")
        s.key(stone.scratch(s), "alt+F4")
        login_is_refused(s)
        collected = s.read(book.KEY_FILE)
        assert len(collected) == 51 and collected[43] >= 31, collected

    with s.step("the next start goes on at the master account"):
        key = book.key_of(collected)
        s.write(book.STORE, book.store([OLD], key))
        s.start()
        master = s.wait_window(" New User Creation")
        assert not s.windows(" Welcome to Lockmere")
        s.type(master, USER)
        s.key(master, "Tab")
        s.type(master, PASSWORD)
        s.key(master, "Tab")
        s.type(master, PASSWORD)
        s.key(master, "Return")
        entry = s.wait_window("Password Data Entry Form")

    with s.step("first record, saved with Enter"):
        s.type_fields(entry, RECORD + (RECORD[3],))
        s.key(entry, "Return")
        main = s.wait_window(" Lockmere")

    with s.step("the new password opens the book"):
        before = s.geometry(main).height
        s.key(main, "Tab")
        s.type(main, PASSWORD)
        s.key(main, "Return")
        s.wait_for(lambda: s.geometry(main).height == before + harness.px(4875 - 4695),
                   "the logged-in height")
        assert not s.windows(BOX)
        assert s.read(book.KEY_FILE) == book.key_file(USER, PASSWORD, collected)
        assert book.decode_store(s.read(book.STORE), key) == [OLD, RECORD]
