#!/usr/bin/env python3
"""Plants hostile things at every name each operation opens: links to the
user's other files and folders, dangling links, pipes, a link to /dev/zero,
folders, a 3 GB sparse file, files of another user and crafted pair
markers. Each operation then runs once, as an ordinary user, on a fresh
folder pair, and the runner checks that it ended with the outcome the table
below expects, within its time and without a signal; that nothing outside
the operation's own files changed or appeared; that its outcome tells the
truth (a success left its effect, a failure left the book as it was); and
that the book still opens once the planted thing is taken away.

A second table runs the operations on a program folder whose data files
are the user's own links to another disk: they work, and writes go through
to the links' targets.

Prints the tables; exits 1 on any cell that differs from its expectation.
Run as root: the operations then run as uid 4243, and the cells with another
user's files (uid 4242) and a shared sticky location are possible; without
root those cells are skipped.

Usage: run_hostile.py DRIVER CLI
"""
import concurrent.futures
import itertools
import os
import re
import shutil
import stat
import subprocess
import sys
import tempfile
import time

AS_ROOT = os.geteuid() == 0
USER = 4243 if AS_ROOT else os.geteuid()  # runs the operations
OTHER = 4242  # owns the foreign files
TIMEOUT = 10
BIG = 1 << 20  # files larger than this are compared by size alone

P, L = "program", "location"
TEMP_KEY = "lkdb0.lkd.0123456789abcdef.tmp"
TEMP_STORE = "lkdb1.lkd.fedcba9876543210.tmp"
NAMES = {"P/lkdb0.lkd": f"{P}/lkdb0.lkd", "P/lkdb1.lkd": f"{P}/lkdb1.lkd",
         "P/lkdb.lock": f"{P}/lkdb.lock", "P/lkdb.pair": f"{P}/lkdb.pair",
         "P/BackupLocation.inf": f"{P}/BackupLocation.inf", "P/lkdb0.lkd.*.tmp": f"{P}/{TEMP_KEY}",
         "L/lkdb0.lkd": f"{L}/lkdb0.lkd", "L/lkdb1.lkd": f"{L}/lkdb1.lkd",
         "L/lkdb.lock": f"{L}/lkdb.lock", "L/lkdb.pair": f"{L}/lkdb.pair",
         "L/lkdb0.lkd.*.tmp": f"{L}/{TEMP_KEY}", "out/export.csv": "out/export.csv"}
OWN = {path for name, path in NAMES.items() if "*" not in name} | {"disk/lkdb0.lkd",
                                                                    "disk/lkdb1.lkd"}
TEMPORARY = re.compile(r"^(program|location|disk|out)/(lkdb0\.lkd|lkdb1\.lkd|BackupLocation\.inf"
                       r"|lkdb\.pair|export\.csv)(\.[0-9a-f]{16})?\.tmp$")

COLLECTED_A = bytes(range(40, 91))  # the generator's 51 bytes in the prepared folders
PROFILE = b"".join([
    b"# ~/.profile: run by the login shell of this user.\n",
    b"# The user's own file: no program of theirs may change it.\n",
    b'if [ -n "$BASH_VERSION" ] && [ -f "$HOME/.bashrc" ]; then\n',
    b'    . "$HOME/.bashrc"\n',
    b"fi\n",
    b'if [ -d "$HOME/bin" ]; then\n    PATH="$HOME/bin:$PATH"\nfi\n',
    b'if [ -d "$HOME/.local/bin" ]; then\n    PATH="$HOME/.local/bin:$PATH"\nfi\n',
    b"export EDITOR=vi\nexport LESS=-R\numask 022\n",
] * 3)  # longer than a key file may be, short enough for a store
LETTER = b"Dear Ann,\nthe keys are under the mat.\n"
FOREIGN = b"a file of another user\n"

# The planted things, one column each.
THINGS = ["file-link", "dir-link", "dangling", "fifo", "dev-zero", "folder", "sparse-3G",
          "other-0644", "other-0600"]
MARKERS = ["dotdot", "absolute", "not-temps", "link-temps", "linked", "other-user", "garbage",
           "huge", "back"]
FOREIGN_COLUMNS = {"other-0644", "other-0600", "other-user"}

