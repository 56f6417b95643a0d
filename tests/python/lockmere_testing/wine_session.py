"""Runs the Windows program, lockmere.exe, under Wine on Xvfb and drives it
as harness.Session drives the Linux one (see harness.py).

    from lockmere_testing import book, wine_session

    with wine_session.WineSession() as s:          # an empty program folder
        welcome = s.wait_window(" Welcome to Lockmere")
        ...
        assert s.hidden(book.KEY_FILE)

ctest runs a test as `python3 <script> <path of lockmere.exe>` with the Wine
loader in LOCKMERE_WINE. Each session has a Wine prefix of its own in its
folder and one Wine server for its whole life, killed on leaving. openbox
always runs: without a window manager a new Wine window does not get the
keyboard. The pointer moves to screen coordinates (the window's position on
the screen plus the offset), because the manager's frame lies around the
window. Fonts are Wine's substitutes: tests check positions and texts, not
pixels. `box_text(win)` reads a message box's title, text and buttons with
Ctrl+C, which a message box on Windows copies to the clipboard.

Press buttons with Space, never Return, where the press closes the window: a
button takes Return as the key goes down, the release is then lost with the
window's X window, and Wine takes the next Return anywhere for a held key's
repeat, which the program ignores. Space acts on the release. (On Windows
the release reaches the next window.)
"""

import os
import shutil
import subprocess
import time

from lockmere_testing import harness

WINE = os.environ.get("LOCKMERE_WINE", "/usr/lib/wine/wine64")
BOOT_TIMEOUT = 180.0
HIDDEN = 0x2  # FILE_ATTRIBUTE_HIDDEN


def _wineserver():
    beside = os.path.join(os.path.dirname(WINE), "wineserver64")
    return beside if os.access(beside, os.X_OK) else shutil.which("wineserver")


class _Server:
    """The session's Wine server, a helper that the session ends last but
    one (before the display): it takes every Wine process with it."""

    def __init__(self, env):
        self.env = env
        self.binary = _wineserver()
        # Stays a few seconds after its last process, so that a restart of
        # the program finds it; ends by itself when the test was killed.
        subprocess.run([self.binary, "-p10"], env=env, check=True, timeout=harness.TIMEOUT)

    def kill(self):
        subprocess.run([self.binary, "-k"], env=self.env, timeout=harness.TIMEOUT)

    def wait(self):
        subprocess.run([self.binary, "-w"], env=self.env, timeout=harness.TIMEOUT)


class WineSession(harness.Session):
    executable_name = "lockmere.exe"
    # Through the window manager: Wine takes the focus as an activation.
    focus_command = "windowactivate"
    # Slower than on Linux: Wine under load drops keys typed faster.
    typing_delay_ms = 40

    def __init__(self, files=None, executable=None, start=True):
        super().__init__(files, executable, start, window_manager=True)
        self.server = None

    def command(self):
        return [WINE, self.path(self.executable_name)]

    def start(self):
        if self.server is None:
            self._boot()
        super().start()

    def _boot(self):
        """A fresh Wine prefix, made with the display the program will use,
        so that Wine's desktop process draws on it."""
        self.env.update(WINEPREFIX=os.path.join(self.root, "wine"), WINEDEBUG="-all",
                        WINEDLLOVERRIDES="mscoree,mshtml=")  # no installer dialogs
        os.makedirs(self.env["WINEPREFIX"])
        self.server = _Server(self.env)
        self.helpers.append(self.server)
        subprocess.run([WINE, "wineboot", "--init"], env=self.env, stdin=subprocess.DEVNULL,
                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, check=True,
                       timeout=BOOT_TIMEOUT)

    # -- input at screen coordinates ------------------------------------------

    def move_px(self, win, x, y):
        g = self.geometry(win)
        self._x("xdotool", "mousemove", str(g.x + x), str(g.y + y))

    def type(self, win, text):
        # A key pressed next (Return) may overtake characters Wine has not
        # drawn yet: the window must show the last of them first.
        super().type(win, text)
        self.steady_pixels(win)

    def steady_pixels(self, win):
        """Waits until two captures a fifth of a second apart agree."""
        def steady():
            before = self.capture(win).data
            time.sleep(0.2)
            return self.capture(win).data == before
        self.wait_for(steady, "the window to be drawn")

    def steady_geometry(self, win):
        """The geometry once it holds for half a second: a shown window
        takes its final size after the frame is known."""
        def steady():
            before = self.geometry(win)
            time.sleep(0.5)
            return before if self.geometry(win) == before else None
        return self.wait_for(steady, "a steady window")

    # -- what Wine keeps --------------------------------------------------------

    def write(self, name, data):
        """A data file as the program leaves one: hidden."""
        super().write(name, data)
        os.setxattr(self.path(name), "user.DOSATTRIB", b"0x%x" % HIDDEN)

    def attributes(self, name):
        """The DOS attributes Wine keeps for a file of the program folder, in
        the user.DOSATTRIB extended attribute as a hexadecimal text ("0x2");
        Wine removes it when none is left."""
        try:
            value = os.getxattr(self.path(name), "user.DOSATTRIB")
        except OSError:
            return 0
        return int(value.split(b"\0")[0].decode(), 16)

    def hidden(self, name):
        """The hidden attribute alone."""
        return self.attributes(name) == HIDDEN

    def box_text(self, win):
        """A message box's lines as Ctrl+C copies them: title, text and the
        buttons, without the separator lines."""
        # xclip holds the clipboard first, so that an older box's text is
        # not taken for this one's.
        subprocess.run(["xclip", "-selection", "clipboard"], input=b"-", env=self.env,
                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
                       timeout=harness.TIMEOUT, check=True)
        self.key(win, "ctrl+c")

        def box_copied():
            text = self.clipboard() or ""
            return text if text.startswith("---") else None
        copied = self.wait_for(box_copied, "the message box's text on the clipboard")
        return [line.rstrip("\r") for line in copied.splitlines()
                if line.strip() and not line.startswith("---")]
