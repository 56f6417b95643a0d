"""The viewer shows the line the user chose: opened on "Bank" by
double-click, it takes "Mail" when that line is chosen (a click on "Bank",
then Down) and Enter pressed,
in the same place (one viewer, captioned "Mail", Mail's user name on the
clipboard, Mail's password copied); Enter on "Mail" again only brings it
forward, leaving the copied password on the clipboard."""

from lockmere_testing import book, harness
from lockmere_testing.harness import ENTRY_YELLOW, inside_height, px

USER, PASSWORD = "owner", "m4ster-key"
BANK = ("Bank", "https://bank.example", "jo", "bank-pw")
MAIL = ("Mail", "https://mail.example", "me@mail.example", "mail-pw")
SHOWN, COLLAPSED = inside_height(4875), inside_height(1900)


def display_data(s, main):
    """ "Display Data", level with the user ID box at the top of the inside."""
    box = [r for r in s.capture(main).regions(ENTRY_YELLOW) if abs(r.left - px(915)) <= 3][0]
    s.click_px(main, px(5775 + 600), box.top - px(480) + px(30 + 187))
    s.wait_for(lambda: s.geometry(main).height == SHOWN, "the list shown")


def first_line(s, main):
    listed = max(s.capture(main).regions(ENTRY_YELLOW), key=lambda r: r.bottom)
    return (listed.left + listed.right) // 2, listed.top + 8


with harness.Session(book.files(USER, PASSWORD, [BANK, MAIL])) as s:
    main = s.wait_window(" Lockmere")
    s.log_in(main, PASSWORD)

    with s.step("Bank, opened by double-click"):
        s.click_px(main, *first_line(s, main), double=True)
        viewer = s.wait_window(BANK[0])
        s.wait_for(lambda: s.clipboard() == BANK[2], "Bank's user name on the clipboard")
        place = s.geometry(viewer)

    with s.step("Mail chosen and Enter pressed"):
        display_data(s, main)
        s.click_px(main, *first_line(s, main))
        s.key(main, "Down", "Return")
        s.wait_window(MAIL[0])
        assert s.windows(MAIL[0]) == [viewer], "not the same viewer"
        assert not s.windows(BANK[0]), "a second viewer"
        s.wait_for(lambda: s.clipboard() == MAIL[2], "Mail's user name on the clipboard")
        assert s.geometry(viewer)[:2] == place[:2], (s.geometry(viewer), place)
        s.click(viewer, 6590 + 345, 735 + 135)  # the "Copy" beside the password
        s.wait_for(lambda: s.clipboard() == MAIL[3], "Mail's password on the clipboard")

    with s.step("Mail chosen again"):
        display_data(s, main)
        s.click_px(main, *first_line(s, main))
        s.key(main, "Down", "Return")
        s.wait_for(lambda: s.geometry(main).height == COLLAPSED, "the main window collapsed")
        assert s.windows(MAIL[0]) == [viewer]
        assert s.clipboard() == MAIL[3], s.clipboard()