# The expected outcome of each cell, written from the rules the core keeps:
#  - reads open without blocking, take regular files only (75) and read one
#    byte past the largest size: a longer key file is damaged at the login,
#    a longer store does not decipher, a longer location file is none (75),
#    a longer file in a copy is "damaged" and nothing is touched;
#  - only the program folder's key file and store are read and written
#    through a link; everything else is replaced by a rename, never written
#    through, and reads in the location refuse links (75); a missing data
#    file is created empty, never at a dangling link's target (75);
#  - the lock file must be a regular file: in P anything else ends the start
#    (notafile 75), one the user cannot open fails it (lockfailed 75); in L
#    anything but a regular file fails the copy (75), a lock file the user
#    cannot open is no reason to stop, and the copy leaves no lock file
#    there (a stale one of the user's is taken and removed);
#  - a marker is followed only when it is the user's regular file, short,
#    and names the user's regular temporaries; any other is removed ("gone")
#    without following it; where it cannot be removed (a folder, another
#    user's file in the sticky location) the recovery fails with 75 and
#    touches nothing ("kept"), and the start goes on without it;
#  - stale temporaries go only when they are the user's regular files;
#  - lockmere-cli: 0 done, 1 refused (an existing export file), 2 file
#    trouble (any file at the marker's name, a data file it cannot read or
#    that is damaged, an export it cannot write).
# "X*N" is X in N columns in a row; pair and temporary rows add what became
# of the planted thing.
EXPECTED = {
    ("start", "P/lkdb.lock"): "notafile75*6 ok lockfailed75*2",
    ("start", "P/lkdb0.lkd"): "ok failed75*4 failed75 ok ok failed75",
    ("start", "P/lkdb.pair"): "ok/gone*5 ok/kept ok/gone*3",
    ("start", "P/lkdb0.lkd.*.tmp"): "ok/kept*6 ok/gone ok/kept*2",
    ("login", "P/lkdb0.lkd"): "damaged failed75*5 damaged ok failed75",
    ("login", "P/lkdb1.lkd"): "incomplete storefailed75*5 incomplete ok storefailed75",
    ("save", "P/lkdb1.lkd"): "notauth notauth75*5 notauth ok notauth75",
    ("append", "P/lkdb1.lkd"): "decrypt readfailed75*5 decrypt ok readfailed75",
    ("generator", "P/lkdb0.lkd"): "failed75*7 ok failed75",
    ("master", "P/lkdb0.lkd"): "failed75*7 ok failed75",
    # The copy sets the program folder's files normal first: a dangling link
    # there is a missing file (53), another user's readable file cannot be
    # narrowed (75).
    ("backup", "P/lkdb0.lkd"): "damaged failed75 failed53 failed75*3 damaged failed75*2",
    ("backup", "P/lkdb1.lkd"): "ok failed75 failed53 failed75*3 damaged failed75*2",
    ("backup", "L/lkdb0.lkd"): "failed75*6 damaged failed75*2",
    ("backup", "L/lkdb1.lkd"): "ok*5 failed75 ok failed75*2",
    ("backup", "L/lkdb.lock"): "failed75*6 ok*3",
    ("backup", "L/lkdb.pair"): "ok/gone*5 failed75/kept ok/gone failed75/kept*2",
    ("backup", "L/lkdb0.lkd.*.tmp"): "ok/kept*6 ok/gone ok/kept*2",
    ("recover", "L/lkdb.pair"): "ok/gone*5 failed75/kept ok/gone failed75/kept*2",
    ("restore", "P/lkdb0.lkd"): "damaged failed75 failed53 failed75*3 damaged failed75*2",
    ("restore", "P/lkdb1.lkd"): "ok ok failed53 ok ok failed75 ok failed75 ok",
    ("restore", "P/lkdb.pair"): "ok/gone*5 failed75/kept ok/gone*3",
    # The shared location holds another user's readable file: not taken.
    ("restore", "L/lkdb0.lkd"): "failed75*6 damaged foreign failed75",
    ("restore", "L/lkdb1.lkd"): "failed75*6 damaged foreign failed75",
    ("restore", "L/lkdb.lock"): "failed75*6 ok*3",
    ("location", "P/BackupLocation.inf"): "ok*5 failed75 ok*3",
    ("location-read", "P/BackupLocation.inf"): "failed75*7 ok failed75",
}
for command in ["verify", "list", "show", "add", "export", "export --force"]:
    for name in ["P/lkdb0.lkd", "P/lkdb1.lkd"]:
        EXPECTED[(command, name)] = "exit2*7 exit0 exit2"
    if command == "add":
        EXPECTED[(command, "P/lkdb.lock")] = "exit2*6 exit0 exit2*2"
    if command == "export":
        EXPECTED[(command, "out/export.csv")] = "exit1*9"
    if command == "export --force":
        EXPECTED[(command, "out/export.csv")] = "exit0*5 exit2 exit0*3"
    EXPECTED[(command, "P/lkdb.pair")] = "exit2/kept*9"

