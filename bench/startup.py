#!/usr/bin/env python3
"""Start-up time and peak memory of Lockmere against its yardstick.

    bench/startup.py [--runs 21] [--build build-bench] [--instructions 3]

Builds the program and the yardsticks in a Release build folder of their own
(or takes them from --lockmere, --yardstick and --empty), then starts each
in turn under one Xvfb, the program in a fresh program folder with a set-up
book. The yardstick is a window with the main window's widgets, captions,
fonts and icon and no logic ("no icon": the same without the icon); the
empty window and the one with a single label show what any window and any
text cost. Time: from just before the process is
started to the MapNotify of its window " Lockmere" on the root window.
Memory: VmHWM of the process half a second after that. Prints the medians
and the ratios to the yardstick. --instructions N also counts, under
valgrind, the instructions each runs until its window is shown (N runs,
median), which a busy machine does not change.
"""

import argparse
import ctypes
import os
import select
import shutil
import statistics
import subprocess
import sys
import tempfile
import time

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.join(HERE, "..", "tests", "e2e"))
import book     # noqa: E402
import harness  # noqa: E402

CAPTION = b" Lockmere"
MAP_NOTIFY = 19
SUBSTRUCTURE_NOTIFY_MASK = 1 << 19


class RootWatcher:
    """A connection of our own that sees every top-level window being mapped."""

    def __init__(self, display):
        self.x = ctypes.CDLL("libX11.so.6")
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
        self.dpy = self.x.XOpenDisplay(display.encode())
        if not self.dpy:
            raise RuntimeError("cannot open display " + display)
        self.x.XSelectInput(self.dpy, self.x.XDefaultRootWindow(self.dpy),
                            SUBSTRUCTURE_NOTIFY_MASK)
        self.x.XFlush(self.dpy)
        self.fd = self.x.XConnectionNumber(self.dpy)

    def drain(self):
        event = (ctypes.c_long * 24)()
        while self.x.XPending(self.dpy):
            self.x.XNextEvent(self.dpy, event)

    def wait_map(self, caption, process, timeout=20.0):
        """Monotonic time at which a window with this caption was mapped."""
        event = (ctypes.c_long * 24)()
        deadline = time.monotonic() + timeout
        while time.monotonic() < deadline and process.poll() is None:
            if not self.x.XPending(self.dpy):
                select.select([self.fd], [], [], 0.05)
                continue
            self.x.XNextEvent(self.dpy, event)
            now = time.monotonic()
            # XMapEvent: type, serial, send_event, display, event, window, override_redirect
            if event[0] & 0xFFFFFFFF == MAP_NOTIFY and not event[6] and self.name(event[5]) == caption:
                return now
        raise RuntimeError(f"no window {caption!r} was mapped (exit code {process.poll()})")

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
            shown = watcher.wait_map(CAPTION, process, timeout=60)
            time.sleep(0.5)
            return shown - start, peak_memory_kib(process.pid)
        finally:
            process.kill()
            process.wait()
    finally:
        shutil.rmtree(root, ignore_errors=True)


def count_instructions(command, display, watcher, files):
    """Instructions the program runs until its window is mapped (callgrind)."""
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
            watcher.wait_map(CAPTION, process, timeout=300)
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
    return (os.path.join(folder, "lockmere"),
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
        counts = {name: [] for name in programs}
        for _ in range(args.instructions):
            for name, (command, data) in programs.items():
                counts[name].append(count_instructions(command, display, watcher, data))
    finally:
        display.stop()

    medians = {}
    for name, runs in results.items():
        times = sorted(t * 1000 for t, _ in runs)
        memory = statistics.median(m for _, m in runs)
        medians[name] = (statistics.median(times), memory)
        print(f"{name:13} start-up median {medians[name][0]:6.1f} ms "
              f"(min {times[0]:.1f}, max {times[-1]:.1f}, {len(times)} runs), "
              f"peak memory {memory / 1024:.1f} MiB")
    t_base, m_base = medians["yardstick"]
    for name in ("lockmere", "no icon", "empty window", "one label"):
        t, m = medians[name]
        print(f"{name} / yardstick: start-up {t / t_base:.2f}x, peak memory {m / m_base:.2f}x")
    if args.instructions:
        instructions = {name: statistics.median(c) for name, c in counts.items()}
        for name, count in instructions.items():
            print(f"{name:13} instructions until shown {count / 1e6:7.1f} M "
                  f"({count / instructions['yardstick']:.2f}x the yardstick, "
                  f"{len(counts[name])} runs)")


if __name__ == "__main__":
    main()
