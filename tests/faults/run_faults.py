#!/usr/bin/env python3
"""Runs every write operation of the core under strace with a failure or a
kill injected at each occurrence of each file-system call it makes, and
checks what is left on disk. Prints the outcome table; exits 1 on any fault.

Usage: run_faults.py DRIVER [OPERATION...]
"""
import collections
import concurrent.futures
import os
import re
import shutil
import subprocess
import sys
import tempfile

CALLS = ["openat", "read", "write", "fsync", "fdatasync", "close", "rename", "renameat",
         "renameat2", "unlink", "unlinkat", "stat", "lstat", "fstat", "newfstatat", "statx",
         "chmod", "fchmod", "fchmodat", "mkdir", "mkdirat", "flock", "fcntl"]
# The errors that make sense for each call; every call is also killed.
ERRORS = {
    "read": ["EIO", "EINTR"],
    "write": ["EIO", "ENOSPC", "EDQUOT", "EINTR"],
    "fsync": ["EIO", "ENOSPC"],
    "openat": ["EIO", "EACCES", "EINTR", "EDQUOT"],
    "rename": ["EIO", "EACCES", "ENOSPC"],
    "flock": ["EIO", "EINTR"],
    "fcntl": ["EIO", "EINTR"],
    "mkdir": ["EIO", "EACCES", "ENOSPC"],
    "close": ["EIO", "EINTR"],
}
ERRORS["fdatasync"] = ERRORS["fsync"]
ERRORS["renameat"] = ERRORS["renameat2"] = ERRORS["rename"]
ERRORS["mkdirat"] = ERRORS["mkdir"]
DEFAULT_ERRORS = ["EIO", "EACCES"]

OPERATIONS = ["save", "append", "generator", "master", "backup", "restore", "location"]
FILES = ["program/lkdb0.lkd", "program/lkdb1.lkd", "program/BackupLocation.inf",
         "location/lkdb0.lkd", "location/lkdb1.lkd"]
# The pair that must never be mixed, per operation.
PAIRS = {"backup": "location", "restore": "program"}
LEFTOVER = re.compile(r"\.tmp$|^lkdb\.pair$")
# A copy's lock file in the location goes with the copy; a kill leaves it
# to the next copy, which takes it and removes it.
COPY_LOCK = "location/lkdb.lock"


def snapshot(folder):
    state = {}
    for name in FILES:
        path = os.path.join(folder, name)
        state[name] = open(path, "rb").read() if os.path.isfile(path) else None
    return state


def leftovers(folder):
    found = []
    for sub in ("program", "location"):
        for entry in os.listdir(os.path.join(folder, sub)):
            if LEFTOVER.search(entry) or f"{sub}/{entry}" == COPY_LOCK:
                found.append(f"{sub}/{entry}")
    return found


