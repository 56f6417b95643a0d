"""The viewer shows the line the user chose: opened on "Bank" by
double-click, it takes "Mail" when that line is chosen (a click on "Bank",
then Down) and Enter pressed,
in the same place (one viewer, captioned "Mail", Mail's user name on the
clipboard, Mail's password copied); Enter on "Mail" again only brings it
forward, leaving the copied password on the clipboard. Launch Browser hands
Mail's https address to the desktop's opener (a recording xdg-open first on
PATH) and refuses a record's file:// address with a message."""

import os
import tempfile

from lockmere_testing import book, harness
from lockmere_testing.harness import inside_height

USER, PASSWORD = "owner", "m4ster-key"
BANK = ("Bank", "https://bank.example", "jo", "bank-pw")
MAIL = ("Mail", "https://mail.example", "me@mail.example", "mail-pw")
PLANTED = ("Zed tool", "file:///tmp/evil.sh", "zed", "zed-pw")  # as an import may bring it
BOX = "LKMR - Message Center"
LAUNCH = (9890 + 592, 480 + 315)  # the middle of "Launch Browser", in twips
COLLAPSED = inside_height(1900)


opener = tempfile.mkdtemp(prefix="lockmere-opener-")
opened = os.path.join(opener, "opened")
with open(os.path.join(opener, "xdg-open"), "w") as script:
    script.write(f'#!/bin/sh\nprintf "%s\\n" "$*" >> "{opened}"\n')
os.chmod(os.path.join(opener, "xdg-open"), 0o755)


def addresses_opened():
    return open(opened).read().splitlines() if os.path.exists(opened) else []


with harness.Session(book.files(USER, PASSWORD, [BANK, MAIL, PLANTED]),
                     environment={"PATH": opener + os.pathsep + os.environ["PATH"]}) as s:
    main = s.wait_window(" Lockmere")
    s.log_in(main, PASSWORD)

    with s.step("Bank, opened by double-click"):
        s.click_px(main, *s.first_line(main), double=True)
        viewer = s.wait_window(BANK[0])
        s.wait_for(lambda: s.clipboard() == BANK[2], "Bank's user name on the clipboard")
        place = s.geometry(viewer)

    with s.step("Mail chosen and Enter pressed"):
        s.display_data(main)
        s.click_px(main, *s.first_line(main))
        s.key(main, "Down", "Return")
        s.wait_window(MAIL[0])
        assert s.windows(MAIL[0]) == [viewer], "not the same viewer"
        assert not s.windows(BANK[0]), "a second viewer"
        s.wait_for(lambda: s.clipboard() == MAIL[2], "Mail's user name on the clipboard")
        assert s.geometry(viewer)[:2] == place[:2], (s.geometry(viewer), place)
        s.click(viewer, 6590 + 345, 735 + 135)  # the "Copy" beside the password
        s.wait_for(lambda: s.clipboard() == MAIL[3], "Mail's password on the clipboard")

    with s.step("Mail chosen again"):
        s.display_data(main)
        s.click_px(main, *s.first_line(main))
        s.key(main, "Down", "Return")
        s.wait_for(lambda: s.geometry(main).height == COLLAPSED, "the main window collapsed")
        assert s.windows(MAIL[0]) == [viewer]
        assert s.clipboard() == MAIL[3], s.clipboard()

    with s.step("Launch Browser opens the web address"):
        s.click(viewer, *LAUNCH)
        s.wait_for(lambda: addresses_opened() == [MAIL[1]], "the address handed to xdg-open")

    with s.step("and nothing else"):
        s.display_data(main)
        s.click_px(main, *s.first_line(main))
        s.key(main, "Down", "Down", "Return")
        s.wait_window(PLANTED[0])
        s.click(viewer, *LAUNCH)
        box = s.wait_window(BOX)
        s.key(box, "Return")
        s.wait_gone(BOX)
        assert addresses_opened() == [MAIL[1]], addresses_opened()
