#pragma once

#include <filesystem>

namespace lockmere {

enum class CopyOutcome {
    Copied,
    SameFolder,  // the folder list names the program folder itself; nothing touched
    Failed,      // Code holds the failure; files copied before it stay copied
};

struct BackupCopyResult {
    CopyOutcome Outcome = CopyOutcome::Copied;
    int Code = 0;
};

// Copies the key file, then the record store, between the program folder and
// a location: into the location when backingUp, out of it otherwise. The
// location is savedLocation when it is not empty (taken as it is), else
// folderListFolder, which must not name the program folder by the same
// path text. Each copy is framed by normal / hidden on the program-folder
// file. Stops at the first failure.
BackupCopyResult CopyDataFiles(const std::filesystem::path& programFolder,
                               const std::filesystem::path& savedLocation,
                               const std::filesystem::path& folderListFolder, bool backingUp);

}  // namespace lockmere
