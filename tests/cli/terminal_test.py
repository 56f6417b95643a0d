"""The terminal side: prompts on the terminal, passwords without echo.

The executable gets a pseudo-terminal as its controlling terminal and
standard input, and pipes as standard output and error, so the test sees
apart what the terminal shows and what the program prints.
"""

import fcntl
import os
import pty
import select
import shlex
import signal
import subprocess
import termios
import time
import unittest

import cli_harness as h
from cli_harness import book

PASSWORD = "secret"


class Terminal:
    def __init__(self, folder, *args, ignored=(), command=None):
        self.master, self.slave = pty.openpty()

        def prepare():
            fcntl.ioctl(0, termios.TIOCSCTTY, 0)
            for number in ignored:  # as a parent that ignores them leaves them
                signal.signal(number, signal.SIG_IGN)

        self.proc = subprocess.Popen(
            command or h.command("--folder", folder.path, *args), stdin=self.slave,
            stdout=self.slave if command else subprocess.PIPE,
            stderr=self.slave if command else subprocess.PIPE,
            start_new_session=True, preexec_fn=prepare)
        self.shown = b""  # everything the terminal displayed

    def wait_for(self, text):
        deadline = time.monotonic() + 10
        while text.encode() not in self.shown:
            if time.monotonic() > deadline:
                raise AssertionError(f"{text!r} never shown; the terminal shows {self.shown!r}")
            if select.select([self.master], [], [], 0.1)[0]:
                self.shown += os.read(self.master, 4096)

    def type(self, text):
        os.write(self.master, text.encode())

    def shows_from(self, start, text):
        self.wait_for(text)
        return text.encode() in self.shown[start:]

    def finish(self):
        out, err = self.proc.communicate(timeout=10)
        while select.select([self.master], [], [], 0.2)[0]:
            try:
                self.shown += os.read(self.master, 4096)
            except OSError:
                break
        return self.proc.returncode, out.decode(), err.decode()

    def echo_on(self):
        return bool(termios.tcgetattr(self.slave)[3] & termios.ECHO)

    def close(self):
        if self.proc.poll() is None:
            self.proc.kill()
            self.proc.wait()
        for stream in (self.proc.stdout, self.proc.stderr):
            if stream:
                stream.close()
        os.close(self.master)
        os.close(self.slave)


