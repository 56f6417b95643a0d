"""Runs the real lockmere executable under Xvfb and drives it as a user would.

A test is a plain script, registered in CMakeLists.txt with
`lockmere_e2e_test(<name> <script>)`; ctest runs it as
`python3 <script> <path of lockmere>` in the build's tests/e2e folder
(`ctest --test-dir build -L e2e --output-on-failure`).

    from lockmere_testing import book, harness

    with harness.Session(book.files("me", "secret", [records...])) as s:
        main = s.wait_window(" Lockmere")           # exact caption
        with s.step("log in"):
            s.log_in(main, "secret")
        assert book.decode_store(s.read(book.STORE), book.KEY) == [...]

Session starts Xvfb (its own display), copies the executable into a fresh
program folder `s.folder` with the given data files (none: a first start)
and starts it there; `s.stop()` / `s.start()` restart it in the same folder,
`s.wait_exit()` waits for it to end by itself (a program that ended with a
non-zero code fails the test), `s.make_folder(name)` gives a
scratch folder beside it. `Session(window_manager=True)` runs openbox on the
display; `Session(accessibility=True)` gives the program a session bus of its
own, over which `s.accessible()` reads its accessibility tree. The program
reaches no bus otherwise: `Session(environment={...})` adds to its
environment, such as the addresses of the private buses of buses.py.
Menus: `s.key(main, "alt+f", "s")`. On leaving, the
program and Xvfb are killed and the folder removed. A failing step (or the
whole block) saves a screenshot <script>-<step>.png in the working folder and
prints the program's output.

Keys and text go to the window named: it is focused first (without a
window manager nothing else moves the focus back after a box closes).
Positions are twips relative to the window's top-left corner (a menu bar
counts as part of the window); `capture(win).regions(rgb)` finds controls
by colour when a position below a menu bar is needed.
"""

import contextlib
import ctypes
import os
import re
import select
import shutil
import signal
import subprocess
import sys
import tempfile
import time
from collections import namedtuple

TWIPS_PER_PIXEL = 15
SCREEN = (1280, 1024)
ENTRY_YELLOW = (255, 255, 192)
TIMEOUT = 10.0

Geometry = namedtuple("Geometry", "x y width height")
Box = namedtuple("Box", "left top right bottom")  # pixels, right and bottom inclusive


def px(twips):
    return round(twips / TWIPS_PER_PIXEL)


# Window sizes are outer sizes made for a frame of a 23-pixel caption and
# 4-pixel borders; without a window manager (as here) the inside is that
# much smaller.
FRAME = (8, 31)  # across, down


def inside_width(twips):
    return px(twips) - FRAME[0]


def inside_height(twips):
    return px(twips) - FRAME[1]


class Failure(AssertionError):
    pass


def die_with_parent():
    # Children must not outlive a test that ctest kills on its timeout.
    ctypes.CDLL(None, use_errno=True).prctl(1, signal.SIGKILL)  # PR_SET_PDEATHSIG


def _regex(name):
    return "^" + re.sub(r"([][.*+?(){}|^$\\])", r"\\\1", name) + "$"


class Display:
    """An Xvfb server on the first free display number."""

    def __init__(self, size=SCREEN):
        read_end, write_end = os.pipe()
        self.process = subprocess.Popen(
            ["Xvfb", "-displayfd", str(write_end), "-screen", "0", f"{size[0]}x{size[1]}x24",
             "-dpi", "96", "-nolisten", "tcp"],
            pass_fds=(write_end,), stdout=subprocess.DEVNULL, stderr=subprocess.PIPE,
            preexec_fn=die_with_parent)
        os.close(write_end)
        number = b""
        deadline = time.monotonic() + 20
        while not number.endswith(b"\n") and time.monotonic() < deadline:
            ready, _, _ = select.select([read_end], [], [], 0.5)
            if ready:
                chunk = os.read(read_end, 16)
                if not chunk:
                    break
                number += chunk
        os.close(read_end)
        if not number.endswith(b"\n"):
            self.stop()
            raise RuntimeError("Xvfb did not start: " + self.process.stderr.read().decode(errors="replace"))
        self.name = ":" + number.decode().strip()

    def stop(self):
        if self.process.poll() is None:
            self.process.terminate()
            try:
                self.process.wait(5)
            except subprocess.TimeoutExpired:
                self.process.kill()
                self.process.wait()


