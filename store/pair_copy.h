#pragma once

#include <filesystem>
#include <string>

#include "store/failure_code.h"

namespace lockmere {

enum class CopyOutcome {
    Copied,
    SameFolder,   // the folder list names the program folder itself; nothing touched
    Failed,       // Code holds the failure; both files are left as they were
    Damaged,      // File is longer than the program ever writes it; nothing touched
    ForeignFile,  // File, in a backup folder others may write into, is another
                  // user's; nothing touched
};

struct BackupCopyResult {
    CopyOutcome Outcome = CopyOutcome::Copied;
    int Code = failure::kNone;
    // The file a Damaged or ForeignFile outcome names, or whose read failed.
    std::filesystem::path File;
};

// The two data files of a book, as they stand on disk.
struct DataPair {
    std::string KeyFile;
    std::string Store;
};

// Reads a backup folder's two data files as a restore takes them: no link
// is followed, a regular file only, at most one byte more than the file can
// hold (longer: Damaged, with what was read of it in the pair), and where
// other users may write into the folder (OthersMayWriteIn), no file another
// user owns (ForeignFile). Copied when both were read.
[[nodiscard]] BackupCopyResult ReadBackupPair(const std::filesystem::path& folder, DataPair& pair);

// Copies the key file and the record store between the program folder and
// a location, as a pair: into the location when backingUp, out of it
// otherwise. The location is savedLocation when it is not empty (taken as
// it is), else folderListFolder, which must not name the program folder by
// the same path text. Both files reach the destination whole, or neither
// does: a failure leaves both old files as they were, and a crash is
// completed or undone by the next copy into that folder or the next start
// (RecoverPairMove). The location is locked for the copy, and its lock file
// removed afterwards; one that another copy holds, or whose lock file is not
// a regular file, fails with kPathFileAccess. The program-folder files are set normal before and
// hidden after; a file missing there fails before anything is replaced.
// In the location nothing is read or written through a link, and a key file
// there that is not a regular file is not replaced (kPathFileAccess).
[[nodiscard]] BackupCopyResult CopyDataFiles(const std::filesystem::path& programFolder,
                                             const std::filesystem::path& savedLocation,
                                             const std::filesystem::path& folderListFolder,
                                             bool backingUp);

// The pair move's marker: once it stands in a folder, both new files are
// whole there and the move goes forward; without it, half a move is undone.
inline constexpr const char* kPairMarkerFileName = "lkdb.pair";
inline constexpr std::size_t kPairMarkerLargest = 4096;

// Finishes or undoes a pair move a crash cut short in folder, then removes
// the temporaries left there. For a folder no other writer uses now.
// Only a marker of this program's is followed: a regular file of the user,
// at most kPairMarkerLargest bytes, naming only temporaries of the data
// files in the folder that are the user's regular files (or already moved).
// Any other marker moves nothing and is removed; one that cannot be removed
// fails with kPathFileAccess, and then nothing at all is touched. A move that
// fails gives its failure code and leaves the marker and every temporary for
// the next recovery.
[[nodiscard]] int RecoverPairMove(const std::filesystem::path& folder);

// Whether anything stands at the marker's name in folder (a link too): a
// pair move there is unfinished, or something is in its way. Until the next
// recovery the two files there may be of different books.
bool PairMarkerStands(const std::filesystem::path& folder);

}  // namespace lockmere