@unittest.skipIf(h.ON_WINE, "needs a terminal of this system")
class Prompts(unittest.TestCase):
    def terminal(self, folder, *args, **options):
        t = Terminal(folder, *args, **options)
        self.addCleanup(t.close)
        return t

    def test_the_master_password_is_typed_without_echo(self):
        with h.Folder(book.files("me", PASSWORD, [("Mail", "N/A", "ann", "pw")])) as f:
            t = self.terminal(f, "list")
            t.wait_for("Master password: ")
            t.type(PASSWORD + "\n")
            code, out, err = t.finish()
            self.assertEqual((code, out, err), (0, "Mail\n", ""))
            # The Enter moves to the next line; the password never shows.
            self.assertEqual(t.shown, b"Master password: \r\n")
            self.assertTrue(t.echo_on())

    def test_add_asks_in_order_and_hides_only_the_passwords(self):
        with h.Folder(book.files("me", PASSWORD, [])) as f:
            t = self.terminal(f, "add")
            for prompt, answer in (("Master password: ", PASSWORD),
                                   ("Application Name: ", "New"),
                                   ("Application URL: ", "N/A"),
                                   ("User Name: ", "ann"),
                                   ("Password: ", "pw-typed"),
                                   ("Confirm Password: ", "pw-typed")):
                t.wait_for(prompt)
                t.type(answer + "\n")
            code, out, err = t.finish()
            self.assertEqual((code, out, err), (0, 'Added "New".\n', ""))
            self.assertEqual(t.shown, b"Master password: \r\nApplication Name: New\r\n"
                                      b"Application URL: N/A\r\nUser Name: ann\r\n"
                                      b"Password: \r\nConfirm Password: \r\n")
            self.assertEqual(book.decode_store(f.read(book.STORE), book.KEY),
                             [("New", "N/A", "ann", "pw-typed")])

    def test_add_generate_asks_no_password(self):
        with h.Folder(book.files("me", PASSWORD, [])) as f:
            t = self.terminal(f, "add", "--generate")
            for prompt, answer in (("Master password: ", PASSWORD), ("Application Name: ", "New"),
                                   ("Application URL: ", "N/A"), ("User Name: ", "ann")):
                t.wait_for(prompt)
                t.type(answer + "\n")
            code, out, err = t.finish()
            self.assertEqual((code, err), (0, ""))
            self.assertEqual(t.shown, b"Master password: \r\nApplication Name: New\r\n"
                                      b"Application URL: N/A\r\nUser Name: ann\r\n")
            generated = out.split("\n")[1]
            self.assertEqual(out, f'Added "New".\n{generated}\n')
            self.assertEqual(book.decode_store(f.read(book.STORE), book.KEY),
                             [("New", "N/A", "ann", generated)])

    def add_until_the_confirmation(self, f):
        """An add answered up to the password's confirmation, which it then waits for."""
        t = self.terminal(f, "add")
        for prompt, answer in (("Master password: ", PASSWORD), ("Application Name: ", "New"),
                               ("Application URL: ", "N/A"), ("User Name: ", "ann"),
                               ("Password: ", "pw")):
            t.wait_for(prompt)
            t.type(answer + "\n")
        t.wait_for("Confirm Password: ")
        return t

    def test_add_holds_the_folders_lock_only_for_the_write(self):
        with h.Folder(book.files("me", PASSWORD, [])) as f:
            before = f.read(book.STORE)
            t = self.add_until_the_confirmation(f)
            # Free while the user types; the windowed program starts meanwhile.
            with open(f.path / "lkdb.lock", "a") as lock:
                fcntl.flock(lock, fcntl.LOCK_EX | fcntl.LOCK_NB)
                t.type("pw\n")
                code, out, err = t.finish()
            self.assertEqual((code, out), (1, ""))
            self.assertIn("Lockmere is running from this folder", err)
            self.assertEqual(f.read(book.STORE), before)

    def test_add_writes_nothing_into_a_book_changed_while_the_answers_are_typed(self):
        # The files are checked again under the lock, just before the write.
        other = book.key_file("me", PASSWORD, bytes(range(31, 82)))
        changes = [
            ("restored from another book", lambda f: (f.path / book.KEY_FILE).write_bytes(other)),
            ("a copy into it unfinished", lambda f: (f.path / "lkdb.pair").write_bytes(b"forward\n")),
        ]
        for what, change in changes:
            with self.subTest(what), h.Folder(book.files("me", PASSWORD, [])) as f:
                t = self.add_until_the_confirmation(f)
                change(f)
                before = f.snapshot()
                t.type("pw\n")
                code, out, err = t.finish()
                self.assertEqual((code, out), (2, ""))
                self.assertIn("changed while the answers were typed", err)
                self.assertEqual({k: v for k, v in f.snapshot().items() if k != "lkdb.lock"},
                                 {k: v for k, v in before.items() if k != "lkdb.lock"})

    @unittest.skipUnless(os.environ.get("LOCKMERE_CLI_HARDENED") == "1", "a build not hardened")
    def test_no_core_file_while_the_password_is_asked(self):
        with h.Folder(book.files("me", PASSWORD, [])) as f:
            t = self.terminal(f, "list")
            t.wait_for("Master password: ")
            with open(f"/proc/{t.proc.pid}/limits") as limits:
                core = next(line for line in limits if line.startswith("Max core file size"))
            self.assertEqual(core.split()[4:6], ["0", "0"])

    def test_echo_comes_back_before_a_signal_ends_the_password(self):
        typed = {signal.SIGINT: "\x03", signal.SIGQUIT: "\x1c"}  # Ctrl-C, Ctrl-backslash
        # Every signal whose default action ends the program and that can be caught.
        ending = (signal.SIGHUP, signal.SIGINT, signal.SIGQUIT, signal.SIGTERM, signal.SIGPIPE,
                  signal.SIGALRM, signal.SIGUSR1, signal.SIGUSR2, signal.SIGPROF,
                  signal.SIGVTALRM, signal.SIGXCPU, signal.SIGXFSZ, signal.SIGIO, signal.SIGPWR,
                  signal.SIGSYS, signal.SIGTRAP, signal.SIGABRT, signal.SIGSTKFLT, signal.SIGSEGV,
                  signal.SIGBUS, signal.SIGFPE, signal.SIGILL, signal.SIGRTMIN,
                  signal.SIGRTMIN + 7, signal.SIGRTMAX)
        # A sanitized build's own handlers would end the faults with an abort
        # of theirs: the program's handling is what is tested.
        asan = os.environ.get("ASAN_OPTIONS", "")
        os.environ["ASAN_OPTIONS"] = asan + ":handle_segv=0:handle_sigbus=0:handle_sigfpe=0" \
                                            ":handle_sigill=0"
        self.addCleanup(os.environ.__setitem__, "ASAN_OPTIONS", asan)
        for number in ending:
            name = signal.Signals(number).name if number in signal.Signals._value2member_map_ \
                else f"SIGRTMIN+{number - signal.SIGRTMIN}"
            with self.subTest(name), h.Folder(book.files("me", PASSWORD, [])) as f:
                t = self.terminal(f, "list")
                t.wait_for("Master password: ")
                self.assertFalse(t.echo_on())
                if number in typed:
                    t.type(typed[number])
                else:
                    t.proc.send_signal(number)
                code, out, _ = t.finish()
                self.assertEqual((code, out), (-number, ""))
                self.assertTrue(t.echo_on())

    def test_every_stop_shows_echo_to_the_shell_and_fg_hides_it_again(self):
        # Stops reach a job of a shell with job control, as the user has it:
        # Ctrl-Z's SIGTSTP, and SIGTTIN and SIGTTOU, which reading or setting
        # the terminal from the background sends.
        for number in (signal.SIGTTIN, signal.SIGTTOU, signal.SIGTSTP):
            with self.subTest(signal.Signals(number).name), \
                    h.Folder(book.files("me", PASSWORD, [("Mail", "N/A", "ann", "pw")])) as f:
                t = self.shell()
                self.run_list(t, f)
                t.wait_for("Master password: ")
                self.assertFalse(t.echo_on())
                with open(f"/proc/{t.proc.pid}/task/{t.proc.pid}/children") as children:
                    [job] = [int(pid) for pid in children.read().split()]
                os.kill(job, number)
                t.wait_for("Stopped")
                self.assert_shell_echoes(t)
                t.type("fg\n")
                time.sleep(0.5)
                self.assertFalse(t.echo_on())
                self.answer_unseen(t)
                t.type("exit\n")

    def test_started_in_the_background_it_waits_with_echo_on_until_fg(self):
        # Setting the terminal from the background stops it (SIGTTOU) first.
        with h.Folder(book.files("me", PASSWORD, [("Mail", "N/A", "ann", "pw")])) as f:
            t = self.shell()
            self.run_list(t, f, " &")
            time.sleep(0.5)
            start = len(t.shown)
            t.type("jobs\n")
            self.assertTrue(t.shows_from(start, "Stopped"))
            self.assertTrue(t.shows_from(start, "jobs"))
            t.type("fg\n")
            t.wait_for("Master password: ")
            time.sleep(0.3)
            self.assertFalse(t.echo_on())
            self.answer_unseen(t)
            # The terminal as the program left it, which the shell keeps.
            start = len(t.shown)
            t.type("stty -a; echo settings-shown\n")
            self.assertTrue(t.shows_from(start, "settings-shown\r\n"))
            self.assertIn(b" echo ", t.shown[start:].replace(b"\r\n", b" "))
            t.type("exit\n")

    def test_a_signal_the_parent_ignores_changes_nothing(self):
        with h.Folder(book.files("me", PASSWORD, [("Mail", "N/A", "ann", "pw")])) as f:
            t = self.terminal(f, "list", ignored=(signal.SIGINT, signal.SIGTSTP))
            t.wait_for("Master password: ")
            t.type("\x03\x1a")  # Ctrl-C, Ctrl-Z
            time.sleep(0.3)
            self.assertIsNone(t.proc.poll())
            self.assertFalse(t.echo_on())
            t.type(PASSWORD + "\n")
            self.assertEqual(t.finish(), (0, "Mail\n", ""))
            self.assertNotIn(PASSWORD.encode(), t.shown)

    def shell(self):
        """An interactive shell with job control on its own terminal."""
        t = Terminal(None, command=["bash", "--norc", "--noprofile", "-i"])
        self.addCleanup(t.close)
        t.type("PS1='ready> '\n")
        t.wait_for("ready> ")
        return t

    @staticmethod
    def run_list(t, f, suffix=""):
        """Types list's command line into the shell."""
        t.type(" ".join(shlex.quote(str(a)) for a in h.command("--folder", f.path, "list")) +
               suffix + "\n")

    def assert_shell_echoes(self, t):
        start = len(t.shown)
        t.type("echo shell-sees-this\n")
        self.assertTrue(t.shows_from(start, "echo shell-sees-this"))

    def answer_unseen(self, t):
        """Types the password at the waiting prompt: the list comes, the
        password is not shown."""
        start = len(t.shown)
        t.type(PASSWORD + "\n")
        t.wait_for("Mail")
        self.assertNotIn(PASSWORD.encode(), t.shown[start:])

    def test_ctrl_z_shows_echo_to_the_shell_and_fg_hides_it_again(self):
        with h.Folder(book.files("me", PASSWORD, [("Mail", "N/A", "ann", "pw")])) as f:
            t = self.shell()
            self.run_list(t, f)
            t.wait_for("Master password: ")
            t.type("\x1a")
            t.wait_for("Stopped")
            self.assert_shell_echoes(t)
            t.type("fg\n")
            time.sleep(0.5)
            self.answer_unseen(t)
            t.type("exit\n")


if __name__ == "__main__":
    h.main()
