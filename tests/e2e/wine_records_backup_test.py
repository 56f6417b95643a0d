"""lockmere.exe under Wine with a set-up book: a record added, edited and
deleted, the book backed up into a folder, changed, and restored from it.
The store is read here after each change and the backup's files compared
byte for byte; the program folder's data files must carry the hidden
attribute alone after every write and copy. Message boxes are read with
Ctrl+C."""

from lockmere_testing import book, wine_session
from lockmere_testing.harness import ENTRY_YELLOW, px

USER, PASSWORD = "owner", "m4ster-key"
BANK = ("Bank", "https://bank.example", "jo", "pw1")
ADDED = ("Aardvark Mail", "https://mail.example", "ann@mail", "S3cret pw")
EDITED = ("Aardvark Mail", "https://mail.example", "ann.b@mail", "S3cret pw")
CHANGED = [("Forum", "https://forum.example.net", "nick", "f0rum")]
BOX, BACKUP_BOX = "LKMR - Message Center", "Message Center"
SAVED = ["The database has been saved!", "It is now OK to add a new entry into", "the database!"]
LOGIN, LOGGED_IN = 4695, 4875  # window heights, twips


def stored(s):
    return book.decode_store(s.read(book.STORE), book.KEY)


def both_hidden(s):
    for name in (book.KEY_FILE, book.STORE):
        assert s.hidden(name), f"{name}: attributes {s.attributes(name):#x}"


def first_line(s, main):
    """A point on the list's first line, the top of its light-yellow area."""
    box = s.capture(main).regions(ENTRY_YELLOW)[0]
    return (box.left + box.right) // 2, box.top + 8


def answer(s, title, lines, keys="space"):
    """Checks the text of the message box, then answers it (with Space, see
    wine_session)."""
    box = s.wait_window(title)
    shown = s.box_text(box)
    assert shown[0] == title and shown[1:1 + len(lines)] == lines, shown
    s.key(box, keys)
    s.wait_for(lambda: box not in s.windows(title), f"'{title}' to close")


def list_pixels(s, main):
    capture = s.capture(main)
    area = capture.regions(ENTRY_YELLOW)[0]
    return [capture.pixel(x, y) for y in range(area.top, area.bottom + 1)
            for x in range(area.left, area.right + 1)]


def ink(pixels):
    return sum(p not in (ENTRY_YELLOW, (255, 255, 255)) for p in pixels)


def settled_list(s, main, filled):
    """The record list's pixels once two captures agree and it shows lines
    (filled) or none."""
    def settled():
        before, after = list_pixels(s, main), list_pixels(s, main)
        return before == after and (ink(after) > 50) == filled and after
    return s.wait_for(settled, "the record list " + ("filled" if filled else "emptied"))


def log_in(s, main, login_height):
    """Logs in from the login strip and gives the pixels of the record list."""
    for box in s.capture(main).regions(ENTRY_YELLOW):
        if abs(box.left - px(4335)) <= 3:  # the password box
            s.click_px(main, (box.left + box.right) // 2, (box.top + box.bottom) // 2)
            break
    else:
        raise AssertionError("no password box")
    s.type(main, PASSWORD)
    s.key(main, "Return")
    s.wait_for(lambda: s.geometry(main).height == login_height + px(LOGGED_IN) - px(LOGIN),
               "the logged-in height")
    return settled_list(s, main, filled=True)


def log_out(s, main):
    s.key(main, "alt+f", "l")
    settled_list(s, main, filled=False)


def copy_with_backup_window(s, done):
    """The folder list starts in the program folder; the backup folder lies
    beside it. Opens the parent, then its first sub-folder, then presses the
    copy button, all by keyboard, and checks the closing message."""
    form = s.wait_window(" Backup Database")
    s.key(form, "Up", "Return", "Down", "Return", "Tab", "space")
    answer(s, BACKUP_BOX, [done])
    assert not s.windows(" Backup Database"), "the backup window stays open"


with wine_session.WineSession(book.files(USER, PASSWORD, [BANK])) as s:
    backups = s.make_folder("Backups")  # sorts before the program folder
    main = s.wait_window(" Lockmere", timeout=60)  # Wine's first start
    login_height = s.steady_geometry(main).height

    with s.step("log in"):
        log_in(s, main, login_height)

    with s.step("add"):
        s.key(main, "alt+e", "a")
        entry = s.wait_window("Password Data Entry Form")
        s.type_fields(entry, [" " + text + " " for text in ADDED + (ADDED[3],)])  # trimmed
        s.key(entry, "Tab", "space")  # "Save Password Data"
        s.wait_gone("Password Data Entry Form")
        assert stored(s) == [BANK, ADDED], stored(s)
        both_hidden(s)

    with s.step("edit"):
        s.click_px(main, *first_line(s, main))
        s.key(main, "alt+e", "e")
        edit = s.wait_window("Password Data Edit Form")
        s.key(edit, "Tab", "Tab", "ctrl+a")  # the user name box
        s.type(edit, EDITED[2])
        s.key(edit, "Tab", "Tab", "Tab", "space")
        answer(s, BOX, SAVED)
        s.wait_gone("Password Data Edit Form")
        assert stored(s) == [EDITED, BANK], stored(s)
        both_hidden(s)

    with s.step("delete"):
        # A saved edit locks delete and edit until the next login.
        log_out(s, main)
        log_in(s, main, login_height)
        s.click_px(main, *first_line(s, main))
        s.key(main, "alt+e", "d")
        answer(s, BOX, ["WARNING: You have selected a record for deletion!",
                        "Do you really want to DELETE this record?"], "alt+y")
        answer(s, BOX, SAVED)
        assert stored(s) == [BANK], stored(s)
        both_hidden(s)

    with s.step("back up"):
        original = {name: s.read(name) for name in (book.KEY_FILE, book.STORE)}
        log_out(s, main)
        backed_up_list = log_in(s, main, login_height)
        s.key(main, "alt+f", "b")
        copy_with_backup_window(s, "Backup Complete!")
        for name, data in original.items():
            with open(f"{backups}/{name}", "rb") as f:
                assert f.read() == data, f"{name} in the backup folder differs"
        both_hidden(s)

    with s.step("change the book"):
        s.write(book.STORE, book.store(CHANGED, book.KEY))
        log_out(s, main)
        assert log_in(s, main, login_height) != backed_up_list, "the changed book shows the same list"

    with s.step("restore"):
        s.key(main, "alt+f", "r")
        answer(s, BACKUP_BOX, ["Do you really want to restore the password database?",
                               "Restoring will overwrite existing password databases",
                               "and may result in total loss of password data!"], "alt+y")
        copy_with_backup_window(s, "Database Restore Complete!")
        for name, data in original.items():
            assert s.read(name) == data, f"{name} was not restored"
        both_hidden(s)

    with s.step("log in to the restored book"):
        assert log_in(s, main, login_height) == backed_up_list, "the list is not the backed-up one"

print("records and backup under Wine: added, edited, deleted, backed up and restored; the "
      "store and the copies checked byte for byte, the data files hidden after each write")
