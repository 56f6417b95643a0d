#pragma once

#include <optional>
#include <string>

namespace lockmere::cli {

// The lengths a generated password may have: a Password box holds at most
// 15 characters.
inline constexpr int kShortestGenerated = 8;
inline constexpr int kLongestGenerated = 15;

// A password of length characters drawn uniformly from the printable ASCII
// characters other than the blank, with at least one lower-case letter,
// one upper-case letter, one digit and one other character. Every such
// password is equally likely. Nothing when the system's random source fails.
[[nodiscard]] std::optional<std::string> GeneratePassword(int length);

}  // namespace lockmere::cli
