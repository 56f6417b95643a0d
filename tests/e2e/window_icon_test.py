"""The window icon follows the first window's first paint, and is on it, in
every size, within a second of the window being shown: the main window at a
start, the welcome window at a first start."""

import re
import time

from lockmere_testing import book, harness

SIZES = [16, 32, 48, 64, 128, 256]


def icon_sizes(s, win):
    # -len: all six sizes take about 350 KB; xprop shows 100,000 bytes by default.
    shown = s._x("xprop", "-len", "1000000", "-id", win, "_NET_WM_ICON", check=False)
    return sorted(int(w) for w, h in re.findall(r"Icon \((\d+) x (\d+)\)", shown) if w == h)


def check_icon(s, caption):
    win = s.wait_window(caption)
    shown = time.monotonic()
    sizes = s.wait_for(lambda: icon_sizes(s, win) == SIZES and SIZES, "the window icon",
                       timeout=5)
    late = time.monotonic() - shown
    assert sizes == SIZES
    assert late < 1.0, f"the icon came {late:.2f} s after the window"


with harness.Session(book.files("owner", "icon", [("Mail", "N/A", "me", "pw")])) as s:
    with s.step("main window"):
        check_icon(s, " Lockmere")

with harness.Session() as s:
    with s.step("welcome window of a first start"):
        check_icon(s, " Welcome to Lockmere")
