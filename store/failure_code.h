#pragma once

namespace lockmere {

// Numeric failure codes shown to the user; kNone is success, and the one
// way to spell it. The numbers are stable: users read them in message boxes.
namespace failure {
inline constexpr int kNone = 0;
inline constexpr int kBadFileName = 52;
inline constexpr int kFileNotFound = 53;
inline constexpr int kDeviceIo = 57;
inline constexpr int kDiskFull = 61;
inline constexpr int kBadPosition = 63;  // a byte position below 1
inline constexpr int kDeviceUnavailable = 68;
inline constexpr int kPathFileAccess = 75;  // access refused, already exists, same file
inline constexpr int kPathNotFound = 76;
}  // namespace failure

}  // namespace lockmere