# verify DIR reads a backup folder as a restore does: nothing planted there
# passes, another user's readable file in the shared location included.
for name in ["L/lkdb0.lkd", "L/lkdb1.lkd"]:
    EXPECTED[("verify L", name)] = "exit2*9"
EXPECTED[("verify L", "L/lkdb.pair")] = "exit2/kept*9"

# The crafted markers, at the marker rows.
EXPECTED_MARKERS = {
    ("start", "P/lkdb.pair"): "ok/gone*9",
    ("restore", "P/lkdb.pair"): "ok/gone*9",
    ("recover", "L/lkdb.pair"): "ok/gone*5 failed75/kept ok/gone*3",
    ("backup", "L/lkdb.pair"): "ok/gone*5 failed75/kept ok/gone*3",
}
for command in ["verify", "list", "show", "add", "export", "export --force"]:
    EXPECTED_MARKERS[(command, "P/lkdb.pair")] = "exit2/kept*9"
EXPECTED_MARKERS[("verify L", "L/lkdb.pair")] = "exit2/kept*9"

# The user's own links to another disk: everything works through them.
LINKED = ["key", "store", "both"]
EXPECTED_LINKS = {op: "ok*3" for op in ["start", "login", "save", "append", "backup", "restore"]}
EXPECTED_LINKS.update({"generator": "ok - -", "master": "ok - -"})
EXPECTED_LINKS.update({c: "exit0*3" for c in ["verify", "list", "show", "add", "export"]})

TEMPLATE_OF = {"generator": "generator", "master": "master"}
CLI = {
    "verify": (["verify"], b""),
    "verify L": (["verify", "LOCATION"], b""),  # a backup folder, as DIR
    "list": (["list"], b"alpha\n"),
    "show": (["show", "Mail"], b"alpha\n"),
    "add": (["add"], b"alpha\nShop\ns\ncat\nc3\nc3\n"),
    "export": (["export", "--csv", "OUT"], b"alpha\n"),
    "export --force": (["export", "--csv", "OUT", "--force"], b"alpha\n"),
}
# What each operation may write when it succeeds.
WRITES = {"save": [f"{P}/lkdb1.lkd"], "append": [f"{P}/lkdb1.lkd"], "add": [f"{P}/lkdb1.lkd"],
          "generator": [f"{P}/lkdb0.lkd"], "master": [f"{P}/lkdb0.lkd"],
          "backup": [f"{L}/lkdb0.lkd", f"{L}/lkdb1.lkd"],
          "restore": [f"{P}/lkdb0.lkd", f"{P}/lkdb1.lkd"],
          "location": [f"{P}/BackupLocation.inf"],
          "export": ["out/export.csv"], "export --force": ["out/export.csv"]}
# The driver's login on the program folder: before the operation, and after
# it succeeded.
BOOK = ("alpha", "ok 0 Mail,Bank")
# A first start left before the master account: nobody can log in yet.
LOGIN_BEFORE = {"generator": ("alpha", "noaccount 0"), "master": ("alpha", "noaccount 0")}
LOGIN_AFTER = {"save": ("alpha", "ok 0 Shop,Mail"), "append": ("alpha", "ok 0 Mail,Bank,Shop"),
               "add": ("alpha", "ok 0 Mail,Bank,Shop"), "master": ("alpha", "ok 0"),
               "restore": ("bravo", "ok 0 Forum")}


def expand(text):
    cells = []
    for item in text.split():
        value, _, count = item.partition("*")
        cells += [value] * int(count or 1)
    return cells


def as_user():
    return ["setpriv", f"--reuid={USER}", f"--regid={USER}", "--clear-groups"] if AS_ROOT else []


def chown(path, uid):
    if AS_ROOT:
        os.lchown(path, uid, uid)


def write(path, data, uid, mode=0o644):
    with open(path, "wb") as f:
        f.write(data)
    os.chmod(path, mode)
    chown(path, uid)


def entry(path):
    """What stands at path, link not followed; None when nothing does."""
    try:
        st = os.lstat(path)
    except FileNotFoundError:
        return None
    mode = st.st_mode
    if stat.S_ISLNK(mode):
        what = ("link", os.readlink(path))
    elif stat.S_ISDIR(mode):
        what = ("folder",)
    elif stat.S_ISREG(mode):
        what = ("file", st.st_size if st.st_size > BIG else open(path, "rb").read())
    elif stat.S_ISFIFO(mode):
        what = ("fifo",)
    else:
        what = ("device", st.st_rdev)
    return what + (st.st_uid,)


