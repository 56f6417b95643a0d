"""A second start from the same program folder says so and ends without
writing anything, while the first copy runs on."""

import os
import subprocess

from lockmere_testing import book, harness

USER, PASSWORD = "owner", "s3cond-start"
RECORDS = [("Mail", "https://mail.example.org", "me", "m41l")]
BOX = "LKMR - Message Center"

with harness.Session(book.files(USER, PASSWORD, RECORDS)) as s:
    with s.step("first copy"):
        main = s.wait_window(" Lockmere")
        before = {name: s.read(name) for name in (book.KEY_FILE, book.STORE)}
        # What a crashed write of the running copy could have left: the
        # second start must not touch it.
        s.write("lkdb1.lkd.0123456789abcdef.tmp", b"live")
    with s.step("second copy"):
        with open(s.log, "ab") as log:
            second = subprocess.Popen([os.path.join(s.folder, "lockmere")], cwd=s.folder,
                                      env=s.env, stdin=subprocess.DEVNULL, stdout=log, stderr=log)
        try:
            box = s.wait_window(BOX)
            s.key(box, "Return")
            assert second.wait(harness.TIMEOUT) != 0
        finally:
            if second.poll() is None:
                second.kill()
                second.wait()
    with s.step("nothing written"):
        assert s.program.poll() is None, "the first copy ended"
        assert {name: s.read(name) for name in (book.KEY_FILE, book.STORE)} == before
        assert s.read("lkdb1.lkd.0123456789abcdef.tmp") == b"live"
