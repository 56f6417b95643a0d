#pragma once

namespace lockmere::cli {

// The exit codes scripts rely on; documented in --help and the README.
inline constexpr int kDone = 0;
inline constexpr int kRefused = 1;      // wrong password, a refused record, nothing found
inline constexpr int kFileTrouble = 2;  // data files damaged, missing or unreadable
inline constexpr int kUsage = 64;       // the command line itself is wrong

}  // namespace lockmere::cli
