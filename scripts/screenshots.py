"""Drives the real program under Xvfb with a made-up book and saves the
windows the README shows. Usage: scripts/python scripts/screenshots.py <lockmere> <folder>"""

import os
import subprocess
import sys

from lockmere_testing import book, harness
from lockmere_testing.harness import ENTRY_YELLOW, inside_height

PASSWORD = "correct horse"
RECORDS = [
    ("Aurora Mail", "https://mail.aurora.example", "jane.doe", "w1nter-Light"),
    ("City Library", "https://library.example.org", "card 20418", "Pages&Ink7"),
    ("Harbour Bank", "https://harbourbank.example", "JDOE1984", "7Tides-at-noon"),
    ("Photo Cloud", "https://photos.example.net", "jane@aurora.example", "snap-SNAP-42"),
    ("Router", "N/A", "admin", "blue-Kettle-9"),
]
NEW_RECORD = ("Chess Club", "https://chess.example", "janed", "Kn1ght-f3")

executable, out = sys.argv[1], sys.argv[2]


def save(s, win, name):
    path = os.path.join(out, name)
    s._x("import", "-window", str(win), path)
    # Smaller files, same pixels.
    subprocess.run(["convert", path, "-strip", "-define", "png:compression-level=9", path], check=True)
    print(path)


def log_in(s):
    main = s.wait_window(" Lockmere")
    s.key(main, "Tab")
    s.type(main, PASSWORD)
    s.key(main, "Return")
    s.wait_for(lambda: s.geometry(main).height == inside_height(4875), "the logged-in height")
    return main


def restart(s):
    s.stop()
    s.start()
    return log_in(s)


with harness.Session(book.files("jane", PASSWORD, RECORDS), executable) as s:
    main = log_in(s)
    records = s.capture(main).regions(ENTRY_YELLOW)[0]
    s.click_px(main, (records.left + records.right) // 2, records.top + 8)
    s.key(main, "Down", "Down")  # the third record
    save(s, main, "main-window.png")

    s.key(main, "Return")
    viewer = s.wait_window(RECORDS[2][0])
    save(s, viewer, "viewer.png")

    main = restart(s)
    s.key(main, "alt+e", "a")
    entry = s.wait_window("Password Data Entry Form")
    for i, text in enumerate(NEW_RECORD + (NEW_RECORD[3],)):
        if i:
            s.key(entry, "Tab")
        s.type(entry, text)
    save(s, entry, "add-window.png")

    main = restart(s)
    s.key(main, "alt+f", "b")
    save(s, s.wait_window(" Backup Database"), "backup-window.png")
