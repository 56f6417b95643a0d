#pragma once

#include <filesystem>
#include <string>

namespace lockmere::cli {

// The two data files of a folder, as they stand on disk.
struct BookFiles {
    std::string KeyFile;
    std::string Store;
};

// Whose folder it is: the program folder, whose data files may be the
// user's links, or a backup folder, read as a restore reads it (no link, no
// other user's file where others may write, nothing longer than it can be).
enum class FolderRole { Program, Backup };

// Reads both files; a missing one is reported, never created, and so is a
// key file without a master account yet. Returns kDone, or the exit code
// after the reason was written to standard error.
[[nodiscard]] int ReadBookFiles(const std::filesystem::path& folder, BookFiles& files,
                                FolderRole role);

}  // namespace lockmere::cli
