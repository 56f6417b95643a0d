#pragma once

#include <string>

#include "cli/commands.h"
#include "store/book.h"
#include "store/record_store.h"

namespace lockmere::cli {

// A book opened with its master password: the key and every record, in the
// order of the main window's list. Its store is never created by a read.
struct OpenedBook {
    explicit OpenedBook(const std::filesystem::path& folder)
        : Store(folder, RecordStore::Missing::Report), List(Store) {}

    std::string Key;
    RecordStore Store;
    Book List;                    // the records, as the main window lists them
    std::size_t StoreLength = 0;  // of the deciphered store text, as loaded
};

// Reads both data files (never creating one), asks for the master password
// and judges it as the main window's login does, then loads every record;
// a store that does not decipher completely is refused. Returns kDone, or
// the exit code after the reason was written to standard error.
[[nodiscard]] int OpenBook(Session& session, OpenedBook& book);

}  // namespace lockmere::cli
