#pragma once

#include <filesystem>

#include "store/pair_copy.h"

namespace lockmere::cli {

// Whose folder it is: the program folder, whose data files may be the
// user's links, or a backup folder, read as a restore reads it (no link, no
// other user's file where others may write, nothing longer than it can be).
enum class FolderRole { Program, Backup };

// Reads both files; a missing one is reported, never created, and so is a
// key file without a master account yet. A file longer than the program
// writes it is read one byte past that, for its judgement to find it
// damaged. Returns kDone, or the exit code after the reason was written to
// standard error.
[[nodiscard]] int ReadBookFiles(const std::filesystem::path& folder, DataPair& files,
                                FolderRole role);

}  // namespace lockmere::cli
