#pragma once

#include <filesystem>

#include "store/file_access.h"

namespace lockmere::testing {

// Whether a write's temporary of the file at path is left beside it.
inline bool TemporaryLeftBeside(const std::filesystem::path& path) {
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(path.parent_path(), error)) {
        if (IsTemporaryOf(path.filename().string(), entry.path().filename().string())) return true;
    }
    return false;
}

}  // namespace lockmere::testing
