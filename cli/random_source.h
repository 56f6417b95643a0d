#pragma once

#include <cstddef>
#include <span>

namespace lockmere::cli {

// Fills bytes from the operating system's random source (getrandom on
// Linux, BCryptGenRandom on Windows). False when the system gave none.
// One implementation per platform.
[[nodiscard]] bool SystemRandomBytes(std::span<unsigned char> bytes);

}  // namespace lockmere::cli
