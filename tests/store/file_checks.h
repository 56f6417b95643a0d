#pragma once

// Small helpers shared by the store tests: what is on disk.

#include <filesystem>

#include "store/file_access.h"
#include "tests/support/byte_text.h"
#include "tests/support/temp_folder.h"

namespace lockmere::test {

using Folder = lockmere::testing::TempFolder;

// The permission bits of a file, e.g. 0600.
inline unsigned Mode(const std::filesystem::path& path) {
    return static_cast<unsigned>(std::filesystem::status(path).permissions()) & 0777u;
}

// Whatever a failed safe replace might have left beside path.
inline bool TemporaryFileLeft(const std::filesystem::path& path) {
    return std::filesystem::is_regular_file(TemporaryPathFor(path));
}

}  // namespace lockmere::test