def snapshot(root):
    """{relative path: (entry, mode, inode)} of every entry under root."""
    state = {}

    def walk(folder):
        for item in os.scandir(folder):
            rel = os.path.relpath(item.path, root)
            st = item.stat(follow_symlinks=False)
            state[rel] = (entry(item.path), stat.S_IMODE(st.st_mode), st.st_ino)
            if item.is_dir(follow_symlinks=False):
                walk(item.path)

    walk(root)
    return state


def is_own(rel):
    return rel in OWN or bool(TEMPORARY.match(rel))


def read_bounded(path, limit=64 * 1024):
    """The bytes of the regular file path leads to, None for anything else."""
    try:
        fd = os.open(path, os.O_RDONLY | os.O_NONBLOCK)
    except OSError:
        return None
    try:
        if not stat.S_ISREG(os.fstat(fd).st_mode):
            return None
        return os.read(fd, limit)
    finally:
        os.close(fd)


class Cell:
    """One operation run once on one prepared folder pair."""

    def __init__(self, table, op, name, thing, expected):
        self.table, self.op, self.name, self.thing, self.expected = table, op, name, thing, expected
        self.problems = []
        self.observed = ""
        self.hung = self.aborted = self.outside = False
        self.seconds = 0.0
        self.crafted = {}  # the temporaries a crafted marker names: rel -> "file" or "link"


