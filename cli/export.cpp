#include <iostream>

#include "cli/commands.h"
#include "cli/csv.h"
#include "cli/exit_codes.h"
#include "cli/open_book.h"
#include "cli/report.h"
#include "store/ansi_codec.h"
#include "store/file_access.h"
#include "store/folder_lock.h"
#include "store/pair_copy.h"

namespace lockmere::cli {

namespace {

namespace fs = std::filesystem;

bool IsBookFile(const fs::path& file, const fs::path& folder) {
    for (const char* name : {kKeyFileName, kStoreFileName, kBackupLocationFileName, kLockFileName,
                             kPairMarkerFileName}) {
        // Also by name: the lock and the marker may not stand there now.
        const fs::path own = ComposePath(folder, name);
        std::error_code error, same;
        if (fs::equivalent(file, own, error) ||
            fs::weakly_canonical(file, error) == fs::weakly_canonical(own, same))
            return true;
    }
    return false;
}

std::string CsvOf(const std::vector<PasswordRecord>& records) {
    std::string csv = CsvRow({"Title", "URL", "Username", "Password"});
    for (const PasswordRecord& r : records) {
        const std::string fields[] = {AnsiToUtf8(r.ApplicationName), AnsiToUtf8(r.ApplicationUrl),
                                      AnsiToUtf8(r.UserName), AnsiToUtf8(r.Password)};
        csv += CsvRow({fields[0], fields[1], fields[2], fields[3]});
    }
    return csv;
}

}  // namespace

int RunExport(Session& session, const fs::path& file, bool force) {
    const std::string shownFile = PathText(file);
    const auto exists = [&] {
        return Fail(kRefused,
                    "ERROR: " + shownFile + " exists already; add --force to replace it.");
    };
    const auto ownFile = [&] {
        return Fail(kRefused, "ERROR: " + shownFile +
                                  " is one of the book's own files; export to another file.");
    };
    // Checked before the password is asked, and again just before the write.
    if (IsBookFile(file, session.Folder)) return ownFile();
    std::error_code error;
    if (!force && fs::symlink_status(file, error).type() != fs::file_type::not_found && !error)
        return exists();

    OpenedBook book(session.Folder);
    if (const int code = OpenBook(session, book); code != kDone) return code;

    const std::string csv = CsvOf(book.List.Records());
    if (IsBookFile(file, session.Folder)) return ownFile();
    // Neither write follows a link at the name: the new file is created
    // exclusively, or renamed over the name.
    const int code = force ? ReplaceWholeFile(file, csv) : CreateNewFile(file, csv);
    if (code == failure::kPathFileAccess && !force && fs::exists(file, error)) return exists();
    if (code != failure::kNone)
        return Fail(kFileTrouble, "ERROR: " + shownFile + " could not be written (failure code " +
                                      std::to_string(code) + ": " +
                                      std::string(FailureMeaning(code)) +
                                      "). Nothing was exported.");
    std::cerr << "WARNING: " << shownFile
              << " holds every password of the book in plain text. Anyone who can read the file "
                 "can read them: keep it safe, and delete it when it has served.\n";
    std::cout << CountOf(book.List.Records().size(), "record") << " written to " << shownFile
              << ".\n";
    return kDone;
}

}  // namespace lockmere::cli
