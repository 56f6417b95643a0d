"""lockmere.exe under Wine, from an empty program folder: the welcome, the
stone scratched with the pointer, the master account, the first record, a
login, the record opened from the list in the viewer, its password copied
and taken off the clipboard 30 seconds later. The data files are read here
after each step that writes them, and must carry the hidden attribute alone."""

import time

import stone
from lockmere_testing import book, wine_session
from lockmere_testing.harness import ENTRY_YELLOW, FRAME, px

USER, PASSWORD = "owner", "Stone#42"
RECORD = ("Mail", "https://mail.example.org", "me@example.org", "p4ss")
# Window heights, twips: the login strip, logged in, collapsed for the viewer.
LOGIN, LOGGED_IN, COLLAPSED = 4695, 4875, 1900


def first_line(s, main):
    """A point on the list's first line, the top of its light-yellow area."""
    box = s.capture(main).regions(ENTRY_YELLOW)[0]
    return (box.left + box.right) // 2, box.top + 8


with wine_session.WineSession() as s:
    with s.step("welcome"):
        welcome = s.wait_window(" Welcome to Lockmere", timeout=60)  # Wine's first start
        s.click(welcome, 6030 + 1185 // 2, 4050 + 375 // 2)
        s.wait_gone(" Welcome to Lockmere")

    with s.step("scratch the stone"):
        master = stone.scratch(s)
        key_file = s.read(book.KEY_FILE)
        collected = key_file[:51]
        assert len(key_file) == 51 and len(set(collected)) == 51, key_file
        assert all(31 <= c <= 96 for c in collected), collected
        assert s.hidden(book.KEY_FILE), s.attributes(book.KEY_FILE)
        key = book.key_of(collected)

    with s.step("master account"):
        s.type_fields(master, [USER, PASSWORD, PASSWORD])
        s.key(master, "Tab", "space")  # the button (Space: see wine_session)
        entry = s.wait_window("Password Data Entry Form")
        assert s.read(book.KEY_FILE) == book.key_file(USER, PASSWORD, collected)
        assert s.hidden(book.KEY_FILE), s.attributes(book.KEY_FILE)

    with s.step("first record"):
        s.type_fields(entry, RECORD + (RECORD[3],))
        s.key(entry, "Tab", "space")  # the button (Space: see wine_session)
        main = s.wait_window(" Lockmere")
        assert s.read(book.STORE) == book.store([RECORD], key)
        assert s.hidden(book.STORE), s.attributes(book.STORE)
        assert s.hidden(book.KEY_FILE), s.attributes(book.KEY_FILE)

    with s.step("log in"):
        login_height = s.steady_geometry(main).height
        s.type(main, USER)
        s.key(main, "Tab")
        s.type(main, PASSWORD)
        s.key(main, "Return")
        s.wait_for(lambda: s.geometry(main).height == login_height + px(LOGGED_IN) - px(LOGIN),
                   "the logged-in height")

    with s.step("open the record from the list"):
        s.click_px(main, *first_line(s, main), double=True)
        viewer = s.wait_window(RECORD[0])
        s.wait_for(lambda: s.geometry(main).height == login_height + px(COLLAPSED) - px(LOGIN),
                   "the collapsed main window")
        s.wait_for(lambda: s.clipboard() == RECORD[2], "the user name on the clipboard")
        # At the screen's top-left corner: inside the window manager's frame
        # and at most the Windows frame the sizes were made for.
        left, _, top, _ = s.frame(viewer)
        g = s.geometry(viewer)
        assert 0 <= g.x - left <= FRAME[0] and 0 <= g.y - top <= FRAME[1], (g, s.frame(viewer))

    with s.step("the copied password leaves the clipboard"):
        s.click(viewer, 6590 + 345, 735 + 135)  # the "Copy" beside the password
        s.wait_for(lambda: s.clipboard() == RECORD[3], "the password on the clipboard")
        copied = time.monotonic()
        time.sleep(max(0.0, copied + 27 - time.monotonic()))
        assert s.clipboard() == RECORD[3], "emptied too early"
        s.wait_for(lambda: not s.clipboard(), "the clipboard to be emptied", timeout=8)

    with s.step("the data files at the end"):
        assert s.read(book.KEY_FILE) == book.key_file(USER, PASSWORD, collected)
        assert s.read(book.STORE) == book.store([RECORD], key)

print("first start under Wine: stone, master account, first record, login, viewer and "
      "clipboard; the data files checked and hidden after each write")
