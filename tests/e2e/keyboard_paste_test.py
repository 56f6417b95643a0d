"""Pastes that would not fit and the keys people expect, with the real
program: a 21-character password pasted with Ctrl+V and 41 characters pasted
into the user name with the middle button are refused whole with a message,
and the record saved afterwards holds what was typed; Escape closes the add,
edit, viewer and backup windows without saving, Enter saves in the add and
edit windows."""

import subprocess

from lockmere_testing import book, harness
from lockmere_testing.harness import ENTRY_YELLOW, inside_height

USER, PASSWORD = "owner", "m4ster-key"
BANK = ("Bank", "https://bank.example", "jo", "pw1")
ADDED = ("Aardvark Mail", "https://mail.example", "ann@mail", "typed-pw")
EDITED = ("Aardvark Mail", "https://mail.example", "ann.b@mail", "typed-pw")
BOX = "LKMR - Message Center"
ADD, EDIT = "Password Data Entry Form", "Password Data Edit Form"

# Centres of the record windows' boxes, twips.
NAME_BOX = (1470 + 4095 // 2, 240 + 375 // 2)
USER_BOX = (1470 + 4095 // 2, 1155 + 375 // 2)
PASSWORD_BOX = (1470 + 2415 // 2, 1620 + 375 // 2)


def stored(s):
    return book.decode_store(s.read(book.STORE), book.KEY)


def offer(s, selection, text):
    """Makes xclip own the clipboard or the primary selection with text."""
    subprocess.run(["xclip", "-selection", selection], input=text.encode(), env=s.env,
                   stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, timeout=harness.TIMEOUT,
                   check=True)


def refused(s, message):
    box = s.wait_window(BOX)
    s.wait_for(lambda: any(n["name"] == message and n["showing"] for n in s.accessible()),
               "the message")
    s.key(box, "Return")
    s.wait_gone(BOX)


def answer(s):
    box = s.wait_window(BOX)
    s.key(box, "Return")
    s.wait_gone(BOX)


def first_line(s, main):
    """A point on the list's first line, the top of its light-yellow area."""
    box = s.capture(main).regions(ENTRY_YELLOW)[0]
    return (box.left + box.right) // 2, box.top + 8


def type_record(s, win, record):
    s.click(win, *NAME_BOX)
    s.type_fields(win, record + (record[3],))


with harness.Session(book.files(USER, PASSWORD, [BANK]), accessibility=True) as s:
    main = s.wait_window(" Lockmere")

    with s.step("log in"):
        s.log_in(main, PASSWORD)

    with s.step("a middle-button paste past the limit"):
        s.key(main, "alt+e", "a")
        entry = s.wait_window(ADD)
        offer(s, "primary", "u" * 41)
        s.click(entry, *USER_BOX, button=2)
        refused(s, "The User Name box holds at most 40 characters; the text you pasted has 41. "
                   "Nothing was pasted.")

    with s.step("a Ctrl+V paste past the limit"):
        offer(s, "clipboard", "Tr0ub4dor&3-horse-bat")
        s.click(entry, *PASSWORD_BOX)
        s.key(entry, "ctrl+v")
        refused(s, "The Password box holds at most 15 characters; the text you pasted has 21. "
                   "Nothing was pasted.")

    with s.step("typed and saved with Enter"):
        type_record(s, entry, ADDED)
        s.key(entry, "Return")
        s.wait_gone(ADD)
        assert stored(s) == [BANK, ADDED], stored(s)

    with s.step("Escape in the add window"):
        s.key(main, "alt+e", "a")
        entry = s.wait_window(ADD)
        type_record(s, entry, ("Zebra", "N/A", "z", "zz"))
        s.key(entry, "Escape")
        s.wait_gone(ADD)
        assert not s.windows(BOX)
        assert stored(s) == [BANK, ADDED], stored(s)

    with s.step("Escape in the edit window"):
        s.click_px(main, *first_line(s, main))
        s.key(main, "alt+e", "e")
        edit = s.wait_window(EDIT)
        s.click(edit, *USER_BOX)
        s.key(edit, "ctrl+a")
        s.type(edit, EDITED[2])
        s.key(edit, "Escape")
        s.wait_gone(EDIT)
        assert not s.windows(BOX)
        assert stored(s) == [BANK, ADDED], stored(s)

    with s.step("Enter in the edit window"):
        s.key(main, "alt+e", "e")
        edit = s.wait_window(EDIT)
        s.click(edit, *USER_BOX)
        s.key(edit, "ctrl+a")
        s.type(edit, EDITED[2])
        s.key(edit, "Return")
        s.wait_gone(EDIT)
        answer(s)  # the save's confirmation
        assert stored(s) == [EDITED, BANK], stored(s)

    with s.step("Escape in the viewer"):
        s.click_px(main, *first_line(s, main), double=True)
        viewer = s.wait_window(EDITED[0])
        s.wait_for(lambda: s.geometry(main).height == inside_height(1900), "the collapsed main window")
        s.key(viewer, "Escape")
        s.wait_gone(EDITED[0])
        assert s.geometry(main).height == inside_height(1900)

    with s.step("Escape in the backup window"):
        s.key(main, "alt+f", "b")
        backup = s.wait_window(" Backup Database")
        s.key(backup, "Escape")
        s.wait_gone(" Backup Database")
        assert not s.windows(BOX)
        assert stored(s) == [EDITED, BANK], stored(s)
        assert s.program.poll() is None
