"""Private D-Bus buses for end-to-end tests: one standing in for the system
bus and one session bus, each a dbus-daemon with a configuration file of
the test's own (never the machine's buses), and on them the stand-in
services of lock_services.py, driven line by line.

    with buses.Buses() as b:
        services = b.services("answer")
        with harness.Session(files, environment=b.environment(XDG_SESSION_ID="c1")) as s:
            ...
            services.command("lock c1")
            services.state()  # {"calls": [...], "taken": 1, "held": 1}

Leaving the block ends the services and the buses and removes their folder.
"""

import json
import os
import select
import shutil
import subprocess
import sys
import tempfile
import time

from lockmere_testing import harness

HERE = os.path.dirname(os.path.abspath(__file__))

CONFIG = """<!DOCTYPE busconfig PUBLIC "-//freedesktop//DTD D-Bus Bus Configuration 1.0//EN"
 "http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd">
<busconfig>
  <type>{kind}</type>
  <listen>unix:path={socket}</listen>
  <auth>EXTERNAL</auth>
  <policy context="default">
    <allow send_destination="*" eavesdrop="true"/>
    <allow eavesdrop="true"/>
    <allow own="*"/>
  </policy>
</busconfig>
"""


def _read_line(stream, what, timeout=harness.TIMEOUT):
    deadline = time.monotonic() + timeout
    line = b""
    while not line.endswith(b"\n"):
        left = deadline - time.monotonic()
        if left <= 0 or not select.select([stream], [], [], left)[0]:
            raise harness.Failure(f"no answer from {what} within {timeout} s")
        chunk = os.read(stream.fileno(), 1)
        if not chunk:
            raise harness.Failure(f"{what} ended")
        line += chunk
    return line.decode().strip()


def _python_with_dbus():
    """The stand-ins need python3-dbus and python3-gi, which the system's
    python has (scripts/deps test installs them)."""
    for python in (sys.executable, "/usr/bin/python3"):
        if subprocess.run([python, "-c", "import dbus, gi"], capture_output=True).returncode == 0:
            return python
    raise RuntimeError("no python3 with dbus and gi: install python3-dbus and python3-gi")


class Services:
    """The stand-ins' process; each command gets its JSON answer."""

    def __init__(self, process):
        self.process = process

    def command(self, line):
        self.process.stdin.write(line.encode() + b"\n")
        self.process.stdin.flush()
        answer = json.loads(_read_line(self.process.stdout, "the stand-in services"))
        if "error" in answer:
            raise harness.Failure(answer["error"])
        return answer

    def state(self):
        return self.command("state")


class Buses:
    def __enter__(self):
        self.root = tempfile.mkdtemp(prefix="lockmere-buses-")
        self.processes = []
        try:
            self.system = self._bus("system")
            self.session = self._bus("session")
        except BaseException:
            self.__exit__(*sys.exc_info())
            raise
        return self

    def __exit__(self, kind, error, trace):
        for process in reversed(self.processes):
            if process.stdin:
                process.stdin.close()  # the services end with their input
            else:
                process.terminate()
            try:
                process.wait(2)
            except subprocess.TimeoutExpired:
                process.kill()
                process.wait()
        shutil.rmtree(self.root, ignore_errors=True)
        return False

    def _bus(self, kind):
        config = os.path.join(self.root, kind + ".conf")
        with open(config, "w") as f:
            f.write(CONFIG.format(kind=kind, socket=os.path.join(self.root, kind + "-bus")))
        daemon = subprocess.Popen(
            ["dbus-daemon", "--nofork", "--config-file=" + config, "--print-address=1"],
            stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, preexec_fn=harness.die_with_parent)
        self.processes.append(daemon)
        return _read_line(daemon.stdout, f"the {kind} bus")

    def environment(self, **more):
        """The program's environment for these buses, with more variables."""
        return {"DBUS_SYSTEM_BUS_ADDRESS": self.system, "DBUS_SESSION_BUS_ADDRESS": self.session,
                **more}

    def services(self, lookup):
        """Starts the stand-ins; `lookup` as lock_services.py takes it."""
        process = subprocess.Popen(
            [_python_with_dbus(), os.path.join(HERE, "lock_services.py"), self.system,
             self.session, lookup],
            stdin=subprocess.PIPE, stdout=subprocess.PIPE, preexec_fn=harness.die_with_parent)
        self.processes.append(process)
        ready = _read_line(process.stdout, "the stand-in services")
        if ready != "ready":
            raise harness.Failure(f"the stand-in services said {ready!r}")
        return Services(process)
