#pragma once

#include <filesystem>
#include <string_view>

#include "store/file_access.h"

namespace lockmere {

// The most the file may hold; a longer one is no saved location.
inline constexpr std::size_t kBackupLocationLargest = 64 * 1024;

// The location remembered in BackupLocation.inf in the program folder: its
// first line. A missing file reads as kFileNotFound and is not created.
[[nodiscard]] ReadResult ReadBackupLocation(const std::filesystem::path& programFolder);

// Remembers location (8-bit text) as the file's one line, replaced safely.
[[nodiscard]] int WriteBackupLocation(const std::filesystem::path& programFolder,
                                      std::string_view location);

}  // namespace lockmere
