"""The main window as the user sees it, without and with a window manager.
Collapsed, no pixel of the record list or its heading lies inside the window
and neither is offered to accessibility tools; expanded, the whole list is
inside again. With the window manager the line is opened in the viewer,
whose copied password leaves the clipboard 30 seconds later and never
reaches the primary selection."""

import os
import subprocess
import time

from lockmere_testing import book, harness
from lockmere_testing.harness import ENTRY_YELLOW, FRAME, px

USER, PASSWORD = "owner", "m4ster-key"
RECORD = ("Bank", "https://bank.example", "jo", "pw-of-jo")
LIST_AREA = "Account Name or Service"  # the heading and the list that it names
SHOTS = os.environ.get("LOCKMERE_SHOTS")  # a folder for pictures of both states


def overlaps(a, b):
    ax, ay, aw, ah = a
    bx, by, bw, bh = b
    return ax < bx + bw and bx < ax + aw and ay < by + bh and by < ay + ah


def inside(a, b):
    ax, ay, aw, ah = a
    bx, by, bw, bh = b
    return bx <= ax and by <= ay and ax + aw <= bx + bw and ay + ah <= by + bh


def rect(s, win):
    g = s.geometry(win)
    return (g.x, g.y, g.width, g.height)


def inner_size(s, win, width_twips, height_twips):
    left, right, top, bottom = s.frame(win)
    return (px(width_twips) - max(FRAME[0], left + right),
            px(height_twips) - max(FRAME[1], top + bottom))


def named(s, name):
    return [n for n in s.accessible() if n["name"] == name and n["showing"]]


def press(s, win, name):
    """Clicks the button with this accessible name where the screen shows it."""
    button = s.wait_for(lambda: named(s, name), f"the button '{name}'")[0]
    x, y, w, h = button["box"]
    g = s.geometry(win)
    s.click_px(win, x - g.x + w // 2, y - g.y + h // 2)


def shoot(s, name):
    if SHOTS:
        os.makedirs(SHOTS, exist_ok=True)
        s.screenshot(os.path.join(SHOTS, name + ".png"))


def primary_selection(s):
    done = subprocess.run(["xclip", "-selection", "primary", "-o"], env=s.env,
                          capture_output=True, timeout=harness.TIMEOUT)
    return done.stdout.decode() if done.returncode == 0 else None


def run(window_manager):
    where = "openbox" if window_manager else "no-wm"
    with harness.Session(book.files(USER, PASSWORD, [RECORD]), window_manager=window_manager,
                         accessibility=True) as s:
        main = s.wait_window(" Lockmere")

        with s.step(f"log in ({where})"):
            s.key(main, "Tab")
            s.type(main, PASSWORD)
            s.key(main, "Return")
            shown = inner_size(s, main, 7440, 4875)
            s.wait_for(lambda: s.geometry(main)[2:] == shown, f"the inside {shown}")

        with s.step(f"expanded ({where})"):
            area = s.wait_for(lambda: len(named(s, LIST_AREA)) == 2 and named(s, LIST_AREA),
                              "the heading and the list")
            window = rect(s, main)
            for node in area:
                assert inside(node["box"], window), (node, window)
            shoot(s, f"main-expanded-{where}")

        with s.step(f"collapsed ({where})"):
            if window_manager:
                listed = [n for n in area if n["role"] != "label"][0]
                s.click_px(main, listed["box"][0] - window[0] + 40,
                           listed["box"][1] - window[1] + 8, double=True)
                viewer = s.wait_window(RECORD[0])
            else:
                press(s, main, "Hide Data")
            collapsed = inner_size(s, main, 7440, 1900)
            s.wait_for(lambda: s.geometry(main)[2:] == collapsed, f"the inside {collapsed}")
            s.wait_for(lambda: not named(s, LIST_AREA), "the list area to leave the tree")
            window = rect(s, main)
            for node in area:
                assert not overlaps(node["box"], window), (node, window)
            # Only the two login boxes are light yellow now.
            yellow = [b for b in s.capture(main).regions(ENTRY_YELLOW)
                      if (b.right - b.left + 1) * (b.bottom - b.top + 1) > 50]
            assert len(yellow) == 2, yellow
            shoot(s, f"main-collapsed-{where}")

        if window_manager:
            with s.step("the password leaves the clipboard"):
                press(s, viewer, "Copy Password")
                s.wait_for(lambda: s.clipboard() == RECORD[3], "the password on the clipboard")
                copied = time.monotonic()
                assert primary_selection(s) != RECORD[3]
                time.sleep(max(0.0, copied + 27 - time.monotonic()))
                assert s.clipboard() == RECORD[3], "emptied too early"
                s.wait_for(lambda: not s.clipboard(), "the clipboard to be emptied", timeout=8)

        with s.step(f"expanded again ({where})"):
            press(s, main, "Display Data")
            s.wait_for(lambda: s.geometry(main)[2:] == shown, f"the inside {shown}")
            area = s.wait_for(lambda: len(named(s, LIST_AREA)) == 2 and named(s, LIST_AREA),
                              "the heading and the list")
            window = rect(s, main)
            for node in area:
                assert inside(node["box"], window), (node, window)


run(window_manager=False)
run(window_manager=True)
print("main window: the list area hidden when collapsed and whole when shown, with and "
      "without a window manager; the clipboard emptied after 30 s")