class Capture:
    """A window's pixels, read from a PPM that ImageMagick's import wrote."""

    def __init__(self, ppm):
        header = []
        pos = 0
        while len(header) < 4:
            end = re.compile(rb"\s").search(ppm, pos).start()
            if ppm[pos:end]:
                header.append(ppm[pos:end])
            pos = end + 1
        if header[0] != b"P6" or header[3] != b"255":
            raise ValueError("unexpected capture format")
        self.width, self.height = int(header[1]), int(header[2])
        self.data = ppm[pos:pos + 3 * self.width * self.height]

    def pixel(self, x, y):
        i = 3 * (y * self.width + x)
        return tuple(self.data[i:i + 3])

    def regions(self, rgb):
        """Bounding boxes of the connected areas of exactly this colour,
        largest first."""
        target = bytes(rgb)
        w, h = self.width, self.height
        mask = bytearray(w * h)
        for i in range(w * h):
            if self.data[3 * i:3 * i + 3] == target:
                mask[i] = 1
        boxes = []
        for start in range(w * h):
            if not mask[start]:
                continue
            mask[start] = 0
            stack, left, top, right, bottom = [start], w, h, 0, 0
            while stack:
                i = stack.pop()
                x, y = i % w, i // w
                left, top, right, bottom = min(left, x), min(top, y), max(right, x), max(bottom, y)
                for j in (i - 1 if x > 0 else -1, i + 1 if x < w - 1 else -1, i - w, i + w):
                    if 0 <= j < w * h and mask[j]:
                        mask[j] = 0
                        stack.append(j)
            boxes.append(Box(left, top, right, bottom))
        return sorted(boxes, key=lambda b: (b.right - b.left + 1) * (b.bottom - b.top + 1),
                      reverse=True)


def without_buses(folder):
    """Bus addresses where no bus listens, in a folder of the test's: the
    program reaches none of the machine's buses, nor starts one."""
    nowhere = "unix:path=" + os.path.join(folder, "no-bus")
    return {"DBUS_SESSION_BUS_ADDRESS": nowhere, "DBUS_SYSTEM_BUS_ADDRESS": nowhere}


