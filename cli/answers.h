#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace lockmere::cli {

// Where the tool's questions are answered: on the terminal, prompted (the
// secret ones without echo), or, for scripts, by the lines of standard
// input in the order the questions come, without prompts.
class Answers {
public:
    Answers();

    // The answer, without its line end; nothing when the input has ended.
    std::optional<std::string> Ask(std::string_view prompt, bool secret);

private:
    bool terminal_;
};

}  // namespace lockmere::cli
