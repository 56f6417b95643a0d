"""How the real program finds its session for the login manager's Lock,
one start per way: GetSession($XDG_SESSION_ID), else GetSessionByPID(its
own pid), else the session "auto". And a program with services that never
answer, or with no bus at all, starts and works as always, silently."""

import time

import buses
from lockmere_testing import book, harness
from lockmere_testing.harness import inside_height

USER, PASSWORD = "owner", "m4ster-key"
BANK = ("Bank", "https://bank.example", "jo", "pw1")
START, COLLAPSED = inside_height(4695), inside_height(1900)
BY_PID = "GetSessionByPID own pid"

# name, $XDG_SESSION_ID, what the login manager answers, the look-ups
# expected, the session whose Lock locks
FINDING = [
    ("by the session id", "c1", "answer", ["GetSession c1"], "c1"),
    ("by the process, without a session id", None, "answer", [BY_PID], "c1"),
    ("by the process, the session id unknown", "c1", "by-pid", ["GetSession c1", BY_PID], "c1"),
    ("auto, when neither look-up answers", "c1", "none", ["GetSession c1", BY_PID], "auto"),
]


def lookups(services):
    return [c for c in services.state()["calls"] if c.startswith("GetSession")]


def lock_until_collapsed(s, services, command, main):
    """The program watches the session once it has the look-up's answer:
    the signal is sent again until the window answers it."""
    deadline = time.monotonic() + harness.TIMEOUT
    while s.geometry(main).height != COLLAPSED:
        if time.monotonic() > deadline:
            raise harness.Failure(f"'{command}' did not lock the book")
        services.command(command)
        time.sleep(0.25)


def starts_and_logs_in(s):
    main = s.wait_window(" Lockmere")
    s.log_in(main, PASSWORD)
    return main


files = book.files(USER, PASSWORD, [BANK])

for name, session_id, lookup, expected, session in FINDING:
    with buses.Buses() as b:
        services = b.services(lookup)
        more = {"XDG_SESSION_ID": session_id} if session_id else {}
        with harness.Session(files, environment=b.environment(**more)) as s:
            main = s.wait_window(" Lockmere")
            with s.step(name):
                s.wait_for(lambda: lookups(services) == expected, f"the look-ups {expected}")
                assert s.geometry(main).height == START, s.geometry(main)
                lock_until_collapsed(s, services, f"lock {session}", main)

with buses.Buses() as b:
    services = b.services("silent")
    with harness.Session(files, environment=b.environment(XDG_SESSION_ID="c1")) as s:
        with s.step("a login manager that never answers"):
            s.wait_for(lambda: "GetSession c1" in services.state()["calls"], "the look-up")
            main = starts_and_logs_in(s)
            # The screen savers still lock the book.
            services.command("active /org/freedesktop/ScreenSaver 1")
            s.wait_for(lambda: s.geometry(main).height == COLLAPSED, "the collapsed main window")
        with open(s.log, "rb") as log:
            assert log.read() == b"", "the program wrote to its output"

with harness.Session(files) as s:
    with s.step("no bus at all"):
        starts_and_logs_in(s)
    with open(s.log, "rb") as log:
        assert log.read() == b"", "the program wrote to its output"
