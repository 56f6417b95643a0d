#!/usr/bin/env python3
"""Start-up time and peak memory of Lockmere against its yardstick.

    scripts/python bench/startup.py [--runs 21] [--build build-bench] [--instructions 3]

Builds the program and the yardsticks in a Release build folder of their own
(or takes them from --lockmere, --yardstick and --empty), then starts each
in turn under one Xvfb, the program in a fresh program folder with a set-up
book. The yardstick is a window with the main window's widgets, captions,
fonts and icon and no logic ("no icon": the same without the icon); the
empty window and the one with a single label show what any window and any
text cost. Times: from just before the process is started to the MapNotify
of its window " Lockmere" on the root window ("mapped"), and to the first
drawing into that window after it (damage extension; "painted": the window
is on screen with its contents). Memory: VmHWM of the process half a second
after that. Prints the medians and the ratios to the yardstick.
--instructions N also counts, under valgrind, the instructions each runs
until its window is mapped and until it is painted (N runs each, median),
which a busy machine does not change.
"""

import argparse
import ctypes
import os
import select
import shutil
import statistics
import subprocess
import tempfile
import time

from lockmere_testing import book, harness

HERE = os.path.dirname(os.path.abspath(__file__))

CAPTION = b" Lockmere"
ENDPOINTS = ("mapped", "painted")
CREATE_NOTIFY = 16
MAP_NOTIFY = 19
SUBSTRUCTURE_NOTIFY_MASK = 1 << 19
DAMAGE_REPORT_NON_EMPTY = 3
ERROR_HANDLER = ctypes.CFUNCTYPE(ctypes.c_int, ctypes.c_void_p, ctypes.c_void_p)


class RootWatcher:
    """A connection of our own that sees every top-level window being mapped
    and first drawn into (the damage extension)."""

    def __init__(self, display):
        self.x = ctypes.CDLL("libX11.so.6")
        self.damage = ctypes.CDLL("libXdamage.so.1")
        self.x.XOpenDisplay.restype = ctypes.c_void_p
        self.x.XOpenDisplay.argtypes = [ctypes.c_char_p]
        self.x.XDefaultRootWindow.restype = ctypes.c_ulong
        self.x.XDefaultRootWindow.argtypes = [ctypes.c_void_p]
        self.x.XSelectInput.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_long]
        self.x.XFlush.argtypes = [ctypes.c_void_p]
        self.x.XPending.argtypes = [ctypes.c_void_p]
        self.x.XConnectionNumber.argtypes = [ctypes.c_void_p]
        self.x.XNextEvent.argtypes = [ctypes.c_void_p, ctypes.c_void_p]
        self.x.XFetchName.argtypes = [ctypes.c_void_p, ctypes.c_ulong,
                                      ctypes.POINTER(ctypes.c_char_p)]
        self.damage.XDamageQueryExtension.argtypes = [
            ctypes.c_void_p, ctypes.POINTER(ctypes.c_int), ctypes.POINTER(ctypes.c_int)]
        self.damage.XDamageCreate.restype = ctypes.c_ulong
        self.damage.XDamageCreate.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_int]
        # A window may be gone before we ask for its name: ignore such errors.
        self.on_error = ERROR_HANDLER(lambda display, error: 0)
        self.x.XSetErrorHandler.argtypes = [ERROR_HANDLER]
        self.x.XSetErrorHandler(self.on_error)
        self.dpy = self.x.XOpenDisplay(display.encode())
        if not self.dpy:
            raise RuntimeError("cannot open display " + display)
        event_base, error_base = ctypes.c_int(), ctypes.c_int()
        if not self.damage.XDamageQueryExtension(self.dpy, ctypes.byref(event_base),
                                                 ctypes.byref(error_base)):
            raise RuntimeError("the X server has no damage extension")
        self.damage_notify = event_base.value
        self.x.XSelectInput(self.dpy, self.x.XDefaultRootWindow(self.dpy),
                            SUBSTRUCTURE_NOTIFY_MASK)
        self.x.XFlush(self.dpy)
        self.fd = self.x.XConnectionNumber(self.dpy)

    def drain(self):
        event = (ctypes.c_long * 24)()
        while self.x.XPending(self.dpy):
            self.x.XNextEvent(self.dpy, event)

    def wait(self, caption, process, until, timeout=20.0):
        """Monotonic times at which a window with this caption was mapped and
        first drawn into after that; waits for the first (until="mapped",
        the second is then None) or for both (until="painted")."""
        event = (ctypes.c_long * 24)()
        deadline = time.monotonic() + timeout
        mapped = None
        while time.monotonic() < deadline and process.poll() is None:
            if not self.x.XPending(self.dpy):
                select.select([self.fd], [], [], 0.05)
                continue
            self.x.XNextEvent(self.dpy, event)
            now = time.monotonic()
            kind = event[0] & 0xFFFFFFFF
            # XCreateWindowEvent: type, serial, send_event, display, parent, window, ...
            if kind == CREATE_NOTIFY:
                # Watched from its creation, so that no drawing is missed.
                self.damage.XDamageCreate(self.dpy, event[5], DAMAGE_REPORT_NON_EMPTY)
                self.x.XFlush(self.dpy)
            # XMapEvent: type, serial, send_event, display, event, window, override_redirect
            elif kind == MAP_NOTIFY and not event[6] and self.name(event[5]) == caption:
                mapped = now
                if until == "mapped":
                    return mapped, None
            # XDamageNotifyEvent: type, serial, send_event, display, drawable, ...
            elif kind == self.damage_notify and mapped and self.name(event[4]) == caption:
                return mapped, now
        raise RuntimeError(f"no window {caption!r} was {until} (exit code {process.poll()})")

    def name(self, window):
        value = ctypes.c_char_p()
        if not self.x.XFetchName(self.dpy, window, ctypes.byref(value)):
            return None
        return value.value


