"""The book locks when the user walks away: the real program on private
buses (buses.py) with stand-ins for the desktop's services
(lock_services.py). This session's Lock, PrepareForSleep(true) and each
screen saver's ActiveChanged(true) close the viewer and the add window
(an error box of the add window stays, and answering it afterwards is
safe), empty the clipboard, log out and collapse the main window. Another
session's Lock, the presence status, ActiveChanged(false) and
ActiveChanged(true) from a connection that does not own the screen saver's
name change nothing. The sleep inhibitor is held from the start, let go at
the sleep and taken again on waking. With the main window closed and a
viewer left open, the lock closes the viewer, empties the clipboard and so
ends the program, which frees its folder (lockmere-cli adds a record)."""

import os
import subprocess
import time

import buses
from lockmere_testing import book, harness
from lockmere_testing.harness import ENTRY_YELLOW, inside_height

USER, PASSWORD = "owner", "m4ster-key"
BANK = ("Bank", "https://bank.example", "jo", "pw1")
SHOWN, COLLAPSED = inside_height(4875), inside_height(1900)
ADD = "Password Data Entry Form"
BOX = "LKMR - Message Center"
SCREEN_SAVERS = ("/org/freedesktop/ScreenSaver", "/ScreenSaver", "/org/gnome/ScreenSaver",
                 "/org/xfce/ScreenSaver")


def log_in(s, main):
    s.enter_password(main, PASSWORD)
    s.wait_for(lambda: s.geometry(main).height == SHOWN, "the logged-in height")


def open_everything(s, main):
    """Logged in, the password copied in the viewer, the list shown again."""
    log_in(s, main)
    listed = s.capture(main).regions(ENTRY_YELLOW)[0]
    s.click_px(main, (listed.left + listed.right) // 2, listed.top + 8, double=True)
    viewer = s.wait_window(BANK[0])
    s.click(viewer, 6590 + 345, 735 + 135)  # the "Copy" beside the password
    s.wait_for(lambda: s.clipboard() == BANK[3], "the password on the clipboard")
    s.display_data(main)


def open_add_window(s, main):
    s.key(main, "alt+e", "a")
    add = s.wait_window(ADD)
    s.type(add, "Half typed")
    return add


def locked(s, main):
    s.wait_gone(BANK[0])
    s.wait_gone(ADD)
    s.wait_for(lambda: s.geometry(main).height == COLLAPSED, "the collapsed main window")
    s.wait_for(lambda: not s.clipboard(), "the clipboard emptied")


with buses.Buses() as b:
    services = b.services("answer")
    with harness.Session(book.files(USER, PASSWORD, [BANK]),
                         environment=b.environment(XDG_SESSION_ID="c1")) as s:
        main = s.wait_window(" Lockmere")

        with s.step("the inhibitor is taken at the start"):
            s.wait_for(lambda: "GetSession c1" in services.state()["calls"], "the session asked for")
            s.wait_for(lambda: services.state()["held"] == 1, "the inhibitor held")
            assert services.state()["taken"] == 1, services.state()

        with s.step("signals that do not lock"):
            open_everything(s, main)
            for command in ("lock c2", "presence 3", "active /org/freedesktop/ScreenSaver 0",
                            "impostor /org/freedesktop/ScreenSaver", "impostor /ScreenSaver"):
                services.command(command)
            time.sleep(1)
            assert s.windows(BANK[0]), "the viewer closed"
            assert s.geometry(main).height == SHOWN, s.geometry(main)
            assert s.clipboard() == BANK[3], s.clipboard()

        with s.step("this session's Lock"):
            open_add_window(s, main)
            services.command("lock c1")
            locked(s, main)

        with s.step("PrepareForSleep(true), under the add window's error box"):
            open_everything(s, main)
            add = open_add_window(s, main)
            s.key(add, *["Tab"] * 5, "space")  # saves with boxes left blank: a box says so
            box = s.wait_window(BOX)
            services.command("sleep 1")
            locked(s, main)
            s.wait_for(lambda: services.state()["held"] == 0, "the inhibitor let go")
            assert s.windows(BOX) == [box], "the error box did not stay"
            s.key(box, "Return")
            s.wait_gone(BOX)

        with s.step("waking takes the inhibitor again"):
            services.command("sleep 0")
            s.wait_for(lambda: services.state()["held"] == 1, "the inhibitor held again")
            assert services.state()["taken"] == 2, services.state()

        for path in SCREEN_SAVERS:
            with s.step(f"ActiveChanged(true) at {path}"):
                open_everything(s, main)
                services.command(f"active {path} 1")
                locked(s, main)

        with s.step("the master password opens the book again"):
            log_in(s, main)

    sessions_asked = services.state()["calls"].count("GetSession c1")
    with harness.Session(book.files(USER, PASSWORD, [BANK]), window_manager=True,
                         environment=b.environment(XDG_SESSION_ID="c1")) as s:
        main = s.wait_window(" Lockmere")
        with s.step("a viewer the main window left behind"):
            s.wait_for(lambda: services.state()["calls"].count("GetSession c1") > sessions_asked,
                       "the lock signals watched")
            open_everything(s, main)
            s.key(main, "alt+F4")  # the close box, through the window manager
            s.wait_gone(" Lockmere")
            assert s.windows(BANK[0]), "the viewer closed with the main window"
            assert s.clipboard() == BANK[3], s.clipboard()

        with s.step("ActiveChanged(true) ends the program"):
            services.command("active /org/freedesktop/ScreenSaver 1")
            s.wait_gone(BANK[0])
            s.wait_for(lambda: not s.clipboard(), "the clipboard emptied")
            assert s.wait_exit() == 0

        with s.step("the folder is free"):
            added = subprocess.run(
                [os.environ["LOCKMERE_CLI"], "--folder", s.folder, "add"],
                input=f"{PASSWORD}\nMail\nhttps://mail.example\nme\npw2\npw2\n".encode(),
                capture_output=True, timeout=harness.TIMEOUT)
            assert added.returncode == 0, added
