#include "cli/console.h"

#include <windows.h>

#include <shellapi.h>  // needs windows.h first

namespace lockmere::cli {

namespace {

std::string Utf8Of(std::wstring_view wide) {
    if (wide.empty()) return {};
    const int size = WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()),
                                         nullptr, 0, nullptr, nullptr);
    std::string text(static_cast<std::size_t>(size), '\0');
    WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), text.data(), size,
                        nullptr, nullptr);
    return text;
}

std::wstring WideOf(std::string_view text) {
    if (text.empty()) return {};
    const int size =
        MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(size), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), wide.data(), size);
    return wide;
}

HANDLE Input() { return GetStdHandle(STD_INPUT_HANDLE); }

// The console's input mode while echo is off, restored also when Ctrl+C or
// a closed window ends the process in the middle of the password.
DWORD savedMode = 0;
volatile LONG echoOff = 0;

void RestoreEcho() {
    if (InterlockedExchange(&echoOff, 0)) SetConsoleMode(Input(), savedMode);
}

BOOL WINAPI RestoreOnEnd(DWORD) {
    RestoreEcho();
    return FALSE;  // the default handler ends the process
}

class EchoOff {
public:
    EchoOff() {
        if (!GetConsoleMode(Input(), &savedMode)) return;
        SetConsoleCtrlHandler(RestoreOnEnd, TRUE);
        InterlockedExchange(&echoOff, 1);
        if (!SetConsoleMode(Input(), savedMode & ~static_cast<DWORD>(ENABLE_ECHO_INPUT)))
            InterlockedExchange(&echoOff, 0);
    }
    ~EchoOff() {
        RestoreEcho();
        SetConsoleCtrlHandler(RestoreOnEnd, FALSE);
    }
    EchoOff(const EchoOff&) = delete;
    EchoOff& operator=(const EchoOff&) = delete;
};

void ShowPrompt(std::string_view prompt) {
    const std::wstring wide = WideOf(prompt);
    HANDLE console = CreateFileW(L"CONOUT$", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_WRITE,
                                 nullptr, OPEN_EXISTING, 0, nullptr);
    DWORD written = 0;
    if (console != INVALID_HANDLE_VALUE) {
        WriteConsoleW(console, wide.data(), static_cast<DWORD>(wide.size()), &written, nullptr);
        CloseHandle(console);
    } else {
        WriteFile(GetStdHandle(STD_ERROR_HANDLE), prompt.data(), static_cast<DWORD>(prompt.size()),
                  &written, nullptr);
    }
}

// One character at a time, so nothing past the line is taken.
std::optional<std::string> ReadLine() {
    std::wstring line;
    for (;;) {
        wchar_t c = 0;
        DWORD got = 0;
        if (!ReadConsoleW(Input(), &c, 1, &got, nullptr) || got == 0)
            return line.empty() ? std::nullopt : std::optional(Utf8Of(line));
        if (c == L'\n') break;
        if (c != L'\r') line.push_back(c);
    }
    return Utf8Of(line);
}

}  // namespace

std::vector<std::string> Utf8Arguments(int, char**) {
    // The narrow command line is in the ANSI code page; the wide one is whole.
    int count = 0;
    wchar_t** wide = CommandLineToArgvW(GetCommandLineW(), &count);
    std::vector<std::string> args;
    for (int i = 1; i < count; ++i) args.push_back(Utf8Of(wide[i]));
    LocalFree(wide);
    return args;
}

std::filesystem::path ExecutableFolder() {
    std::wstring name(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length =
            GetModuleFileNameW(nullptr, name.data(), static_cast<DWORD>(name.size()));
        if (length == 0) return {};
        if (length < name.size()) {
            name.resize(length);
            return std::filesystem::path(name).parent_path();
        }
        name.resize(name.size() * 2);
    }
}

void PrepareConsole() { SetConsoleOutputCP(CP_UTF8); }

bool InputIsTerminal() {
    DWORD mode = 0;
    return GetConsoleMode(Input(), &mode) != 0;
}

bool OutputIsTerminal() {
    DWORD mode = 0;
    return GetConsoleMode(GetStdHandle(STD_OUTPUT_HANDLE), &mode) != 0;
}

EndingSignalsHeld::EndingSignalsHeld() = default;
EndingSignalsHeld::~EndingSignalsHeld() = default;
bool EndingSignalsHeld::Pending() const { return false; }

std::optional<std::string> ReadTerminalLine(std::string_view prompt, bool secret) {
    if (!secret) {
        ShowPrompt(prompt);
        return ReadLine();
    }
    std::optional<std::string> line;
    {
        // Off before the prompt shows, so that no typed character can beat it.
        EchoOff quiet;
        ShowPrompt(prompt);
        line = ReadLine();
    }
    ShowPrompt("\n");  // the Enter typed was not echoed
    return line;
}

}  // namespace lockmere::cli