def peak_memory_kib(pid):
    with open(f"/proc/{pid}/status") as status:
        for line in status:
            if line.startswith("VmHWM:"):
                return int(line.split()[1])
    raise RuntimeError("no VmHWM")


def program_folder(root, command, files, display):
    """A program folder under root holding a copy of the program and the data
    files, and the environment to start it in."""
    folder = os.path.join(root, "Lockmere")
    os.makedirs(folder)
    program = os.path.join(folder, os.path.basename(command[0]))
    shutil.copy2(command[0], program)
    for name, data in files.items():
        with open(os.path.join(folder, name), "wb") as f:
            f.write(data)
    env = {k: v for k, v in os.environ.items() if not k.startswith("QT_")}
    env.update(DISPLAY=display.name, XDG_RUNTIME_DIR=root)
    return folder, program, env


def run_once(command, display, watcher, files):
    root = tempfile.mkdtemp(prefix="lockmere-bench-")
    try:
        folder, program, env = program_folder(root, command, files, display)
        watcher.drain()
        start = time.monotonic()
        process = subprocess.Popen([program, *command[1:]], cwd=folder, env=env, stdin=subprocess.DEVNULL,
                                   stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        try:
            mapped, painted = watcher.wait(CAPTION, process, "painted", timeout=60)
            time.sleep(0.5)
            return mapped - start, painted - start, peak_memory_kib(process.pid)
        finally:
            process.kill()
            process.wait()
    finally:
        shutil.rmtree(root, ignore_errors=True)


def count_instructions(command, display, watcher, files, until):
    """Instructions the program runs until its window is mapped or painted
    (callgrind)."""
    out = tempfile.mktemp(prefix="lockmere-callgrind-")
    valgrind = ["valgrind", "--tool=callgrind", f"--callgrind-out-file={out}",
                "--dump-line=no", "--compress-strings=no"]
    root = tempfile.mkdtemp(prefix="lockmere-bench-")
    try:
        folder, program, env = program_folder(root, command, files, display)
        watcher.drain()
        process = subprocess.Popen(valgrind + [program, *command[1:]], cwd=folder, env=env,
                                   stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                                   stderr=subprocess.DEVNULL)
        try:
            watcher.wait(CAPTION, process, until, timeout=300)
        finally:
            process.terminate()  # callgrind writes its counts as the program ends
            process.wait()
        with open(out) as counts:
            for line in counts:
                if line.startswith(("summary:", "totals:")):
                    return int(line.split()[1])
        raise RuntimeError("no instruction count")
    finally:
        shutil.rmtree(root, ignore_errors=True)
        if os.path.exists(out):
            os.remove(out)


def build(folder):
    source = os.path.dirname(HERE)
    generator = ["-G", "Ninja"] if shutil.which("ninja") else []
    subprocess.run(["cmake", "-S", source, "-B", folder, *generator, "-DCMAKE_BUILD_TYPE=Release",
                    "-DLOCKMERE_BENCH=ON", "-DBUILD_TESTING=OFF"], check=True,
                   stdout=subprocess.DEVNULL)
    subprocess.run(["cmake", "--build", folder, "-j", "2", "--target", "lockmere",
                    "lockmere_yardstick_window", "lockmere_empty_window"], check=True)
    return (os.path.join(folder, "app", "lockmere"),
            os.path.join(folder, "bench", "lockmere_yardstick_window"),
            os.path.join(folder, "bench", "lockmere_empty_window"))


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--runs", type=int, default=21)
    parser.add_argument("--instructions", type=int, default=0)
    parser.add_argument("--build", default=os.path.join(os.path.dirname(HERE), "build-bench"))
    parser.add_argument("--lockmere")
    parser.add_argument("--yardstick")
    parser.add_argument("--empty")
    args = parser.parse_args()
    if args.lockmere and args.yardstick and args.empty:
        lockmere, yardstick, empty = args.lockmere, args.yardstick, args.empty
    else:
        lockmere, yardstick, empty = build(args.build)

    files = book.files("owner", "secret", [
        (f"Service {i:02}", f"https://service{i}.example", f"user{i}", f"pass{i}")
        for i in range(20)])
    display = harness.Display()
    try:
        watcher = RootWatcher(display.name)
        programs = {"lockmere": ([lockmere], files), "yardstick": ([yardstick], {}),
                    "no icon": ([yardstick, "--no-icon"], {}),
                    "empty window": ([empty], {}), "one label": ([empty, "--label"], {})}
        results = {name: [] for name in programs}
        # A first start of each warms the file cache; then they take turns.
        for command, data in programs.values():
            run_once(command, display, watcher, data)
        for _ in range(args.runs):
            for name, (command, data) in programs.items():
                results[name].append(run_once(command, display, watcher, data))
        counts = {(name, until): [] for name in programs for until in ENDPOINTS}
        for _ in range(args.instructions):
            for name, (command, data) in programs.items():
                for until in ENDPOINTS:
                    counts[name, until].append(
                        count_instructions(command, display, watcher, data, until))
    finally:
        display.stop()
    if args.runs:
        report_times(results)
    if args.instructions:
        report_instructions(counts)


def report_times(results):
    medians = {}
    for name, runs in results.items():
        memory = statistics.median(m for *_, m in runs)
        times = [sorted(run[i] * 1000 for run in runs) for i in range(len(ENDPOINTS))]
        medians[name] = [statistics.median(t) for t in times] + [memory]
        print(f"{name:13} " + ", ".join(
            f"{until} median {median:6.1f} ms (min {t[0]:.1f}, max {t[-1]:.1f})"
            for until, t, median in zip(ENDPOINTS, times, medians[name])) +
            f", peak memory {memory / 1024:.1f} MiB, {len(runs)} runs")
    for base, names in (("yardstick", ("lockmere", "no icon", "empty window", "one label")),
                        ("no icon", ("lockmere",))):
        for name in names:
            ratios = [m / b for m, b in zip(medians[name], medians[base])]
            print(f"{name} / {base}: " + ", ".join(
                f"{until} {r:.3f}x" for until, r in zip(ENDPOINTS, ratios)) +
                f", peak memory {ratios[-1]:.3f}x")


def report_instructions(counts):
    medians = {key: statistics.median(c) for key, c in counts.items()}
    for (name, until), count in medians.items():
        print(f"{name:13} instructions until {until:7} {count / 1e6:7.2f} M "
              f"({count / medians['yardstick', until]:.3f}x the yardstick, "
              f"{count / medians['no icon', until]:.3f}x the one without icon, "
              f"{len(counts[name, until])} runs)")


if __name__ == "__main__":
    main()
