#include "cli/book_files.h"

#include <tuple>

#include "cli/exit_codes.h"
#include "cli/report.h"
#include "store/file_access.h"
#include "store/key_file.h"
#include "store/pair_copy.h"
#include "store/record_store.h"

namespace lockmere::cli {

int ReadBookFiles(const std::filesystem::path& folder, BookFiles& files) {
    // Until the copy is finished the two files may be of different books.
    std::error_code error;
    if (std::filesystem::symlink_status(ComposePath(folder, kPairMarkerFileName), error).type() !=
        std::filesystem::file_type::not_found)
        return Fail(kFileTrouble, "ERROR: A backup or restore into " + PathText(folder) +
                                      " was cut short (" + kPairMarkerFileName +
                                      " is still there). Start Lockmere from that folder, or "
                                      "repeat the backup into it, to finish the copy.");
    // A file longer than the program writes it is read only that far: its
    // judgement then finds it damaged.
    for (auto [name, bytes, largest] : {std::tuple{kKeyFileName, &files.KeyFile, kKeyFileLargest},
                                        {kStoreFileName, &files.Store, kStoreTextLimit}}) {
        ReadResult read = ReadExistingFile(ComposePath(folder, name), largest, Links::Follow);
        if (!read.Ok()) return Fail(kFileTrouble, ReadFailureText(name, folder, read.Code));
        *bytes = std::move(read.Bytes);
    }
    return kDone;
}

}  // namespace lockmere::cli
