#include <iostream>

#include "cli/commands.h"
#include "cli/exit_codes.h"
#include "cli/open_book.h"
#include "cli/report.h"
#include "store/ansi_codec.h"
#include "store/file_access.h"
#include "store/folder_lock.h"
#include "store/key_file.h"
#include "store/pair_copy.h"
#include "store/record_entry.h"
#include "store/record_store.h"

namespace lockmere::cli {

namespace {

// Lines as the tool prints them; the windows join them with CR alone.
std::string PlainLines(const std::vector<std::string>& lines) {
    std::string text;
    for (const std::string& line : lines) text += (text.empty() ? "" : "\n") + line;
    return text;
}

// The windowed program holds the folder's lock while it runs; the add
// takes it too, so that the two never write the store at once.
int LockRefusal(const FolderLock& lock) {
    switch (lock.Result()) {
    case FolderLock::Outcome::Taken:
        return kDone;
    case FolderLock::Outcome::Busy:
        return Fail(kRefused,
                    "ERROR: Lockmere is running from this folder, so nothing was added. "
                    "Close it, then add the record again.");
    case FolderLock::Outcome::NotAFile:
    case FolderLock::Outcome::Failed:
        break;
    }
    return Fail(kFileTrouble,
                "ERROR: The folder could not be locked with " + std::string(kLockFileName) +
                    " (failure code " + std::to_string(lock.Code()) + ": " +
                    std::string(FailureMeaning(lock.Code())) + "), so nothing was added.");
}

// Under the lock, before the write: the book the answers go into must still
// be the one opened with the password (a restore meanwhile brings another
// key, a copy cut short a marker).
int ChangedRefusal(const std::filesystem::path& folder, std::string_view key) {
    const std::string changed =
        "ERROR: The book in " + PathText(folder) +
        " changed while the answers were typed (it was restored, or a copy into it is "
        "unfinished), so nothing was added. Add the record again.";
    std::error_code error;
    if (std::filesystem::symlink_status(ComposePath(folder, kPairMarkerFileName), error).type() !=
        std::filesystem::file_type::not_found)
        return Fail(kFileTrouble, changed);
    const ReadResult keyFile =
        ReadExistingFile(ComposePath(folder, kKeyFileName), kKeyFileLargest, Links::Follow);
    if (!keyFile.Ok())
        return Fail(kFileTrouble, ReadFailureText(kKeyFileName, folder, keyFile.Code));
    if (keyFile.Bytes.size() < kCollectedLength || KeyFromCollected(keyFile.Bytes) != key)
        return Fail(kFileTrouble, changed);
    return kDone;
}

}  // namespace

int RunAdd(Session& session) {
    // Told before anything is typed; the lock is held only for the write. A
    // folder without a lock file has no program running, and gets none
    // before the write.
    std::error_code error;
    if (std::filesystem::exists(ComposePath(session.Folder, kLockFileName), error))
        if (const int code = LockRefusal(FolderLock(session.Folder)); code != kDone) return code;
    OpenedBook book(session.Folder);
    if (const int code = OpenBook(session, book); code != kDone) return code;

    std::array<std::u32string, kEntryBoxes> typed;
    for (std::size_t i = 0; i < kEntryBoxes; ++i) {
        const std::string box(kEntryBoxNames[i]);
        const bool secret = i >= 3;  // the password and its confirmation
        const std::optional<std::string> answer = session.Input.Ask(box + ": ", secret);
        if (!answer)
            return Fail(kRefused, "ERROR: The input ended before " + box + ". Nothing was saved.");
        std::optional<std::u32string> text = Utf8ToCodePoints(*answer);
        if (!text)
            return Fail(kRefused, "ERROR: " + box + " is not UTF-8 text. Nothing was saved.");
        typed[i] = std::move(*text);
    }
    const EntryCheck check =
        CheckTypedRecord({typed[0], typed[1], typed[2], typed[3], typed[4]}, true);
    if (!check.Ok()) return Fail(kRefused, EntryMessage(check));

    StoreWriteResult result;
    {
        const FolderLock lock(session.Folder);
        if (const int code = LockRefusal(lock); code != kDone) return code;
        if (const int code = ChangedRefusal(session.Folder, book.Key); code != kDone) return code;
        result = book.Store.Append(book.Key, check.Record);
    }
    if (result.Outcome != StoreWrite::Written) {
        const int code =
            result.Outcome == StoreWrite::TooLong || result.Outcome == StoreWrite::EncryptFailed
                ? kRefused
                : kFileTrouble;
        return Fail(code, PlainLines(AppendFailureLines(result)));
    }
    std::cout << "Added \"" << ShownText(check.Record.ApplicationName) << "\".\n";
    return kDone;
}

}  // namespace lockmere::cli
