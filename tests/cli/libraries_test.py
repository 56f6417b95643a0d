"""lockmere-cli links no Qt: the libraries it loads are the C and C++
runtimes of the system (and the sanitizers' in a sanitizer build)."""

import re
import subprocess
import unittest

import cli_harness as h

ALLOWED = [  # patterns for the libraries the executable names itself
    r"libstdc\+\+\.so\.6", r"libm\.so\.6", r"libgcc_s\.so\.1", r"libc\.so\.6",
    r"ld-linux.*\.so\.\d", r"lib(a|ub)san\.so\.\d+",
    # Windows: the system's DLLs; the C++ runtime is linked in statically.
    r"(?i)kernel32\.dll", r"(?i)msvcrt\.dll", r"(?i)shell32\.dll", r"(?i)api-ms-win-crt-[\w-]+\.dll",
    r"(?i)ucrtbase\.dll", r"(?i)user32\.dll", r"(?i)advapi32\.dll", r"(?i)bcrypt\.dll",
]


def direct_libraries(exe):
    with open(exe, "rb") as f:
        windows = f.read(2) == b"MZ"
    if windows:
        dump = subprocess.run(["x86_64-w64-mingw32-objdump", "-p", exe], capture_output=True,
                              text=True, check=True).stdout
        return re.findall(r"DLL Name: (\S+)", dump)
    dump = subprocess.run(["readelf", "-d", exe], capture_output=True, text=True, check=True).stdout
    return re.findall(r"\(NEEDED\)\s+Shared library: \[([^\]]+)\]", dump)


class Libraries(unittest.TestCase):
    def test_only_the_system_runtimes_are_named(self):
        names = direct_libraries(h.EXE)
        print("\nlibraries named by the executable:", *names, sep="\n  ")
        self.assertTrue(names)
        for name in names:
            with self.subTest(name):
                self.assertTrue(any(re.fullmatch(p, name) for p in ALLOWED), name)

    @unittest.skipIf(h.ON_WINE, "ldd reads this system's executables")
    def test_nothing_loaded_comes_from_qt(self):
        loaded = subprocess.run(["ldd", h.EXE], capture_output=True, text=True, check=True).stdout
        print("\nldd:", loaded, sep="\n")
        self.assertNotRegex(loaded, r"(?i)qt|icu|libX|libGL|libglib")


if __name__ == "__main__":
    h.main()
