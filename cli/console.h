#pragma once

// What the tool needs from the system beyond the core: its command line,
// its own folder and the terminal. One implementation per platform.

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace lockmere::cli {

// The command line without the program's name, as UTF-8 texts.
std::vector<std::string> Utf8Arguments(int argc, char** argv);

// The folder this executable lies in (the program folder by default);
// empty when the system does not tell.
std::filesystem::path ExecutableFolder();

// Makes the console show the UTF-8 the tool writes, where it needs telling.
void PrepareConsole();

// True when standard input, or output, is a terminal (a console window on
// Windows).
bool InputIsTerminal();
bool OutputIsTerminal();

// Holds back, for its life, the signals with which a terminal or a kill
// ends the program (HUP, INT, QUIT, TERM); one that came meanwhile ends it
// when the hold goes. Pending() tells whether one came. On Windows nothing
// is held.
class EndingSignalsHeld {
public:
    EndingSignalsHeld();
    ~EndingSignalsHeld();
    EndingSignalsHeld(const EndingSignalsHeld&) = delete;
    EndingSignalsHeld& operator=(const EndingSignalsHeld&) = delete;
    bool Pending() const;

private:
    unsigned heldBefore_ = 0;  // which of them were held already, and stay so
};

// Writes the prompt to the terminal (standard error when the terminal cannot
// be opened for it) and reads one line of UTF-8 from it, without its line
// end; without echo when secret. Nothing when the input has ended.
std::optional<std::string> ReadTerminalLine(std::string_view prompt, bool secret);

}  // namespace lockmere::cli
