#include "cli/book_files.h"

#include "cli/exit_codes.h"
#include "cli/report.h"
#include "store/file_access.h"

namespace lockmere::cli {

int ReadBookFiles(const std::filesystem::path& folder, BookFiles& files) {
    for (auto [name, bytes] : {std::pair{kKeyFileName, &files.KeyFile},
                               std::pair{kStoreFileName, &files.Store}}) {
        ReadResult read = ReadExistingFile(ComposePath(folder, name));
        if (!read.Ok()) return Fail(kFileTrouble, ReadFailureText(name, folder, read.Code));
        *bytes = std::move(read.Bytes);
    }
    return kDone;
}

}  // namespace lockmere::cli