class Runner:
    def __init__(self, driver, cli, work):
        self.work = work
        self.bin = os.path.join(work, "bin")
        os.mkdir(self.bin)
        self.driver = shutil.copy(driver, self.bin)
        self.cli = shutil.copy(cli, self.bin)
        self.templates = {}
        self.counter = itertools.count()
        self.cells = []

    # The prepared folders: the driver's pair, the user's files elsewhere
    # (home/), an export folder (out/), another disk (disk/), and a document
    # and a stand-in program beside the data files.
    def template(self, kind):
        if kind in self.templates:
            return self.templates[kind]
        root = os.path.join(self.work, "template-" + kind)
        os.mkdir(root)
        chown(root, USER)
        subprocess.run(as_user() + [self.driver, "prepare", kind, root], check=True)
        for folder in ["home", "home/docs", "out", "disk"]:
            os.mkdir(os.path.join(root, folder))
            chown(os.path.join(root, folder), USER)
        write(os.path.join(root, "home/.profile"), PROFILE, USER)
        write(os.path.join(root, "home/docs/letter.txt"), LETTER, USER)
        write(os.path.join(root, "home/genuine.pair"), self.genuine(), USER)
        for folder in [P, L]:
            write(os.path.join(root, folder, "notes.txt"), b"shopping: milk, bread\n", USER)
        write(os.path.join(root, P, "lockmere"), b"\x7fELF stand-in for the program\n", USER, 0o755)
        if AS_ROOT:
            # A shared backup folder: anyone may add files, only their owner
            # may remove or replace them.
            os.chown(os.path.join(root, L), 0, 0)
        os.chmod(os.path.join(root, L), 0o1777)
        self.templates[kind] = root
        return root

    @staticmethod
    def genuine():
        return f"forward\n{TEMP_KEY}\n{TEMP_STORE}\n".encode()

    def fresh(self, kind):
        cell = os.path.join(self.work, f"cell{next(self.counter)}")
        subprocess.run(["cp", "-a", self.template(kind), cell], check=True)
        return cell

    def run_op(self, op, cell):
        """Runs the operation as the user; returns (code, stdout, stderr) or raises
        TimeoutExpired."""
        if op in CLI:
            args, stdin = CLI[op]
            places = {"OUT": os.path.join(cell, "out/export.csv"), "LOCATION": os.path.join(cell, L)}
            args = [places.get(a, a) for a in args]
            folder = [] if "LOCATION" in CLI[op][0] else ["--folder", os.path.join(cell, P)]
            command = [self.cli] + folder + args
        else:
            command, stdin = [self.driver, "--report", op, cell], b""
        done = subprocess.run(as_user() + command, input=stdin, capture_output=True,
                              timeout=TIMEOUT)
        return (done.returncode, done.stdout.decode("utf-8", "replace"),
                done.stderr.decode("utf-8", "replace"))

    def login(self, cell, password):
        done = subprocess.run(as_user() + [self.driver, "--report", "login", cell, password],
                              capture_output=True, timeout=TIMEOUT)
        return done.stdout.decode("utf-8", "replace").strip()

    # Planting.
    def plant(self, cell, rel, thing, c):
        path = os.path.join(cell, rel)
        home = os.path.join(cell, "home")
        original = entry(path)
        if original is not None:
            shutil.rmtree(path) if original[0] == "folder" else os.unlink(path)
        data = original[1] if original and original[0] == "file" else FOREIGN
        folder = os.path.dirname(path)
        if thing == "file-link":
            os.symlink(os.path.join(home, ".profile"), path)
        elif thing == "dir-link":
            os.symlink(os.path.join(home, "docs"), path)
        elif thing == "dangling":
            os.symlink(os.path.join(home, "docs/missing.txt"), path)
        elif thing == "dev-zero":
            os.symlink("/dev/zero", path)
        elif thing == "fifo":
            os.mkfifo(path, 0o600)
        elif thing == "folder":
            os.mkdir(path, 0o700)
            write(os.path.join(path, "inside.txt"), b"kept in a folder of the user's\n", USER)
        elif thing == "sparse-3G":
            write(path, b"", USER, 0o600)
            os.truncate(path, 3 << 30)
        elif thing in ("other-0644", "other-0600"):
            write(path, data, OTHER, int(thing[-4:], 8))
        elif thing in MARKERS:
            self.plant_marker(cell, folder, path, thing, c)
        else:
            raise ValueError(thing)
        if os.path.lexists(path):
            chown(path, OTHER if thing in FOREIGN_COLUMNS else USER)

    def plant_marker(self, cell, folder, path, thing, c):
        home = os.path.join(cell, "home")
        # Real temporaries of the user's, holding another book: a marker
        # followed would put them in place.
        other = os.path.join(cell, L if folder.endswith(P) else P)
        for temp, data_name in [(TEMP_KEY, "lkdb0.lkd"), (TEMP_STORE, "lkdb1.lkd")]:
            temp_path = os.path.join(folder, temp)
            rel = os.path.relpath(temp_path, cell)
            if thing == "link-temps":
                target = "docs/letter.txt" if temp == TEMP_KEY else ".profile"
                os.symlink(os.path.join(home, target), temp_path)
                chown(temp_path, USER)
                c.crafted[rel] = "link"
            else:
                write(temp_path, open(os.path.join(other, data_name), "rb").read(), USER, 0o600)
                c.crafted[rel] = "file"
        genuine = self.genuine()
        texts = {
            "dotdot": b"forward\n../home/docs/letter.txt\n../home/.profile\n",
            "absolute": f"forward\n{home}/docs/letter.txt\n{home}/.profile\n".encode(),
            "not-temps": b"forward\nnotes.txt\nlockmere\n",
            "link-temps": genuine,
            "other-user": genuine,
            "garbage": bytes((i * 97 + 13) % 256 for i in range(300)),
            # Three whole lines, then more than the marker may hold.
            "huge": genuine + b"x" * 5000,
            "back": b"back\n\n\n",
        }
        if thing == "linked":
            os.symlink(os.path.join(home, "genuine.pair"), path)
        else:
            write(path, texts[thing], OTHER if thing == "other-user" else USER)

    def plant_links(self, cell, which):
        """Moves the program folder's data files to disk/ and links them back."""
        for data_name in (["lkdb0.lkd"] if which == "key" else ["lkdb1.lkd"] if which == "store"
                          else ["lkdb0.lkd", "lkdb1.lkd"]):
            src = os.path.join(cell, P, data_name)
            dst = os.path.join(cell, "disk", data_name)
            if not os.path.lexists(src):
                continue
            os.rename(src, dst)
            os.symlink(dst, src)
            chown(src, USER)

    # One cell.
    def trial(self, c):
        op = c.op
        kind = TEMPLATE_OF.get(op, "book")
        cell = self.fresh(kind)
        template = self.template(kind)
        rel = NAMES.get(c.name)
        if c.table == "links":
            self.plant_links(cell, c.thing)
        else:
            self.plant(cell, rel, c.thing, c)
        before = snapshot(cell)
        # The data files' links in P lead to the data files themselves: a
        # copy may narrow their mode.
        data_targets = set()
        for data_name in ["lkdb0.lkd", "lkdb1.lkd"]:
            link = os.path.join(cell, P, data_name)
            if os.path.islink(link):
                data_targets.add(os.path.relpath(os.path.realpath(link), cell))
        source = {n: read_bounded(os.path.join(cell, P, n)) for n in ["lkdb0.lkd", "lkdb1.lkd"]}
        started = time.monotonic()
        try:
            code, out, err = self.run_op(op, cell)
        except subprocess.TimeoutExpired:
            c.hung = True
            c.observed = "HUNG"
            c.problems.append(f"did not end within {TIMEOUT} s")
            self.finish(c, cell)
            return c
        c.seconds = time.monotonic() - started
        if code < 0 or code >= 128:
            c.aborted = True
            c.observed = f"SIG{-code}" if code < 0 else f"exit{code}"
            c.problems.append(f"ended by a signal or an abort ({code})")
            self.finish(c, cell)
            return c
        after = snapshot(cell)
        if op in CLI:
            token, detail = f"exit{code}", ""
            success = code == 0
            # A refusal names the file it met.
            if code in (1, 2) and rel and os.path.basename(rel) not in err:
                c.problems.append(f"its message does not name {os.path.basename(rel)}: {err!r}")
        else:
            words = (out.splitlines() or ["noreport"])[0].split(" ", 2)
            word, number = words[0], words[1] if len(words) > 1 else "?"
            token = word if number == "0" else word + number
            detail = words[2] if len(words) > 2 else ""
            success = word == "ok"
            if (code == 0) != (word in ("ok", "firstrun")):
                c.problems.append(f"exit {code} but reported {word}")
        c.observed = token
        if rel and c.table != "links" and (rel.endswith("lkdb.pair") or rel.endswith(".tmp")):
            c.observed += "/" + self.disposition(before.get(rel), after.get(rel))
        if c.observed != c.expected:
            c.problems.append(f"expected {c.expected}")

        self.check_outside(c, before, after, data_targets)
        self.check_own(c, cell, before, after, success, rel)
        self.check_effect(c, cell, before, after, success, out, detail, source)
        # The book opens, once the planted thing is gone and what it
        # displaced is back.
        if c.table != "links" and rel and after.get(rel) and before.get(rel) and \
                after[rel][2] == before[rel][2] and after[rel][0] == before[rel][0]:
            path = os.path.join(cell, rel)
            shutil.rmtree(path) if after[rel][0][0] == "folder" else os.unlink(path)
            if os.path.lexists(os.path.join(template, rel)):
                subprocess.run(["cp", "-a", os.path.join(template, rel), path], check=True)
        password, line = (LOGIN_AFTER if success else {}).get(op, LOGIN_BEFORE.get(op, BOOK))
        try:
            opened = self.login(cell, password)
        except subprocess.TimeoutExpired:
            opened = "HUNG"
        if opened != line:
            c.problems.append(f"the book then opens as {opened!r}, not {line!r}")
        self.finish(c, cell)
        return c

    @staticmethod
    def disposition(before, after):
        if after is None:
            return "gone"
        return "kept" if before and after[2] == before[2] and after[0] == before[0] else "changed"

    def check_outside(self, c, before, after, data_targets):
        for rel in sorted(set(before) | set(after)):
            if is_own(rel):
                continue
            b, a = before.get(rel), after.get(rel)
            if b is None:
                c.problems.append(f"created {rel}")
            elif a is None:
                c.problems.append(f"removed {rel}")
            elif a[0] != b[0]:
                c.problems.append(f"changed {rel}")
            elif a[1] != b[1] and rel not in data_targets:
                c.problems.append(f"changed the mode of {rel}")
            else:
                continue
            c.outside = True

    def check_own(self, c, cell, before, after, success, rel):
        writes = set(WRITES.get(c.op, []) if success else [])
        # A write through the user's link lands at its target; the link stays.
        for w in list(writes):
            link = before.get(w)
            if c.table == "links" and link and link[0][0] == "link" and c.op != "restore":
                writes.add(os.path.relpath(link[0][1], cell))
        for own in sorted(r for r in set(before) | set(after) if is_own(r)):
            b, a = before.get(own), after.get(own)
            if own == rel and (own.endswith("lkdb.pair") or own.endswith(".tmp")):
                continue  # its fate is in the cell
            if own in c.crafted:
                # Not followed: the user's regular temporaries go with the
                # marker, links and whatever a refused recovery met stay.
                gone = c.crafted[own] == "file" and after.get(rel) is None
                if self.disposition(b, a) != ("gone" if gone else "kept"):
                    c.problems.append(f"{own} {self.disposition(b, a)}, not "
                                      f"{'gone' if gone else 'kept'}")
                continue
            if own.endswith("lkdb.lock"):
                # A copy removes its lock file in the location, and takes and
                # removes a stale one of the user's; any other thing there stays.
                copy_lock = own == NAMES["L/lkdb.lock"] and c.op in ("backup", "restore")
                stale = b is not None and b[0][0] == "file" and b[0][-1] == USER
                if copy_lock and a is not None and (b is None or stale):
                    c.problems.append(f"left {own}")
                elif b is not None and not (copy_lock and stale) and \
                        (a is None or a[2] != b[2] or a[0] != b[0]):
                    c.problems.append(f"the lock file's {own} was replaced or changed")
                elif b is None and a is not None and (a[0][0] != "file" or a[0][-1] != USER):
                    c.problems.append(f"{own} was made as {a[0][0]}")
                continue
            if own.endswith("lkdb.pair") or TEMPORARY.match(own):
                if b is None and a is not None:
                    c.problems.append(f"left {own}")
                elif b is not None and (a is None or a[0] != b[0]):
                    c.problems.append(f"changed {own}")
                continue
            if own in writes:
                if c.table == "links" and b and b[0][0] == "link" and c.op != "restore":
                    if a is None or a[0] != b[0]:
                        c.problems.append(f"the user's link {own} was not kept")
                    continue
                if a is None or a[0][0] != "file" or a[0][-1] != USER or a[1] & 0o077:
                    c.problems.append(f"{own} is not the user's owner-only file after the write")
                continue
            if (a is None) != (b is None) or (a and a[0] != b[0]):
                c.problems.append(f"{'changed' if a else 'removed'} {own}" +
                                  ("" if success else " though the operation failed"))

    def check_effect(self, c, cell, before, after, success, out, detail, source):
        if not success:
            return
        op = c.op

        def content(rel):
            value = after.get(rel)
            return value[0][1] if value and value[0][0] == "file" else None

        if op == "generator":
            target = os.path.join(cell, P, "lkdb0.lkd")
            if read_bounded(target) != COLLECTED_A:
                c.problems.append("the key file does not hold the generator's 51 bytes")
        elif op == "backup":
            for data_name in ["lkdb0.lkd", "lkdb1.lkd"]:
                if content(f"{L}/{data_name}") != source[data_name]:
                    c.problems.append(f"L/{data_name} is not the program folder's")
        elif op == "restore":
            for data_name in ["lkdb0.lkd", "lkdb1.lkd"]:
                old = before.get(f"{L}/{data_name}")
                if old is None or content(f"{P}/{data_name}") != old[0][1]:
                    c.problems.append(f"P/{data_name} is not the location's")
        elif op == "location":
            if content(f"{P}/BackupLocation.inf") != b"/mnt/backup\r\n":
                c.problems.append("the location file does not hold the new location")
        elif op == "location-read":
            if detail != "/old/place":
                c.problems.append(f"read {detail!r} as the location")
        elif op == "login":
            if detail != "Mail,Bank":
                c.problems.append(f"the login listed {detail!r}")
        elif op == "verify":
            if "The book is whole: 2 records." not in out:
                c.problems.append(f"verify said {out!r}")
        elif op == "list":
            if out != "Bank\nMail\n":
                c.problems.append(f"list said {out!r}")
        elif op == "show":
            if "Application Name: Mail" not in out:
                c.problems.append(f"show said {out!r}")
        elif op.startswith("export"):
            csv = content("out/export.csv") or b""
            if b"Mail" not in csv or b"Bank" not in csv:
                c.problems.append("the export file does not hold the records")
        if c.table == "links":
            self.check_links(c, cell, before, after)

    def check_links(self, c, cell, before, after):
        """The user's links stay and lead to the data; a restore replaces them."""
        written = {"save": ["lkdb1.lkd"], "append": ["lkdb1.lkd"], "add": ["lkdb1.lkd"],
                   "generator": ["lkdb0.lkd"], "master": ["lkdb0.lkd"]}.get(c.op, [])
        for data_name in ["lkdb0.lkd", "lkdb1.lkd"]:
            link, target = f"{P}/{data_name}", f"disk/{data_name}"
            b = before.get(link)
            if not b or b[0][0] != "link":
                continue
            a, tb, ta = after.get(link), before.get(target), after.get(target)
            if c.op == "restore":
                # Set normal first, as any copy does: only the bytes count.
                if ta is None or ta[0] != tb[0]:
                    c.problems.append(f"the restore changed {target} behind the link")
            elif data_name in written:
                if ta is None or ta[0][0] != "file" or ta[0] == tb[0]:
                    c.problems.append(f"the write did not reach {target}")
            elif ta is None or ta[0] != tb[0]:
                c.problems.append(f"changed {target}")

    def finish(self, c, cell):
        shutil.rmtree(cell, ignore_errors=True)

    # The whole suite.
    def plan(self):
        cells = []
        for (op, name), text in EXPECTED.items():
            for thing, expected in zip(THINGS, expand(text)):
                cells.append(Cell("things", op, name, thing, expected))
        for (op, name), text in EXPECTED_MARKERS.items():
            for thing, expected in zip(MARKERS, expand(text)):
                cells.append(Cell("markers", op, name, thing, expected))
        for op, text in EXPECTED_LINKS.items():
            for thing, expected in zip(LINKED, expand(text)):
                if expected != "-":
                    cells.append(Cell("links", op, "", thing, expected))
        return cells

    def run(self):
        planned = self.plan()
        runnable = [c for c in planned if AS_ROOT or c.thing not in FOREIGN_COLUMNS]
        self.skipped = [c for c in planned if c not in runnable]
        for c in self.skipped:
            c.observed = "skip"
        for kind in ["book", "generator", "master"]:
            self.template(kind)
        with concurrent.futures.ThreadPoolExecutor(max_workers=(os.cpu_count() or 2) + 1) as pool:
            self.cells = list(pool.map(self.trial, runnable))
        self.cells += self.skipped

    @staticmethod
    def where(c):
        return " ".join(part for part in (c.op, c.name, c.thing) if part)

    def report(self):
        by_key = {(c.table, c.op, c.name, c.thing): c for c in self.cells}
        for table, columns, rows, title in [
            ("things", THINGS, list(EXPECTED), "planted things"),
            ("markers", MARKERS, list(EXPECTED_MARKERS), "crafted pair markers"),
            ("links", LINKED, [(op, "") for op in EXPECTED_LINKS], "the user's own links to "
                                                                     "another disk"),
        ]:
            width = 12 if table != "links" else 10
            print(f"\n== {title}")
            print(f"{'operation':15} {'name':19} " + " ".join(f"{c:>{width}}" for c in columns))
            for op, name in rows:
                cells = []
                for thing in columns:
                    c = by_key.get((table, op, name, thing))
                    text = "-" if c is None else c.observed + ("!" if c.problems else "")
                    cells.append(f"{text:>{width}}")
                print(f"{op:15} {name:19} " + " ".join(cells))
            # The columns that must stay 0.
            for label, flag in [("changed outside", "outside"), ("hung", "hung"),
                                ("aborted", "aborted")]:
                counts = [sum(getattr(c, flag) for c in self.cells
                              if c.table == table and c.thing == thing) for thing in columns]
                print(f"{label:35} " + " ".join(f"{n:>{width}}" for n in counts))
        ran = [c for c in self.cells if c not in self.skipped]
        faults = [c for c in ran if c.problems]
        print(f"\ntotal changed outside: {sum(c.outside for c in ran)}, hung: "
              f"{sum(c.hung for c in ran)}, aborted: {sum(c.aborted for c in ran)}")
        slowest = max(ran, key=lambda c: c.seconds)
        print(f"slowest operation: {slowest.seconds:.2f} s ({self.where(slowest)})")
        if self.skipped:
            print(f"not root: skipped {len(self.skipped)} cells with another user's files, and "
                  "the location is the user's own folder rather than a shared one")
        for c in faults:
            print(f"FAULT {self.where(c)}: got {c.observed}; " + "; ".join(c.problems))
        print(f"{len(ran) - len(faults)} passed, {len(faults)} failed"
              + (f", {len(self.skipped)} skipped" if self.skipped else ""))
        return not faults


def main():
    if len(sys.argv) != 3:
        sys.exit(__doc__)
    started = time.monotonic()
    work = tempfile.mkdtemp(prefix="lockmere-hostile-")
    os.chmod(work, 0o755)
    try:
        runner = Runner(os.path.abspath(sys.argv[1]), os.path.abspath(sys.argv[2]), work)
        runner.run()
        ok = runner.report()
    finally:
        shutil.rmtree(work, ignore_errors=True)
    print(f"hostile folders: {time.monotonic() - started:.0f} s")
    sys.exit(0 if ok else 1)


if __name__ == "__main__":
    main()
