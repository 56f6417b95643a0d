"""The Windows archive that CPack makes: one program folder holding the two
programs, the README and the licence and nothing else; lockmere.exe a
Windows GUI program, lockmere-cli.exe a console one, both needing no DLL
that Windows does not ship (no Qt, no compiler runtime); lockmere-cli.exe,
started from another folder under Wine, works on the folder it was unpacked
into.

Usage: python3 windows_archive_test.py <CPackConfig.cmake> <objdump> <runner...>"""

import os
import re
import subprocess
import sys
import tempfile
import zipfile

from lockmere_testing import book

config, objdump, runner = sys.argv[1], sys.argv[2], sys.argv[3:]
EXPECTED = {"lockmere.exe", "lockmere-cli.exe", "README.md", "LICENSE"}
SUBSYSTEMS = {"lockmere.exe": "Windows GUI", "lockmere-cli.exe": "Windows CUI"}
# What a program built with mingw and a shared Qt would carry beside it.
NOT_WINDOWS = re.compile(r"^(qt\d|lib(stdc\+\+|gcc|winpthread))", re.I)

with tempfile.TemporaryDirectory(prefix="lockmere-winzip-") as root:
    subprocess.run(["cpack", "-G", "ZIP", "--config", config, "-B", root],
                   check=True, stdout=subprocess.DEVNULL)
    [archive] = [f for f in os.listdir(root) if f.endswith(".zip")]
    assert re.fullmatch(r"Lockmere-\d+\.\d+(\.\d+)?-Windows-x86_64\.zip", archive), archive

    with zipfile.ZipFile(os.path.join(root, archive)) as z:
        names = [n for n in z.namelist() if not n.endswith("/")]
        top = {n.split("/", 1)[0] for n in names}
        assert top == {archive[:-len(".zip")]}, f"the archive does not hold one folder: {top}"
        files = {n.split("/", 1)[1] for n in names}
        assert files == EXPECTED, f"the archive holds {sorted(files)}"
        unpacked = os.path.join(root, "unpacked")
        z.extractall(unpacked)
    folder = os.path.join(unpacked, top.pop())

    for name, subsystem in SUBSYSTEMS.items():
        headers = subprocess.run([objdump, "-p", os.path.join(folder, name)], check=True,
                                 capture_output=True, text=True).stdout
        assert f"({subsystem})" in headers, f"{name} is not a {subsystem} program"
        dlls = re.findall(r"DLL Name: (\S+)", headers)
        assert dlls and not [d for d in dlls if NOT_WINDOWS.match(d)], f"{name} needs {dlls}"

    for name, data in book.files("me", "pw", [("Mail", "N/A", "me", "x")]).items():
        with open(os.path.join(folder, name), "wb") as f:
            f.write(data)
    listed = subprocess.run(runner + [os.path.join(folder, "lockmere-cli.exe"), "list"],
                            input=b"pw\n", capture_output=True, cwd=root, timeout=120)
    out = listed.stdout.decode("utf-8", errors="replace").replace("\r\n", "\n")
    assert (listed.returncode, out) == (0, "Mail\n"), listed

print(f"{archive}: {sorted(EXPECTED)}, statically linked; lockmere-cli lists its folder")
