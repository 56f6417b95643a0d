#include "cli/book_files.h"

#include "cli/exit_codes.h"
#include "cli/report.h"
#include "store/file_access.h"
#include "store/key_file.h"
#include "store/pair_copy.h"
#include "store/record_store.h"

namespace lockmere::cli {

int ReadBookFiles(const std::filesystem::path& folder, BookFiles& files) {
    // Until the copy is finished the two files may be of different books.
    if (PairMarkerStands(folder))
        return Fail(kFileTrouble, "ERROR: A backup or restore into " + PathText(folder) +
                                      " was cut short (" + kPairMarkerFileName +
                                      " is still there). Start Lockmere from that folder, or "
                                      "repeat the backup into it, to finish the copy.");
    // A file longer than the program writes it is read only that far: its
    // judgement then finds it damaged.
    auto read = [&folder](std::string_view name, std::string& bytes, std::size_t largest) {
        ReadResult file = ReadExistingFile(ComposePath(folder, name), largest, Links::Follow);
        if (!file.Ok()) return Fail(kFileTrouble, ReadFailureText(name, folder, file.Code));
        bytes = std::move(file.Bytes);
        return kDone;
    };
    if (const int code = read(kKeyFileName, files.KeyFile, kKeyFileLargest); code != kDone)
        return code;
    // Told before the store, which a first start left halfway may not have made yet.
    if (HasNoMasterAccount(files.KeyFile))
        return Fail(kFileTrouble,
                    "No master account has been created yet: start Lockmere to create one.");
    return read(kStoreFileName, files.Store, kStoreTextLimit);
}

}  // namespace lockmere::cli
