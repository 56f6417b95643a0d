#include "cli/locked_append.h"

#include "cli/exit_codes.h"
#include "cli/report.h"
#include "store/file_access.h"
#include "store/folder_lock.h"
#include "store/key_file.h"
#include "store/pair_copy.h"

namespace lockmere::cli {

namespace {

// "add the record again" opening a sentence.
std::string Capitalized(std::string_view text) {
    std::string sentence(text);
    if (!sentence.empty() && sentence[0] >= 'a' && sentence[0] <= 'z')
        sentence[0] = static_cast<char>(sentence[0] - 'a' + 'A');
    return sentence;
}

// The windowed program holds the folder's lock while it runs; an append
// takes it too, so that the two never write the store at once.
[[nodiscard]] int LockRefusal(const FolderLock& lock, const AppendWords& words) {
    switch (lock.Result()) {
    case FolderLock::Outcome::Taken:
        return kDone;
    case FolderLock::Outcome::Busy:
        return Fail(kRefused, "ERROR: Lockmere is running from this folder, so " +
                                  std::string(words.Nothing) + ". Close it, then " +
                                  std::string(words.Again) + ".");
    case FolderLock::Outcome::NotAFile:
    case FolderLock::Outcome::Failed:
        break;
    }
    return Fail(kFileTrouble, "ERROR: The folder could not be locked with " +
                                  std::string(kLockFileName) + " (failure code " +
                                  std::to_string(lock.Code()) + ": " +
                                  std::string(FailureMeaning(lock.Code())) + "), so " +
                                  std::string(words.Nothing) + ".");
}

[[nodiscard]] int ChangedRefusal(const std::filesystem::path& folder, std::string_view key,
                                 const AppendWords& words) {
    const std::string changed = "ERROR: The book in " + PathText(folder) + " changed " +
                                std::string(words.While) +
                                " (it was restored, or a copy into it is unfinished), so " +
                                std::string(words.Nothing) + ". " + Capitalized(words.Again) + ".";
    if (PairMarkerStands(folder)) return Fail(kFileTrouble, changed);
    const ReadResult keyFile =
        ReadExistingFile(ComposePath(folder, kKeyFileName), kKeyFileLargest, Links::Follow);
    if (!keyFile.Ok())
        return Fail(kFileTrouble, ReadFailureText(kKeyFileName, folder, keyFile.Code));
    if (keyFile.Bytes.size() < kCollectedLength || KeyFromCollected(keyFile.Bytes) != key)
        return Fail(kFileTrouble, changed);
    return kDone;
}

}  // namespace

int RefuseWhileInUse(const std::filesystem::path& folder, const AppendWords& words) {
    std::error_code error;
    if (!std::filesystem::exists(ComposePath(folder, kLockFileName), error)) return kDone;
    return LockRefusal(FolderLock(folder), words);
}

int AppendLocked(const std::filesystem::path& folder, OpenedBook& book,
                 const std::vector<PasswordRecord>& records, const AppendWords& words,
                 StoreWriteResult& result) {
    const FolderLock lock(folder);
    if (const int code = LockRefusal(lock, words); code != kDone) return code;
    if (const int code = ChangedRefusal(folder, book.Key, words); code != kDone) return code;
    result = book.Store.AppendAll(book.Key, records);
    return kDone;
}

int AppendFailureCode(const StoreWriteResult& result) {
    return result.Outcome == StoreWrite::TooLong || result.Outcome == StoreWrite::EncryptFailed
               ? kRefused
               : kFileTrouble;
}

}  // namespace lockmere::cli
