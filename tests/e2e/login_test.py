"""Logging in to a set-up book with the real program: a wrong password is
refused with a message, the right one opens the record list."""

from lockmere_testing import book, harness
from lockmere_testing.harness import ENTRY_YELLOW, SCREEN, inside_height, inside_width, px

USER, PASSWORD = "owner", "Tr0ub4dor&3"
RECORDS = [
    ("Mail", "https://mail.example.org", "me@example.org", "m41l-p4ss"),
    ("bank", "N/A", "12345678", "pin#|^9"),
    ("Chess club", "https://chess.example.net", "knight", "e2e4"),
]
BOX = "LKMR - Message Center"


def list_ink(s, win):
    """Pixels that are not background inside the record list, the largest
    light-yellow area of the main window."""
    capture = s.capture(win)
    box = capture.regions(ENTRY_YELLOW)[0]
    return sum(capture.pixel(x, y) != ENTRY_YELLOW
               for y in range(box.top, box.bottom + 1)
               for x in range(box.left, box.right + 1))


def password_box(s, win):
    """Centre of the password box: the light-yellow area at its left edge."""
    for box in s.capture(win).regions(ENTRY_YELLOW):
        if abs(box.left - px(4335)) <= 3:
            return (box.left + box.right) // 2, (box.top + box.bottom) // 2
    raise AssertionError("no password box")


with harness.Session(book.files(USER, PASSWORD, RECORDS)) as s:
    with s.step("start"):
        main = s.wait_window(" Lockmere")
        g = s.geometry(main)
        assert (g.width, g.height) == (inside_width(7440), inside_height(4695)), g
        # Centred by the outer size.
        assert abs(g.x - (SCREEN[0] - px(7440)) // 2) <= 1, g
        assert abs(g.y - (SCREEN[1] - px(4695)) // 2) <= 1, g
        empty_list = list_ink(s, main)

    with s.step("wrong password"):
        s.type(main, USER)
        s.key(main, "Tab")
        s.type(main, PASSWORD.swapcase())
        s.key(main, "Return")
        box = s.wait_window(BOX)
        s.key(box, "Return")
        s.wait_gone(BOX)
        assert s.geometry(main).height == inside_height(4695)
        assert list_ink(s, main) == empty_list

    with s.step("right password"):
        s.click_px(main, *password_box(s, main))
        s.type(main, "  " + PASSWORD + " ")
        s.key(main, "Return")
        s.wait_for(lambda: s.geometry(main).height == inside_height(4875), "the logged-in height")
        assert not s.windows(BOX)
        assert list_ink(s, main) > empty_list + 100, "the list shows no records"
        assert s.geometry(main).width == inside_width(7440)

print("login: wrong password refused, right password opens the list")
