#include "cli/answers.h"

#include <iostream>

#include "cli/console.h"

namespace lockmere::cli {

Answers::Answers() : terminal_(InputIsTerminal()) {}

std::optional<std::string> Answers::Ask(std::string_view prompt, bool secret) {
    std::string line;
    if (terminal_) {
        std::optional<std::string> typed = ReadTerminalLine(prompt, secret);
        if (!typed) return std::nullopt;
        line = std::move(*typed);
    } else if (!std::getline(std::cin, line)) {
        return std::nullopt;
    }
    // A line from a file written on Windows ends in CR LF.
    if (!line.empty() && line.back() == '\r') line.pop_back();
    return line;
}

}  // namespace lockmere::cli