class Runner:
    def __init__(self, driver, work):
        self.driver = driver
        self.work = work
        self.faults = []
        self.stale_locks = 0  # lock files left by a refused call and taken by the next copy
        self.table = collections.OrderedDict()
        self.templates = {}

    def fresh(self, operation):
        folder = tempfile.mkdtemp(dir=self.work)
        if operation not in self.templates:
            template = tempfile.mkdtemp(dir=self.work)
            subprocess.run([self.driver, "prepare", operation, template], check=True)
            self.templates[operation] = template
        shutil.copytree(self.templates[operation], folder, dirs_exist_ok=True)
        return folder

    def driver_run(self, operation, folder, inject=None):
        command = [self.driver, operation, folder]
        if inject:
            command = ["strace", "-f", "-qq", "-o", "/dev/null", "-e", "trace=" + inject[0],
                       "-e", "inject=" + inject[1]] + command
        return subprocess.run(command, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL).returncode

    def occurrences(self, operation):
        """How often each call occurs, and how often before the operation starts."""
        folder = self.fresh(operation)
        log = os.path.join(folder, "trace")
        subprocess.run(["strace", "-f", "-qq", "-o", log, "-e",
                        "trace=getppid," + ",".join(CALLS), self.driver, operation, folder],
                       check=True, stdout=subprocess.DEVNULL)
        before, total, started = collections.Counter(), collections.Counter(), False
        for line in open(log):
            match = re.match(r"^(?:\d+\s+)?(\w+)\(", line)
            if not match:
                continue
            call = match.group(1)
            if call == "getppid":
                started = True
                continue
            total[call] += 1
            if not started:
                before[call] += 1
        shutil.rmtree(folder)
        return before, total

    def check(self, operation, label, folder, old, new, status, killed, recovered=True):
        now = snapshot(folder)
        problems = []
        for name in FILES:
            if now[name] not in (old[name], new[name]):
                problems.append(f"{name} is neither old nor new")
        pair = PAIRS.get(operation)
        # Before its recovery a killed pair move may stand half done.
        if pair and recovered:
            key, store = f"{pair}/lkdb0.lkd", f"{pair}/lkdb1.lkd"
            is_new = [now[f] == new[f] and new[f] != old[f] for f in (key, store)]
            is_old = [now[f] == old[f] and new[f] != old[f] for f in (key, store)]
            if (is_new[0] and is_old[1]) or (is_old[0] and is_new[1]):
                problems.append("the pair is mixed")
        changed = now != old
        if not killed:
            if (status != 0) == changed and old != new:
                problems.append(f"exit {status} but files {'changed' if changed else 'unchanged'}")
            left = leftovers(folder)
            # A marker whose removal failed after both files were in place
            # only asks the next recovery to finish a finished move.
            if left == [f"{pair}/lkdb.pair"] and status == 0 and now == new:
                left = []
            # Where the system refused the lock file's own calls (its lock,
            # its removal), it stays as after a kill, for the next copy.
            if left == [COPY_LOCK] and self.rerun_clears(operation, folder):
                self.stale_locks += 1
                left = []
            if left:
                problems.append("left " + ", ".join(left))
        for problem in problems:
            self.faults.append(f"{operation} {label}: {problem}")
        return changed

    def rerun_clears(self, operation, folder):
        """The operation runs again without a fault and leaves nothing."""
        scratch = tempfile.mkdtemp(dir=self.work)
        shutil.copytree(folder, scratch, dirs_exist_ok=True)
        cleared = self.driver_run(operation, scratch) == 0 and not leftovers(scratch)
        shutil.rmtree(scratch)
        return cleared

    def trial(self, operation, call, when, how):
        folder = self.fresh(operation)
        old, new = self.old[operation], self.new[operation]
        killed = how == "KILL"
        injection = f"{call}:{'signal=KILL' if killed else 'error=' + how}:when={when}"
        status = self.driver_run(operation, folder, (call, injection))
        label = f"{call}#{when} {how}"
        changed = self.check(operation, label, folder, old, new, status, killed, recovered=not killed)
        if killed:
            # What the next start and the next copy make of it; then the
            # operation again must succeed.
            self.driver_run("tidy", folder)
            after = self.check(operation, label + " recovered", folder, old, new, 0, True)
            if [left for left in leftovers(folder) if left != COPY_LOCK]:
                self.faults.append(f"{operation} {label}: left " + ", ".join(leftovers(folder)))
            done = snapshot(folder) == new
            outcome = "killed, new" if done else "killed, old" if not after else "killed, MIXED"
            # Once done, an append appends again; only its success counts then.
            if self.driver_run(operation, folder) != 0 or (not done and snapshot(folder) != new):
                self.faults.append(f"{operation} {label}: the operation run again failed")
            elif leftovers(folder):
                self.faults.append(f"{operation} {label}: the operation run again left " +
                                   ", ".join(leftovers(folder)))
        elif status == 0:
            outcome = "succeeded"
        else:
            outcome = "failed, CHANGED" if changed else "failed, unchanged"
        shutil.rmtree(folder)
        return (operation, call), outcome

    def run(self, operations):
        self.new, self.old = {}, {}
        trials = []
        for operation in operations:
            folder = self.fresh(operation)
            self.old[operation] = snapshot(folder)
            if self.driver_run(operation, folder) != 0:
                self.faults.append(f"{operation}: fails without any fault")
            self.new[operation] = snapshot(folder)
            shutil.rmtree(folder)
            before, total = self.occurrences(operation)
            for call in CALLS:
                for when in range(before[call] + 1, total[call] + 1):
                    for how in ERRORS.get(call, DEFAULT_ERRORS) + ["KILL"]:
                        trials.append((operation, call, when, how))
        with concurrent.futures.ThreadPoolExecutor(max_workers=os.cpu_count() or 2) as pool:
            for key, outcome in pool.map(lambda t: self.trial(*t), trials):
                self.table.setdefault(key, collections.Counter())[outcome] += 1

    def report(self):
        columns = ["failed, unchanged", "failed, CHANGED", "succeeded", "killed, old",
                   "killed, new", "killed, MIXED"]
        print(f"{'operation':10} {'call':11} " + " ".join(f"{c:>17}" for c in columns))
        runs = 0
        for (operation, call), row in self.table.items():
            runs += sum(row.values())
            print(f"{operation:10} {call:11} " + " ".join(f"{row[c]:>17}" for c in columns))
        print(f"{runs} runs, {len(self.faults)} faults; {self.stale_locks} refused calls left "
              "a copy's lock file, which the next copy took and removed")
        for fault in self.faults:
            print("FAULT", fault)


def main():
    if len(sys.argv) < 2:
        sys.exit(__doc__)
    driver = os.path.abspath(sys.argv[1])
    with tempfile.TemporaryDirectory() as work:
        runner = Runner(driver, work)
        runner.run(sys.argv[2:] or OPERATIONS)
        runner.report()
    sys.exit(1 if runner.faults else 0)


if __name__ == "__main__":
    main()
