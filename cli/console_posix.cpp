#include "cli/console.h"

#include <fcntl.h>
#include <termios.h>
#include <unistd.h>

#include <signal.h>

#include <cerrno>
#include <iterator>
#include <system_error>

namespace lockmere::cli {

namespace {

// Echo is off exactly while a secret is read, on every path: a signal that
// ends the program turns it back on first, a stop (Ctrl-Z, or reading or
// writing the terminal from the background) turns it on for the shell and
// off again when the prompt continues. A signal the parent ignores stays
// ignored.
termios savedSettings;
termios quietSettings;
volatile sig_atomic_t reading = 0;
struct sigaction previousActions[NSIG];

// Every signal whose default action ends or stops the program and that can
// be caught (SIGKILL and SIGSTOP cannot): the standard ones, the faults,
// and the real-time signals.
std::vector<int> HandledSignals() {
    std::vector<int> handled{SIGHUP,  SIGINT,  SIGQUIT, SIGILL,  SIGTRAP,   SIGABRT,
                             SIGBUS,  SIGFPE,  SIGUSR1, SIGSEGV, SIGUSR2,   SIGPIPE,
                             SIGALRM, SIGTERM, SIGXCPU, SIGXFSZ, SIGVTALRM, SIGPROF,
                             SIGIO,   SIGSYS,  SIGTSTP, SIGTTIN, SIGTTOU};
#ifdef SIGSTKFLT
    handled.push_back(SIGSTKFLT);
#endif
#ifdef SIGPWR
    handled.push_back(SIGPWR);
#endif
    for (int signal = SIGRTMIN; signal <= SIGRTMAX; ++signal) handled.push_back(signal);
    return handled;
}

void SetEcho(bool on) {
    // async-signal-safe: tcsetattr only
    tcsetattr(STDIN_FILENO, TCSANOW, on ? &savedSettings : &quietSettings);
}

void Unblock(int signal) {
    sigset_t set;
    sigemptyset(&set);
    sigaddset(&set, signal);
    sigprocmask(SIG_UNBLOCK, &set, nullptr);
}

extern "C" void OnSignal(int signal);

void Catch(int signal) {
    struct sigaction action {};
    action.sa_handler = OnSignal;
    // Every other signal waits: from the background, the echo's own change
    // would otherwise stop the program with SIGTTOU in the middle of it.
    sigfillset(&action.sa_mask);
    sigaction(signal, &action, nullptr);
}

extern "C" void OnSignal(int signal) {
    const int saved = errno;
    if (reading) SetEcho(true);
    // What the signal would have done: end or stop the program.
    sigaction(signal, &previousActions[signal], nullptr);
    Unblock(signal);
    raise(signal);
    // Only a stop comes back here, when the program is continued.
    Catch(signal);
    if (reading) SetEcho(false);
    errno = saved;
}

// Echo off for one scope; the typed Enter still moves to the next line.
class EchoOff {
public:
    EchoOff() : handled_(HandledSignals()) {
        if (tcgetattr(STDIN_FILENO, &savedSettings) != 0) return;
        armed_ = true;
        quietSettings = savedSettings;
        quietSettings.c_lflag &= ~static_cast<tcflag_t>(ECHO);
        quietSettings.c_lflag |= ECHONL;
        for (const int signal : handled_) {
            sigaction(signal, nullptr, &previousActions[signal]);
            if (previousActions[signal].sa_handler != SIG_IGN) Catch(signal);
        }
        reading = 1;
        // A stop from the background (SIGTTOU) interrupts the change; once
        // continued, it is made again.
        while (tcsetattr(STDIN_FILENO, TCSADRAIN, &quietSettings) != 0)
            if (errno != EINTR) {
                reading = 0;
                break;
            }
    }
    ~EchoOff() {
        if (!armed_) return;
        if (reading) SetEcho(true);
        reading = 0;
        for (const int signal : handled_) sigaction(signal, &previousActions[signal], nullptr);
    }
    EchoOff(const EchoOff&) = delete;
    EchoOff& operator=(const EchoOff&) = delete;

private:
    const std::vector<int> handled_;
    bool armed_ = false;  // the actions above are caught, to be given back
};

void WriteAll(int fd, std::string_view text) {
    while (!text.empty()) {
        const ssize_t written = write(fd, text.data(), text.size());
        if (written < 0 && errno == EINTR) continue;
        if (written <= 0) return;
        text.remove_prefix(static_cast<std::size_t>(written));
    }
}

void ShowPrompt(std::string_view prompt) {
    const int terminal = open("/dev/tty", O_WRONLY | O_NOCTTY | O_CLOEXEC);
    WriteAll(terminal >= 0 ? terminal : STDERR_FILENO, prompt);
    if (terminal >= 0) close(terminal);
}

// Byte by byte, so nothing past the line is taken from the input.
std::optional<std::string> ReadLine() {
    std::string line;
    for (;;) {
        char c = 0;
        const ssize_t got = read(STDIN_FILENO, &c, 1);
        if (got < 0 && errno == EINTR) continue;
        if (got <= 0) return line.empty() ? std::nullopt : std::optional(line);
        if (c == '\n') return line;
        line.push_back(c);
    }
}

}  // namespace

std::vector<std::string> Utf8Arguments(int argc, char** argv) {
    return std::vector<std::string>(argv + (argc > 0 ? 1 : 0), argv + argc);
}

std::filesystem::path ExecutableFolder() {
    std::error_code error;
    const std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe", error);
    return error ? std::filesystem::path() : self.parent_path();
}

void PrepareConsole() {}

bool InputIsTerminal() { return isatty(STDIN_FILENO) == 1; }

bool OutputIsTerminal() { return isatty(STDOUT_FILENO) == 1; }

namespace {

constexpr int kEndingSignals[] = {SIGHUP, SIGINT, SIGQUIT, SIGTERM};

}  // namespace

EndingSignalsHeld::EndingSignalsHeld() {
    sigset_t ending, before;
    sigemptyset(&ending);
    for (const int signal : kEndingSignals) sigaddset(&ending, signal);
    sigprocmask(SIG_BLOCK, &ending, &before);
    for (std::size_t i = 0; i < std::size(kEndingSignals); ++i)
        if (sigismember(&before, kEndingSignals[i]) == 1) heldBefore_ |= 1u << i;
}

EndingSignalsHeld::~EndingSignalsHeld() {
    sigset_t released;
    sigemptyset(&released);
    for (std::size_t i = 0; i < std::size(kEndingSignals); ++i)
        if ((heldBefore_ & (1u << i)) == 0) sigaddset(&released, kEndingSignals[i]);
    sigprocmask(SIG_UNBLOCK, &released, nullptr);
}

bool EndingSignalsHeld::Pending() const {
    sigset_t pending;
    sigpending(&pending);
    for (const int signal : kEndingSignals)
        if (sigismember(&pending, signal) == 1) return true;
    return false;
}

std::optional<std::string> ReadTerminalLine(std::string_view prompt, bool secret) {
    if (!secret) {
        ShowPrompt(prompt);
        return ReadLine();
    }
    // Off before the prompt shows, so that no typed character can beat it.
    EchoOff quiet;
    ShowPrompt(prompt);
    return ReadLine();
}

}  // namespace lockmere::cli
