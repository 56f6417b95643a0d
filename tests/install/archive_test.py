"""The archive that CPack makes: it unpacks into one program folder that
holds the program, the icon, the desktop entry, the README and the licence,
and the program starts from there with data files beside it (started from
another folder, it still finds them: the main window, not the first-start
welcome, comes up), showing the icon and the window class that the entry
names.

Usage: python3 archive_test.py <CPackConfig.cmake>"""

import os
import re
import subprocess
import sys
import tarfile
import tempfile
import time

from lockmere_testing import book, harness

APP_ID = "org.lockmere.Lockmere"
EXPECTED = {"lockmere", "lockmere-cli", "menu-entry", "README.md", "LICENSE",
            f"share/applications/{APP_ID}.desktop",
            f"share/metainfo/{APP_ID}.metainfo.xml",
            f"share/icons/hicolor/scalable/apps/{APP_ID}.svg"} | {
    f"share/icons/hicolor/{n}x{n}/apps/{APP_ID}.png" for n in (16, 32, 48, 64, 128, 256)}


def x(env, *command):
    return subprocess.run(command, env=env, capture_output=True, text=True,
                          timeout=harness.TIMEOUT).stdout


with tempfile.TemporaryDirectory(prefix="lockmere-archive-") as root:
    subprocess.run(["cpack", "-G", "TGZ", "--config", sys.argv[1], "-B", root],
                   check=True, stdout=subprocess.DEVNULL)
    [archive] = [f for f in os.listdir(root) if f.endswith(".tar.gz")]

    with tarfile.open(os.path.join(root, archive)) as tar:
        names = tar.getnames()
        top = {n.split("/", 1)[0] for n in names}
        assert len(top) == 1, f"the archive does not hold one folder: {top}"
        [top] = top
        files = {m.name[len(top) + 1:] for m in tar.getmembers() if m.isfile()}
        missing = EXPECTED - files
        assert not missing, f"missing from the archive: {sorted(missing)}"
        assert tar.getmember(f"{top}/lockmere").mode & 0o111, "the program is not executable"
        unpacked = os.path.join(root, "unpacked")
        tar.extractall(unpacked)
    folder = os.path.join(unpacked, top)

    with open(os.path.join(folder, f"share/applications/{APP_ID}.desktop")) as f:
        wm_class = re.search(r"^StartupWMClass=(.*)$", f.read(), re.M).group(1)
    for name, data in book.files("me", "pw", [("Mail", "N/A", "me", "x")]).items():
        with open(os.path.join(folder, name), "wb") as f:
            f.write(data)
    # The terminal front end works on the folder it was unpacked into.
    listed = subprocess.run([os.path.join(folder, "lockmere-cli"), "list"], input="pw\n",
                            capture_output=True, text=True, cwd=root, timeout=harness.TIMEOUT)
    assert (listed.returncode, listed.stdout) == (0, "Mail\n"), listed

    display = harness.Display()
    program = None
    try:
        env = {k: v for k, v in os.environ.items() if not k.startswith("QT_")}
        env.pop("WAYLAND_DISPLAY", None)
        env.update(DISPLAY=display.name, XDG_RUNTIME_DIR=root, **harness.without_buses(root))
        program = subprocess.Popen([os.path.join(folder, "lockmere")], cwd=root, env=env,
                                   stdout=subprocess.PIPE, stderr=subprocess.STDOUT)
        deadline = time.monotonic() + harness.TIMEOUT
        while not (win := x(env, "xdotool", "search", "--onlyvisible", "--name", "^ Lockmere$").split()):
            assert program.poll() is None, "the program ended: " + program.stdout.read().decode()
            assert time.monotonic() < deadline, "no main window"
            time.sleep(0.05)
        # Class and instance; the desktop matches the entry's StartupWMClass to the class.
        wm_class_found = re.findall(r'"([^"]*)"', x(env, "xprop", "-id", win[0], "WM_CLASS"))
        assert wm_class_found[-1:] == [wm_class], \
            f"the window class is not the entry's {wm_class}: {wm_class_found}"
        icons = x(env, "xprop", "-len", "1000000", "-id", win[0], "_NET_WM_ICON")
        for size in (16, 32, 48, 64, 128, 256):
            assert f"Icon ({size} x {size})" in icons, f"the window carries no {size} px icon"
    finally:
        if program is not None:
            program.kill()
            program.wait()
        display.stop()

print(f"{archive}: {len(files)} files, the program starts from the unpacked folder")
