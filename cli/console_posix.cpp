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

// The terminal's settings while echo is off, restored also when a signal
// ends the process in the middle of the password.
termios savedSettings;
volatile sig_atomic_t echoOff = 0;
constexpr int kEndingSignals[] = {SIGINT, SIGTERM, SIGHUP, SIGQUIT};
struct sigaction previousActions[std::size(kEndingSignals)];

void RestoreEcho() {
    if (echoOff) tcsetattr(STDIN_FILENO, TCSANOW, &savedSettings);
    echoOff = 0;
}

extern "C" void RestoreAndEnd(int signal) {
    RestoreEcho();  // async-signal-safe: tcsetattr only
    for (std::size_t i = 0; i < std::size(kEndingSignals); ++i)
        if (kEndingSignals[i] == signal) sigaction(signal, &previousActions[i], nullptr);
    raise(signal);
}

// Echo off for one scope; the typed Enter still moves to the next line.
class EchoOff {
public:
    EchoOff() {
        if (tcgetattr(STDIN_FILENO, &savedSettings) != 0) return;
        termios quiet = savedSettings;
        quiet.c_lflag &= ~static_cast<tcflag_t>(ECHO);
        quiet.c_lflag |= ECHONL;
        struct sigaction restore {};
        restore.sa_handler = RestoreAndEnd;
        sigemptyset(&restore.sa_mask);
        for (std::size_t i = 0; i < std::size(kEndingSignals); ++i)
            sigaction(kEndingSignals[i], &restore, &previousActions[i]);
        echoOff = 1;
        if (tcsetattr(STDIN_FILENO, TCSADRAIN, &quiet) != 0) echoOff = 0;
    }
    ~EchoOff() {
        RestoreEcho();
        for (std::size_t i = 0; i < std::size(kEndingSignals); ++i)
            sigaction(kEndingSignals[i], &previousActions[i], nullptr);
    }
    EchoOff(const EchoOff&) = delete;
    EchoOff& operator=(const EchoOff&) = delete;
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