class Session:
    executable_name = "lockmere"  # its name in the program folder
    focus_command = "windowfocus"  # how xdotool gives a window the keyboard
    typing_delay_ms = 15  # between the keys that type() presses

    def __init__(self, files=None, executable=None, start=True, window_manager=False,
                 accessibility=False, environment=None):
        self.executable = executable or sys.argv[1]
        self.files = files or {}
        self.autostart = start
        self.window_manager = window_manager
        self.accessibility = accessibility
        self.environment = environment or {}
        self.script = os.path.splitext(os.path.basename(sys.argv[0]))[0]
        self.program = None
        self.display = None
        self.helpers = []  # a session bus and a window manager, when asked for

    # -- life cycle ---------------------------------------------------------

    def __enter__(self):
        self.root = tempfile.mkdtemp(prefix="lockmere-e2e-")
        try:
            self.folder = os.path.join(self.root, "Lockmere")
            os.makedirs(self.folder)
            shutil.copy2(self.executable, self.path(self.executable_name))
            for name, data in self.files.items():
                self.write(name, data)
            self.log = os.path.join(self.root, "program.log")
            runtime = os.path.join(self.root, "run")
            os.makedirs(runtime, mode=0o700)
            self.display = Display()
            self.env = {k: v for k, v in os.environ.items()
                        if not k.startswith("QT_") and k != "XDG_SESSION_ID"}
            self.env.update(DISPLAY=self.display.name, XDG_RUNTIME_DIR=runtime)
            self.env.pop("WAYLAND_DISPLAY", None)
            self.env.update(without_buses(self.root))
            self.env.update(self.environment)
            if self.accessibility:
                self._start_session_bus()
            if self.window_manager:
                self._start_window_manager()
            if self.autostart:
                self.start()
        except BaseException:
            self.__exit__(*sys.exc_info())
            raise
        return self

    def __exit__(self, kind, error, trace):
        crashed = kind is None and self.program is not None and self.program.poll() not in (None, 0)
        if (kind is not None or crashed) and self.display is not None:
            self._report("failure")
        self.stop()
        for helper in reversed(self.helpers):
            helper.kill()
            helper.wait()
        if self.display is not None:
            self.display.stop()
        shutil.rmtree(self.root, ignore_errors=True)
        if crashed:
            raise Failure(f"the program ended with code {self.program.returncode}")
        return False

    def _start_session_bus(self):
        # The program's accessibility tree is read over a session bus of the
        # test's own, which starts the accessibility bus when asked.
        bus = subprocess.Popen(["dbus-daemon", "--session", "--nofork", "--print-address=1"],
                               env=self.env, stdout=subprocess.PIPE, stderr=subprocess.DEVNULL,
                               preexec_fn=die_with_parent)
        self.helpers.append(bus)
        address = bus.stdout.readline().decode().strip()
        if not address:
            raise RuntimeError("dbus-daemon did not start")
        self.env.update(DBUS_SESSION_BUS_ADDRESS=address, QT_LINUX_ACCESSIBILITY_ALWAYS_ON="1")

    def _start_window_manager(self):
        self.helpers.append(subprocess.Popen(
            ["openbox", "--sm-disable"], env=self.env, stdout=subprocess.DEVNULL,
            stderr=subprocess.DEVNULL, preexec_fn=die_with_parent))
        self.wait_for(lambda: "window id" in self._x(
            "xprop", "-root", "_NET_SUPPORTING_WM_CHECK", check=False), "the window manager",
            # openbox reads its whole configuration first: slow on a busy machine
            timeout=3 * TIMEOUT)

    def command(self):
        return [self.path(self.executable_name)]

    def start(self):
        """Starts the program from its folder, as a user would."""
        with open(self.log, "ab") as log:
            self.program = subprocess.Popen(
                self.command(), cwd=self.folder, env=self.env,
                stdin=subprocess.DEVNULL, stdout=log, stderr=log, preexec_fn=die_with_parent)

    def stop(self):
        if self.program is not None and self.program.poll() is None:
            self.program.kill()
            self.program.wait()

    def wait_exit(self, timeout=TIMEOUT):
        """The program's exit code once it has ended by itself."""
        try:
            return self.program.wait(timeout)
        except subprocess.TimeoutExpired:
            raise Failure(f"the program still runs after {timeout} s") from None

    @contextlib.contextmanager
    def step(self, name):
        """Names a part of the test; on failure a screenshot shows its end."""
        try:
            yield
        except Exception as e:
            self._report(name)
            raise Failure(f"step '{name}' failed: {e}") from e

    def _report(self, name):
        if getattr(self, "_reported", False):
            return
        self._reported = True
        shot = os.path.abspath(f"{self.script}-{re.sub(r'[^A-Za-z0-9]+', '-', name)}.png")
        try:
            self._x("import", "-window", "root", shot)
            print(f"screenshot: {shot}", file=sys.stderr)
        except Exception as e:
            print(f"no screenshot: {e}", file=sys.stderr)
        try:
            with open(self.log, "rb") as log:
                output = log.read().decode(errors="replace")
            if output:
                print("program output:\n" + output, file=sys.stderr)
        except OSError:
            pass

    # -- files --------------------------------------------------------------

    def path(self, name):
        return os.path.join(self.folder, name)

    def read(self, name):
        with open(self.path(name), "rb") as f:
            return f.read()

    def write(self, name, data):
        with open(self.path(name), "wb") as f:
            f.write(data)

    def make_folder(self, name):
        """A folder outside the program folder (a backup target, say),
        removed with the session."""
        path = os.path.join(self.root, name)
        os.makedirs(path, exist_ok=True)
        return path

    # -- X ------------------------------------------------------------------

    def _x(self, *command, check=True, timeout=TIMEOUT):
        done = subprocess.run(command, env=self.env, capture_output=True, timeout=timeout)
        if check and done.returncode != 0:
            raise Failure(f"{' '.join(command)}: {done.stderr.decode(errors='replace').strip()}")
        return done.stdout.decode(errors="replace")

    def wait_for(self, condition, what, timeout=TIMEOUT):
        deadline = time.monotonic() + timeout
        while True:
            value = condition()
            if value:
                return value
            if self.program is not None and self.program.poll() is not None:
                raise Failure(f"the program ended (code {self.program.returncode}) "
                              f"while waiting for {what}")
            if time.monotonic() > deadline:
                raise Failure(f"timed out after {timeout} s waiting for {what}")
            time.sleep(0.05)

    def windows(self, name):
        """Shown windows whose caption is exactly `name`."""
        found = self._x("xdotool", "search", "--onlyvisible", "--name", _regex(name), check=False)
        # The search ignores case; the caption must match exactly.
        return [w for w in found.split() if self.window_name(w) == name]

    def window_name(self, win):
        return self._x("xdotool", "getwindowname", win, check=False).rstrip("\n")

    def wait_window(self, name, timeout=TIMEOUT):
        return self.wait_for(lambda: (self.windows(name) or [None])[0],
                             f"a window named '{name}'", timeout)

    def wait_gone(self, name, timeout=TIMEOUT):
        self.wait_for(lambda: not self.windows(name), f"'{name}' to close", timeout)

    def frame(self, win):
        """The window manager's frame around the window: left, right, top,
        bottom in pixels; zeros without a window manager."""
        value = self._x("xprop", "-id", str(win), "_NET_FRAME_EXTENTS", check=False)
        numbers = re.findall(r"\d+", value.split("=", 1)[1]) if "=" in value else []
        return tuple(int(n) for n in numbers) if len(numbers) == 4 else (0, 0, 0, 0)

    def accessible(self):
        """The program's accessibility tree as a list of dicts (role, name,
        showing, visible, box = [x, y, width, height] on the screen)."""
        import json
        python = sys.executable
        if subprocess.run([python, "-c", "import pyatspi"], capture_output=True).returncode:
            python = "/usr/bin/python3"  # the system's, which has pyatspi
        probe = os.path.join(os.path.dirname(os.path.abspath(__file__)), "accessible_tree.py")
        out = self._x(python, probe, "lockmere", timeout=30)
        return [json.loads(line) for line in out.splitlines() if line.startswith("{")]

    def type_fields(self, win, texts):
        """Types each text into the next box, from the focused one on, with
        Tab between them."""
        for i, text in enumerate(texts):
            if i:
                self.key(win, "Tab")
            self.type(win, text)

    def log_in(self, main, password):
        """From the user ID box: Tab to the password, type it, Enter, and
        wait for the window to open to the list."""
        self.key(main, "Tab")
        self.type(main, password)
        self.key(main, "Return")
        self.wait_for(lambda: self.geometry(main).height == inside_height(4875),
                      "the logged-in height")

    def entry_box(self, win, left_twips):
        """The light-yellow inside of the entry box placed at this left (the
        login's user ID box at 915 twips, its password box at 4335)."""
        for box in self.capture(win).regions(ENTRY_YELLOW):
            if abs(box.left - px(left_twips)) <= 3:
                return box
        raise Failure(f"no entry box at {left_twips} twips")

    def enter_password(self, main, password):
        """Clicks the login's password box, wherever the focus is, types the
        password and presses Enter."""
        box = self.entry_box(main, 4335)
        self.click_px(main, (box.left + box.right) // 2, (box.top + box.bottom) // 2)
        self.type(main, password)
        self.key(main, "Return")

    def first_line(self, main):
        """A point on the list's first line (the list stands at 150, 1470
        twips; a chosen line's highlight is not yellow, so its colour cannot
        tell)."""
        box = self.entry_box(main, 915)  # the user ID box
        return box.left - px(915) + px(150 + 1000), box.top - px(480) + px(1470) + 10

    def display_data(self, main):
        """Clicks "Display Data", at the top of the main window's inside,
        level with the user ID box, and waits for the list."""
        top = self.entry_box(main, 915).top - px(480)
        self.click_px(main, px(5775 + 600), top + px(30 + 187))
        self.wait_for(lambda: self.geometry(main).height == inside_height(4875), "the list shown")

    def geometry(self, win):
        """Position on the screen and size of the window's area, in pixels
        (inside a window manager's frame, when there is one)."""
        info = self._x("xwininfo", "-id", str(win))
        value = lambda label: int(re.search(label + r":\s+(-?\d+)", info).group(1))
        return Geometry(value("Absolute upper-left X"), value("Absolute upper-left Y"),
                        value("Width"), value("Height"))

    def focus(self, win):
        if self._x("xdotool", "getwindowfocus", check=False).strip() == str(win):
            return
        self._x("xdotool", self.focus_command, "--sync", win)

    def type(self, win, text):
        self.focus(win)
        self._x("xdotool", "type", "--delay", str(self.typing_delay_ms), "--", text)

    def key(self, win, *keys):
        """Presses keys in xdotool's names: "Return", "Tab", "alt+f", "shift+Tab"."""
        self.focus(win)
        self._x("xdotool", "key", "--delay", "30", "--", *keys)

    def move(self, win, x_twips, y_twips):
        self.move_px(win, px(x_twips), px(y_twips))

    def move_px(self, win, x, y):
        self._x("xdotool", "mousemove", "--window", win, str(x), str(y))

    def click(self, win, x_twips, y_twips, button=1, double=False):
        self.click_px(win, px(x_twips), px(y_twips), button, double)

    def click_px(self, win, x, y, button=1, double=False):
        repeat = ["--repeat", "2", "--delay", "80"] if double else []
        self.move_px(win, x, y)
        self._x("xdotool", "click", *repeat, str(button))

    def clipboard(self):
        """The clipboard's text, or None when it holds none."""
        done = subprocess.run(["xclip", "-selection", "clipboard", "-o"], env=self.env,
                              capture_output=True, timeout=TIMEOUT)
        return done.stdout.decode("utf-8") if done.returncode == 0 else None

    def capture(self, win):
        done = subprocess.run(["import", "-window", str(win), "-depth", "8", "ppm:-"], env=self.env,
                              capture_output=True, timeout=TIMEOUT, check=True)
        return Capture(done.stdout)

    def screenshot(self, path):
        self._x("import", "-window", "root", path)
