#include "store/backup_location.h"

namespace lockmere {

ReadResult ReadBackupLocation(const std::filesystem::path& programFolder) {
    return ReadFirstLine(ComposePath(programFolder, kBackupLocationFileName),
                         kBackupLocationLargest);
}

int WriteBackupLocation(const std::filesystem::path& programFolder, std::string_view location) {
    return WriteLineFile(ComposePath(programFolder, kBackupLocationFileName), location);
}

}  // namespace lockmere
