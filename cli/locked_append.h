#pragma once

#include <filesystem>
#include <string_view>
#include <vector>

#include "cli/open_book.h"
#include "store/record_line.h"
#include "store/record_store.h"

namespace lockmere::cli {

// How a command that appends records speaks of what it did not do.
struct AppendWords {
    std::string_view Nothing;  // "nothing was added"
    std::string_view While;    // "while the answers were typed"
    std::string_view Again;    // "add the record again"
};

// Told before anything is asked: the windowed program holds the folder's
// lock while it runs. A folder without a lock file has no program running,
// and gets none from this check. Returns kDone, or the exit code after the
// reason was written to standard error.
[[nodiscard]] int RefuseWhileInUse(const std::filesystem::path& folder, const AppendWords& words);

// Under the folder's lock, and only while the book is still the one opened
// with the password (a restore meanwhile brings another key, a copy cut
// short a marker): the records appended at the store's end in one write.
// Returns kDone with the write's result, or the exit code after the reason
// was written to standard error.
[[nodiscard]] int AppendLocked(const std::filesystem::path& folder, OpenedBook& book,
                               const std::vector<PasswordRecord>& records, const AppendWords& words,
                               StoreWriteResult& result);

// The exit code of a write that failed: the store's limits refuse, the
// disk fails.
[[nodiscard]] int AppendFailureCode(const StoreWriteResult& result);

}  // namespace lockmere::cli
