"""No secret outlives its use: the real program's writable memory, read
after each moment a secret's use ends, holds no copy of it. The master
password, a wrongly typed one and every record's user name and password
are markers found nowhere else, each searched in Windows-1252, UTF-8,
UTF-16 and UTF-32 (lockmere_testing.memory).

- Logged in with the list shown, the records' markers are found (the
  control: the scan sees what the program holds).
- After a failed login, the typed password is gone; after the add window
  is left, what was typed into its password boxes.
- After a viewer opened on a record, its password copied, the viewer
  closed and the clipboard's 30 seconds out, the record's user name and
  password are found in no more places than before the viewer opened
  (the list's own, with the line chosen: the list's delegate keeps the
  line it drew last).
- After the logout, and after a lock (on private buses, as lock_test.py),
  no marker is found at all.

Reading another process's memory takes root; elsewhere the test is
skipped."""

import sys
import time

import buses
from lockmere_testing import book, harness, memory
from lockmere_testing.memory import FIRST, MASTER, SECOND, WRONG

SKIPPED = 77  # CTest's SKIP_RETURN_CODE for this test

TYPED = "Tq3Rw8Zd"  # into the add window's password boxes, then left
SECRETS = [MASTER, WRONG, TYPED, FIRST[2], FIRST[3], SECOND[2], SECOND[3]]
BOX = "LKMR - Message Center"
ADD = "Password Data Entry Form"


def scan(s, moment):
    counts = memory.copies(s.program.pid, SECRETS)
    print(f"{moment}: {memory.total(counts)}")
    return counts


def settled():
    """The event loop is back and has cleared what it clears afterwards."""
    time.sleep(1)


def none_left(s, moment):
    left = memory.left(scan(s, moment))
    assert not left, f"after {moment}: {left}"


def log_in(s, main):
    s.enter_password(main, MASTER)
    s.wait_for(lambda: s.geometry(main).height == harness.inside_height(4875), "the list")


if not memory.can_read_others():
    print("skipped: reading the program's memory takes root")
    sys.exit(SKIPPED)

with buses.Buses() as b:
    services = b.services("answer")
    with harness.Session(book.files("owner", MASTER, [FIRST, SECOND]),
                         environment=b.environment(XDG_SESSION_ID="c1")) as s:
        main = s.wait_window(" Lockmere")

        with s.step("a failed login"):
            s.enter_password(main, WRONG)
            answer = s.wait_window(BOX)
            judged = memory.total(scan(s, "the failed login's box up"))
            assert judged[WRONG] > 0, "the typed password not seen while judged"
            s.key(answer, "Return")
            s.wait_gone(BOX)
            settled()
            none_left(s, "a failed login")

        with s.step("logged in: the control"):
            log_in(s, main)
            settled()
            listed = memory.total(scan(s, "logged in"))
            for secret in SECRETS[3:]:
                assert listed[secret] > 0, f"{secret} not seen in the list: {listed}"

        with s.step("an add window left"):
            s.key(main, "alt+e", "a")
            add = s.wait_window(ADD)
            s.type_fields(add, ["Charlie", "https://c.example", "someone", TYPED, TYPED])
            assert memory.total(scan(s, "the add window typed into"))[TYPED] > 0
            s.key(add, "Escape")
            s.wait_gone(ADD)
            settled()
            assert memory.total(scan(s, "an add window left"))[TYPED] == 0

        with s.step("a viewer closed, the clipboard expired"):
            # Chosen first: the list's delegate keeps a copy of the line it
            # drew last, and this makes it Alpha's.
            s.click_px(main, *s.first_line(main))
            settled()
            listed = memory.total(scan(s, "Alpha chosen"))
            s.click_px(main, *s.first_line(main), double=True)
            viewer = s.wait_window(FIRST[0])
            s.click(viewer, 6590 + 345, 735 + 135)  # the "Copy" beside the password
            s.wait_for(lambda: s.clipboard() == FIRST[3], "the password on the clipboard")
            s.key(viewer, "Escape")
            s.wait_gone(FIRST[0])
            s.wait_for(lambda: not s.clipboard(), "the clipboard emptied", timeout=45)
            settled()
            after = memory.total(scan(s, "the viewer closed, the clipboard expired"))
            for secret in FIRST[2:]:
                assert after[secret] <= listed[secret], \
                    f"{secret}: {after[secret]} copies, {listed[secret]} before the viewer"

        with s.step("the logout"):
            s.key(main, "alt+f", "l")
            s.wait_for(lambda: not s.windows(FIRST[0]), "the viewer gone")
            settled()
            none_left(s, "the logout")

        with s.step("the lock"):
            log_in(s, main)
            s.click_px(main, *s.first_line(main), double=True)
            s.wait_window(FIRST[0])
            s.wait_for(lambda: s.clipboard() == FIRST[2], "the user name on the clipboard")
            services.command("lock c1")
            s.wait_gone(FIRST[0])
            s.wait_for(lambda: not s.clipboard(), "the clipboard emptied")
            settled()
            none_left(s, "the lock")
