#pragma once

#include <filesystem>

#include "store/failure_code.h"
#include "store/system_file.h"

namespace lockmere {

inline constexpr const char* kLockFileName = "lkdb.lock";

// One running program per program folder: an OS lock on a file in the
// folder, taken before anything there is read and held for the program's
// life. Any front end on the folder takes the same one. A copy into or out
// of a backup folder holds one there for the copy's length and removes its
// file afterwards (LockFileAfter::Removed), so that the folder keeps the
// two copies alone; a kill may leave the file, which the next copy takes.
class FolderLock {
public:
    enum class Outcome {
        Taken,
        Busy,      // another running program holds the folder
        NotAFile,  // a link, a folder or another non-file stands at its name (code 75)
        Failed,    // the lock file could not be made, opened or locked; Code() says why
    };

    explicit FolderLock(const std::filesystem::path& folder,
                        system_file::LockFileAfter after = system_file::LockFileAfter::Kept);

    [[nodiscard]] Outcome Result() const { return outcome_; }
    [[nodiscard]] int Code() const { return code_; }

private:
    system_file::FileLock lock_;
    Outcome outcome_ = Outcome::Failed;
    int code_ = failure::kNone;
};

// What the start does under the lock: a pair move a crash cut short is
// finished or undone, and the temporaries crashed writes left go. A marker
// that is not the program's and cannot be taken away stays, unfollowed.
void TidyProgramFolder(const std::filesystem::path& folder);

}  // namespace lockmere
