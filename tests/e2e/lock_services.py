"""Stand-ins for the desktop services that tell a program its user walked
away, on the private buses of a test (buses.py starts it):

- on the bus standing in for the system bus, the login manager
  org.freedesktop.login1: GetSession, GetSessionByPID and Inhibit, the
  signal PrepareForSleep, and session objects c1, c2 and auto, each with
  the signal Lock;
- on the session bus, the screen savers org.freedesktop.ScreenSaver (at
  /org/freedesktop/ScreenSaver and /ScreenSaver), org.gnome.ScreenSaver and
  org.xfce.ScreenSaver with ActiveChanged, the session manager's presence
  (org.gnome.SessionManager.Presence.StatusChanged), and an impostor: a
  second connection that owns none of these names.

Usage: lock_services.py SYSTEM_ADDRESS SESSION_ADDRESS LOOKUP
LOOKUP says which session look-ups the login manager answers:
  "answer"    GetSession("c1") and GetSessionByPID(the caller's own pid) give c1;
  "by-pid"    GetSession fails, GetSessionByPID as above;
  "none"      both fail;
  "silent"    no method of the login manager ever answers.

It prints "ready" once every name is owned, then reads one command a line
from standard input and answers each with one JSON line:
  lock SESSION            Lock from that session's object
  sleep 0|1               PrepareForSleep(false|true)
  active PATH 0|1         ActiveChanged from the screen saver at PATH
  impostor PATH           ActiveChanged(true) at PATH from the impostor
  presence STATUS         StatusChanged(STATUS)
  state                   {"calls": [...], "taken": n, "held": n}: the login
                          manager's calls so far, the inhibitors taken and
                          those still held by their taker
It ends when its standard input closes.
"""

import json
import os
import sys

import dbus
import dbus.bus
import dbus.service
from dbus.mainloop.glib import DBusGMainLoop
from gi.repository import GLib

LOGIN = "org.freedesktop.login1"
MANAGER_PATH = "/org/freedesktop/login1"
MANAGER = "org.freedesktop.login1.Manager"
SESSION = "org.freedesktop.login1.Session"
SESSIONS = ("c1", "c2", "auto")
SAVERS = {  # path: service, which is also the signal's interface
    "/org/freedesktop/ScreenSaver": "org.freedesktop.ScreenSaver",
    "/ScreenSaver": "org.freedesktop.ScreenSaver",
    "/org/gnome/ScreenSaver": "org.gnome.ScreenSaver",
    "/org/xfce/ScreenSaver": "org.xfce.ScreenSaver",
}
PRESENCE = "org.gnome.SessionManager"
PRESENCE_PATH = "/org/gnome/SessionManager/Presence"


def session_path(name):
    return f"{MANAGER_PATH}/session/{name}"


class Session(dbus.service.Object):
    @dbus.service.signal(SESSION)
    def Lock(self):
        pass


