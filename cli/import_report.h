#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "cli/import_rows.h"

namespace lockmere::cli {

struct RefusedRow {
    std::size_t Line = 0;
    std::string Name;  // the Application Name as shown, or empty
    RowRefusal Why;
};

// A row imported with an address "Launch Browser" will not open.
struct NotWebRow {
    std::size_t Line = 0;
    std::string Name;     // the Application Name as shown
    std::string Address;  // as shown
};

// The non-empty values of a column the book has no place for.
struct DroppedColumn {
    std::string Column;
    std::size_t Values = 0;
};

// What an import found in its file, and what it did with each row.
struct ImportTally {
    std::string File;  // as shown
    std::string_view Layout;
    bool Utf8 = true;
    char32_t Separator = U',';
    bool TypedRows = false;  // the layout has rows that are no logins
    std::size_t Read = 0;
    std::size_t Duplicates = 0;
    std::size_t NotLogins = 0;
    std::vector<RefusedRow> Refused;
    std::vector<DroppedColumn> Dropped;  // counted over the rows accepted
    std::vector<NotWebRow> NotWeb;       // among the rows accepted
};

// The report on standard output; imported is the number of records
// written, or that a dry run would write. It shows no password, nor any
// part of one.
std::string ImportReport(const ImportTally& tally, std::size_t imported, bool dryRun);

}  // namespace lockmere::cli
