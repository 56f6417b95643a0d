#pragma once

#include <string>
#include <vector>

#include "cli/commands.h"
#include "records/record_line.h"

namespace lockmere::cli {

// A book opened with its master password: the key and every record, in the
// order of the main window's list.
struct OpenedBook {
    std::string Key;
    std::vector<PasswordRecord> Records;
};

// Reads both data files (never creating one), asks for the master password
// and judges it as the main window's login does, then reads every record;
// a store that does not decipher completely is refused. Returns kDone, or
// the exit code after the reason was written to standard error.
int OpenBook(Session& session, OpenedBook& book);

}  // namespace lockmere::cli
