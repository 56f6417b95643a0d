"""Backup and restore with the real program: a book backed up into a folder,
changed, then restored from that folder shows the backed-up list again. The
backup folder holds the two copies and nothing else after each."""

import os

from lockmere_testing import book, harness
from lockmere_testing.harness import ENTRY_YELLOW, inside_height, px

PASSWORD = "s3cret pass"
BACKED_UP = [("Mail", "https://mail.example.org", "me", "m41l"),
             ("Bank", "N/A", "12345678", "pin")]
CHANGED = [("Forum", "https://forum.example.net", "nick", "f0rum")]
BACKUP_BOX = "Message Center"


def log_in(s, main):
    """Logs in and returns the pixels of the record list."""
    for box in s.capture(main).regions(ENTRY_YELLOW):
        if abs(box.left - px(4335)) <= 3:  # the password box
            s.click_px(main, (box.left + box.right) // 2, (box.top + box.bottom) // 2)
            break
    s.type(main, PASSWORD)
    s.key(main, "Return")
    s.wait_for(lambda: s.geometry(main).height == inside_height(4875), "the logged-in height")
    capture = s.capture(main)
    area = capture.regions(ENTRY_YELLOW)[0]
    return [capture.pixel(x, y) for y in range(area.top, area.bottom + 1)
            for x in range(area.left, area.right + 1)]


def copy_with_backup_window(s):
    """The folder list starts in the program folder; the backup folder lies
    beside it. Opens the parent, then its first sub-folder, then presses the
    copy button, all by keyboard, and confirms the closing message."""
    form = s.wait_window(" Backup Database")
    s.key(form, "Up", "Return", "Down", "Return", "Tab", "Return")
    s.key(s.wait_window(BACKUP_BOX), "Return")
    s.wait_gone(BACKUP_BOX)
    assert not s.windows(" Backup Database"), "the backup window stays open"


with harness.Session(book.files("owner", PASSWORD, BACKED_UP)) as s:
    main = s.wait_window(" Lockmere")
    backups = s.make_folder("Backups")  # sorts before the program folder
    original = {name: s.read(name) for name in (book.KEY_FILE, book.STORE)}

    with s.step("back up"):
        backed_up_list = log_in(s, main)
        s.key(main, "alt+f", "b")
        copy_with_backup_window(s)
        for name, data in original.items():
            with open(f"{backups}/{name}", "rb") as f:
                assert f.read() == data, f"{name} in the backup folder differs"
        assert sorted(os.listdir(backups)) == [book.KEY_FILE, book.STORE], os.listdir(backups)

    with s.step("change the book"):
        s.write(book.STORE, book.store(CHANGED, book.KEY))
        s.key(main, "alt+f", "l")
        assert log_in(s, main) != backed_up_list, "the changed book shows the same list"

    with s.step("restore"):
        s.key(main, "alt+f", "r")
        s.key(s.wait_window(BACKUP_BOX), "y")  # Yes to the warning
        copy_with_backup_window(s)
        for name, data in original.items():
            assert s.read(name) == data, f"{name} was not restored"
        assert sorted(os.listdir(backups)) == [book.KEY_FILE, book.STORE], os.listdir(backups)

    with s.step("log in to the restored book"):
        assert log_in(s, main) == backed_up_list, "the list is not the backed-up one"

print("backup and restore: the restored book shows the backed-up list")