class Manager(dbus.service.Object):
    def __init__(self, bus, lookup):
        super().__init__(bus, MANAGER_PATH)
        self.bus = bus
        self.lookup = lookup
        self.calls = []
        self.taken = 0
        self.held = set()  # read ends of the pipes whose write ends were handed out

    def _pid_of(self, sender):
        daemon = dbus.Interface(self.bus.get_object("org.freedesktop.DBus", "/org/freedesktop/DBus"),
                                "org.freedesktop.DBus")
        return int(daemon.GetConnectionUnixProcessID(sender))

    @dbus.service.method(MANAGER, in_signature="s", out_signature="o",
                         async_callbacks=("reply", "error"))
    def GetSession(self, session_id, reply, error):
        self.calls.append(f"GetSession {session_id}")
        if self.lookup == "silent":
            return
        if self.lookup == "answer" and session_id == "c1":
            reply(dbus.ObjectPath(session_path("c1")))
        else:
            error(dbus.DBusException("no such session", name=f"{LOGIN}.NoSuchSession"))

    @dbus.service.method(MANAGER, in_signature="u", out_signature="o", sender_keyword="sender",
                         async_callbacks=("reply", "error"))
    def GetSessionByPID(self, pid, sender, reply, error):
        own = int(pid) == self._pid_of(sender)
        self.calls.append("GetSessionByPID " + ("own pid" if own else str(pid)))
        if self.lookup == "silent":
            return
        if self.lookup in ("answer", "by-pid") and own:
            reply(dbus.ObjectPath(session_path("c1")))
        else:
            error(dbus.DBusException("no session for that process", name=f"{LOGIN}.NoSessionForPID"))

    @dbus.service.method(MANAGER, in_signature="ssss", out_signature="h",
                         async_callbacks=("reply", "error"))
    def Inhibit(self, what, who, why, mode, reply, error):
        self.calls.append(f"Inhibit {what} {mode}")
        if self.lookup == "silent":
            return
        read_end, write_end = os.pipe()
        handed = dbus.types.UnixFd(write_end)  # a copy of its own
        os.close(write_end)
        self.taken += 1
        self.held.add(read_end)
        GLib.io_add_watch(read_end, GLib.PRIORITY_DEFAULT, GLib.IO_HUP | GLib.IO_ERR,
                          self._released)
        reply(handed)

    def _released(self, read_end, condition):
        self.held.discard(read_end)
        os.close(read_end)
        return False

    @dbus.service.signal(MANAGER, signature="b")
    def PrepareForSleep(self, starting):
        pass


def screen_saver(interface):
    class ScreenSaver(dbus.service.Object):
        @dbus.service.signal(interface, signature="b")
        def ActiveChanged(self, active):
            pass
    return ScreenSaver


class Presence(dbus.service.Object):
    @dbus.service.signal(f"{PRESENCE}.Presence", signature="u")
    def StatusChanged(self, status):
        pass


def main():
    system_address, session_address, lookup = sys.argv[1:4]
    DBusGMainLoop(set_as_default=True)
    system = dbus.bus.BusConnection(system_address)
    session = dbus.bus.BusConnection(session_address)
    impostor = dbus.bus.BusConnection(session_address)

    # Each name is owned while its BusName lives: until main() returns.
    names = [dbus.service.BusName(LOGIN, system)]
    manager = Manager(system, lookup)
    sessions = {name: Session(system, session_path(name)) for name in SESSIONS}
    for service in set(SAVERS.values()) | {PRESENCE}:
        names.append(dbus.service.BusName(service, session))
    savers = {path: screen_saver(service)(session, path) for path, service in SAVERS.items()}
    impostors = {path: screen_saver(service)(impostor, path) for path, service in SAVERS.items()}
    presence = Presence(session, PRESENCE_PATH)

    def run(words):
        match words:
            case ["lock", name]:
                sessions[name].Lock()
            case ["sleep", starting]:
                manager.PrepareForSleep(starting == "1")
            case ["active", path, active]:
                savers[path].ActiveChanged(active == "1")
            case ["impostor", path]:
                impostors[path].ActiveChanged(True)
            case ["presence", status]:
                presence.StatusChanged(dbus.UInt32(int(status)))
            case ["state"]:
                return {"calls": manager.calls, "taken": manager.taken, "held": len(manager.held)}
            case _:
                return {"error": f"unknown command: {' '.join(words)}"}
        return {"done": " ".join(words)}

    loop = GLib.MainLoop()
    pending = b""

    def command(source, condition):
        nonlocal pending
        chunk = os.read(source, 4096)
        if not chunk:
            loop.quit()
            return False
        pending += chunk
        while b"\n" in pending:
            line, pending = pending.split(b"\n", 1)
            print(json.dumps(run(line.decode().split())), flush=True)
        return True

    GLib.io_add_watch(sys.stdin.fileno(), GLib.PRIORITY_DEFAULT, GLib.IO_IN | GLib.IO_HUP, command)
    print("ready", flush=True)
    loop.run()


if __name__ == "__main__":
    main()
