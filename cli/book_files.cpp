#include "cli/book_files.h"

#include "cli/exit_codes.h"
#include "cli/report.h"
#include "store/file_access.h"
#include "store/pair_copy.h"

namespace lockmere::cli {

int ReadBookFiles(const std::filesystem::path& folder, BookFiles& files) {
    // Until the copy is finished the two files may be of different books.
    std::error_code error;
    if (std::filesystem::exists(ComposePath(folder, kPairMarkerFileName), error))
        return Fail(kFileTrouble, "ERROR: A backup or restore into " + PathText(folder) +
                                      " was cut short (" + kPairMarkerFileName +
                                      " is still there). Start Lockmere from that folder, or "
                                      "repeat the backup into it, to finish the copy.");
    for (auto [name, bytes] :
         {std::pair{kKeyFileName, &files.KeyFile}, std::pair{kStoreFileName, &files.Store}}) {
        ReadResult read = ReadExistingFile(ComposePath(folder, name));
        if (!read.Ok()) return Fail(kFileTrouble, ReadFailureText(name, folder, read.Code));
        *bytes = std::move(read.Bytes);
    }
    return kDone;
}

}  // namespace lockmere::cli
