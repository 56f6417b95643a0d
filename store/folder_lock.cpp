#include "store/folder_lock.h"

#include "store/file_access.h"
#include "store/pair_copy.h"

namespace lockmere {

FolderLock::FolderLock(const std::filesystem::path& folder, system_file::LockFileAfter after) {
    const auto path = ComposePath(folder, kLockFileName);
    const std::error_code error = lock_.TryLock(path, after);
    if (!error)
        outcome_ = Outcome::Taken;
    else if (system_file::IsLockBusy(error))
        outcome_ = Outcome::Busy;
    else if (system_file::IsNotARegularFile(error))
        outcome_ = Outcome::NotAFile;
    if (outcome_ != Outcome::Taken && outcome_ != Outcome::Busy)
        code_ = FailureCodeFor(error, path);
}

void TidyProgramFolder(const std::filesystem::path& folder) {
    // What cannot be finished now stays for the next start, and a copy into
    // the folder meanwhile fails with the code.
    static_cast<void>(RecoverPairMove(folder));
}

}  // namespace lockmere
