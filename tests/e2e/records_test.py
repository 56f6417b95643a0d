"""A record's life with the real program: added by typing into the add
window, opened in the viewer by a double-click (the user name, then the
password on the clipboard), edited and deleted; after each change the store
on disk is deciphered here and compared."""

from lockmere_testing import book, harness
from lockmere_testing.harness import ENTRY_YELLOW, inside_height, px

USER, PASSWORD = "owner", "m4ster-key"
BANK = ("Bank", "https://bank.example", "jo", "pw1")
ADDED = ("Aardvark Mail", "https://mail.example", "ann@mail", "S3cret pw")
EDITED = ("Aardvark Mail", "https://mail.example", "ann.b@mail", "S3cret pw")
BOX = "LKMR - Message Center"


def stored(s):
    return book.decode_store(s.read(book.STORE), book.KEY)


def first_line(s, main):
    """A point on the list's first line, the top of its light-yellow area."""
    box = s.capture(main).regions(ENTRY_YELLOW)[0]
    return (box.left + box.right) // 2, box.top + 8


def list_ink(s, main):
    """Pixels of text in the record list."""
    capture = s.capture(main)
    box = capture.regions(ENTRY_YELLOW)[0]
    return sum(capture.pixel(x, y) not in (ENTRY_YELLOW, (255, 255, 255))
               for y in range(box.top, box.bottom + 1, 2)
               for x in range(box.left, box.right + 1, 2))


def password_box(s, main):
    """Centre of the login's password box."""
    for box in s.capture(main).regions(ENTRY_YELLOW):
        if abs(box.left - px(4335)) <= 3:
            return (box.left + box.right) // 2, (box.top + box.bottom) // 2
    raise AssertionError("no password box")


def answer(s, keys="Return"):
    box = s.wait_window(BOX)
    s.key(box, keys)
    s.wait_for(lambda: box not in s.windows(BOX), "the message to close")


with harness.Session(book.files(USER, PASSWORD, [BANK])) as s:
    main = s.wait_window(" Lockmere")

    with s.step("log in"):
        s.log_in(main, PASSWORD)

    with s.step("add"):
        s.key(main, "alt+e", "a")
        entry = s.wait_window("Password Data Entry Form")
        # the spaces are trimmed
        s.type_fields(entry, [" " + text + " " for text in ADDED + (ADDED[3],)])
        s.key(entry, "Tab", "space")  # "Save Password Data"
        s.wait_gone("Password Data Entry Form")
        assert stored(s) == [BANK, ADDED], stored(s)

    with s.step("open in the viewer"):
        s.click_px(main, *first_line(s, main), double=True)
        viewer = s.wait_window(ADDED[0])
        assert s.geometry(viewer)[:2] == (0, 0), s.geometry(viewer)
        s.wait_for(lambda: s.geometry(main).height == inside_height(1900), "the collapsed main window")
        s.wait_for(lambda: s.clipboard() == ADDED[2], "the user name on the clipboard")

    with s.step("copy the password"):
        s.click(viewer, 6590 + 345, 735 + 135)  # the "Copy" beside the password
        s.wait_for(lambda: s.clipboard() == ADDED[3], "the password on the clipboard")

    with s.step("edit"):
        s.key(main, "alt+e", "e")
        edit = s.wait_window("Password Data Edit Form")
        s.key(edit, "Tab", "Tab", "ctrl+a")  # the user name box
        s.type(edit, EDITED[2])
        s.key(edit, "Tab", "Tab", "Tab", "space")
        answer(s)  # the save's confirmation
        s.wait_gone("Password Data Edit Form")
        assert stored(s) == [EDITED, BANK], stored(s)

    with s.step("log in again"):
        # A saved edit locks delete and edit until the next login.
        s.key(main, "alt+f", "l")
        s.wait_for(lambda: s.geometry(main).height == inside_height(4875), "the logged-out list area")
        s.click_px(main, *password_box(s, main))
        s.type(main, PASSWORD)
        s.key(main, "Return")
        s.wait_for(lambda: list_ink(s, main) > 50, "the reloaded list")

    with s.step("delete"):
        s.click_px(main, *first_line(s, main))
        s.key(main, "alt+e", "d")
        answer(s, "alt+y")  # Yes, delete it (the question defaults to No)
        answer(s)  # the save's confirmation
        assert stored(s) == [BANK], stored(s)

print("records: added, viewed, copied, edited and deleted, the store checked after each")
