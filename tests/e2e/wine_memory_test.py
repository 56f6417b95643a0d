"""lockmere.exe under Wine keeps no secret once its use ends: the scan of
memory_test.py over the Wine process (a Linux process, read through
/proc/PID/mem as root, which Wine's own ReadProcessMemory would also
allow here: run as root, Wine enforces no process access rights). Logged
in, the records' markers are found (the control); after a wrong password
and after the logout, none in the encodings of the core's own buffers
(Windows-1252, UTF-8, UTF-32), which wipe themselves on every platform.
Copies in Qt's UTF-16 strings may stay: Windows, as Wine, clears no freed
block, and the scan prints them. Skipped unless run as root."""

import sys
import time

from lockmere_testing import book, memory, wine_session
from lockmere_testing.harness import px
from lockmere_testing.memory import FIRST, MASTER, SECOND, WRONG

SKIPPED = 77
SECRETS = [MASTER, WRONG, FIRST[2], FIRST[3], SECOND[2], SECOND[3]]
BOX = "LKMR - Message Center"
# The encodings of the core's buffers and of the conversions to and from
# them, all wiped; Qt's own strings (UTF-16) go back to a heap that keeps
# freed bytes until it hands the block out again.
CORE = ("cp1252", "utf-8", "utf-32-le")
LOGIN, LOGGED_IN = 4695, 4875  # window heights, twips


def scan(s, moment):
    counts = memory.copies(s.program.pid, SECRETS)
    print(f"{moment}: {memory.left(counts)}")
    return counts


def none_left(s, moment, secrets):
    """None of the secrets in the core's encodings."""
    time.sleep(1)  # the event loop back, the stack scrubbed
    left = {text: where for text, where in memory.left(scan(s, moment)).items()
            if text in secrets and set(where) & set(CORE)}
    assert not left, f"after {moment}: {left}"


if not memory.can_read_others():
    print("skipped: reading the program's memory takes root")
    sys.exit(SKIPPED)

with wine_session.WineSession(book.files("owner", MASTER, [FIRST, SECOND])) as s:
    main = s.wait_window(" Lockmere", timeout=60)
    login_height = s.steady_geometry(main).height

    with s.step("a wrong password"):
        s.enter_password(main, WRONG)
        answer = s.wait_window(BOX)
        s.key(answer, "space")
        s.wait_gone(BOX)
        none_left(s, "a wrong password", [WRONG])

    with s.step("logged in: the control"):
        s.enter_password(main, MASTER)
        logged_in = login_height + px(LOGGED_IN) - px(LOGIN)
        s.wait_for(lambda: s.geometry(main).height == logged_in, "the logged-in height")
        time.sleep(1)
        listed = memory.total(scan(s, "logged in"))
        for secret in SECRETS[2:]:
            assert listed[secret] > 0, f"{secret} not seen in the list: {listed}"

    with s.step("the logout"):
        s.key(main, "alt+f", "l")
        s.wait_for(lambda: s.geometry(main).height < logged_in, "the list folded away")
        none_left(s, "the logout", SECRETS)
