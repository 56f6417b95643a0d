#include <iostream>

#include "cli/commands.h"
#include "cli/console.h"
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

// The names the program folder uses, whether they stand there now or not:
// the data files, the lock, the marker, the location file, their
// temporaries, and the programs themselves.
bool IsProgramFolderName(const fs::path& name) {
    const std::u8string utf8 = name.u8string();
    const std::string_view text(reinterpret_cast<const char*>(utf8.data()), utf8.size());
    for (const char* own : {kKeyFileName, kStoreFileName, kBackupLocationFileName, kLockFileName,
                            kPairMarkerFileName}) {
        if (text == own || IsTemporaryOf(own, text)) return true;
    }
    for (const std::string_view program : {"lockmere", "lockmere-cli", "menu-entry"}) {
        if (text == program || text == std::string(program) + ".exe") return true;
    }
    return false;
}

bool InProgramFolder(const fs::path& file, const fs::path& folder) {
    const fs::path parent = file.parent_path().empty() ? "." : file.parent_path();
    std::error_code error, other;
    return fs::equivalent(parent, folder, error) ||
           fs::weakly_canonical(parent, error) == fs::weakly_canonical(folder, other);
}

bool IsBookFile(const fs::path& file, const fs::path& folder) {
    // The name given, and what a link there leads to.
    std::error_code error;
    const fs::path target = fs::weakly_canonical(file, error);
    for (const fs::path& name : {file, error ? file : target}) {
        if (IsProgramFolderName(name.filename()) && InProgramFolder(name, folder)) return true;
    }
    // A second name of a data file, wherever it stands.
    for (const char* name : {kKeyFileName, kStoreFileName, kBackupLocationFileName}) {
        if (fs::equivalent(file, ComposePath(folder, name), error)) return true;
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
    // What a killed export left beside the name goes first.
    RemoveStaleTemporariesOf(file);
    // The file is whole before it has its name, and an export interrupted
    // meanwhile leaves no copy of the passwords: its temporary goes, then
    // the signal ends the program. Neither write follows a link at the name.
    int code = failure::kNone;
    {
        const EndingSignalsHeld held;
        fs::path temporary;
        code = WriteTemporaryBeside(file, csv, temporary);
        if (code == failure::kNone && held.Pending()) {
            DiscardTemporary(temporary);
            return kFileTrouble;  // as the hold goes, the signal ends the program
        }
        if (code == failure::kNone)
            code = PlaceTemporary(temporary, file, force ? Existing::Replace : Existing::Keep);
    }
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
