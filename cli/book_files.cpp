#include "cli/book_files.h"

#include "cli/exit_codes.h"
#include "cli/report.h"
#include "store/file_access.h"
#include "store/key_file.h"
#include "store/pair_copy.h"
#include "store/record_store.h"

namespace lockmere::cli {

namespace {

[[nodiscard]] int NoMasterAccount() {
    return Fail(kFileTrouble,
                "No master account has been created yet: start Lockmere to create one.");
}

// As a restore from that folder reads it, and refused where a restore
// would refuse.
[[nodiscard]] int ReadBackupFolder(const std::filesystem::path& folder, DataPair& files) {
    const BackupCopyResult read = ReadBackupPair(folder, files);
    const std::string name = PathText(read.File.filename());
    switch (read.Outcome) {
    case CopyOutcome::Failed:
        return Fail(kFileTrouble, ReadFailureText(name, folder, read.Code));
    case CopyOutcome::ForeignFile:
        return Fail(kFileTrouble, "ERROR: " + name + " in " + PathText(folder) +
                                      " belongs to another user; copy the backup into a "
                                      "folder of your own first.");
    case CopyOutcome::Damaged:  // judged as the program folder's files are
    case CopyOutcome::Copied:
    case CopyOutcome::SameFolder:
        break;
    }
    return HasNoMasterAccount(files.KeyFile) ? NoMasterAccount() : kDone;
}

}  // namespace

int ReadBookFiles(const std::filesystem::path& folder, DataPair& files, FolderRole role) {
    // Until the copy is finished the two files may be of different books.
    if (PairMarkerStands(folder))
        return Fail(kFileTrouble, "ERROR: A backup or restore into " + PathText(folder) +
                                      " was cut short (" + kPairMarkerFileName +
                                      " is still there). Start Lockmere from that folder, or "
                                      "repeat the backup into it, to finish the copy.");
    if (role == FolderRole::Backup) return ReadBackupFolder(folder, files);
    auto read = [&folder](std::string_view name, std::string& bytes, std::size_t largest) {
        ReadResult file = ReadExistingFile(ComposePath(folder, name), largest, Links::Follow);
        if (!file.Ok()) return Fail(kFileTrouble, ReadFailureText(name, folder, file.Code));
        bytes = std::move(file.Bytes);
        return kDone;
    };
    if (const int code = read(kKeyFileName, files.KeyFile, kKeyFileLargest); code != kDone)
        return code;
    if (HasNoMasterAccount(files.KeyFile)) return NoMasterAccount();
    return read(kStoreFileName, files.Store, kStoreTextLimit);
}

}  // namespace lockmere::cli
