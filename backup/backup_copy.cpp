#include "backup/backup_copy.h"

#include "store/file_access.h"

namespace lockmere {

namespace {

// normal, copy, hidden on the program-folder end of one file.
int CopyOne(const std::filesystem::path& programFolder, const std::filesystem::path& location,
            const char* name, bool backingUp) {
    const auto local = ComposePath(programFolder, name);
    const auto remote = ComposePath(location, name);
    if (int code = SetAttributesNormal(local)) return code;
    if (int code = backingUp ? CopyFileOver(local, remote) : CopyFileOver(remote, local)) return code;
    return SetAttributesHidden(local);
}

}  // namespace

BackupCopyResult CopyDataFiles(const std::filesystem::path& programFolder,
                               const std::filesystem::path& savedLocation,
                               const std::filesystem::path& folderListFolder, bool backingUp) {
    const bool saved = !savedLocation.empty();
    const auto& location = saved ? savedLocation : folderListFolder;
    // Only the path text is compared; the same folder under another text is
    // caught by the copy itself, which refuses to copy a file onto itself.
    if (!saved && ComposePath(programFolder, kKeyFileName).native() ==
                      ComposePath(location, kKeyFileName).native()) {
        return {CopyOutcome::SameFolder, 0};
    }
    for (const char* name : {kKeyFileName, kStoreFileName}) {
        if (int code = CopyOne(programFolder, location, name, backingUp)) {
            return {CopyOutcome::Failed, code};
        }
    }
    return {};
}

}  // namespace lockmere
