#pragma once

#include <array>
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "cli/csv_reader.h"

namespace lockmere::cli {

// The columns of another program's CSV export that give a record's four
// fields. Its header names them; other columns may stand around them.
struct Layout {
    std::string_view Name;  // as --format takes it
    // Every column the layout needs, as the header names it.
    std::vector<std::string_view> Columns;
    // The columns of the Application Name (empty: the address's host),
    // Application URL, User Name and Password.
    std::array<std::string_view, 4> Fields;
    // A column naming each row's kind: rows of another kind than "login"
    // are no password records.
    std::string_view TypeColumn;
    // The address column may hold several, joined by commas.
    bool SeveralAddresses = false;
};

// The layouts in the order they are tried; one name may have several.
const std::vector<Layout>& Layouts();
bool LayoutNamed(std::string_view name);
// "keepassxc, bitwarden, ... or lockmere".
std::string LayoutNames();

// A header matched to a layout: where each column it names stands.
struct HeaderMatch {
    const Layout* Which = nullptr;
    std::vector<std::size_t> Positions;  // of Layout::Columns, in their order
};
// The first layout (of those named so, when a name is given) whose every
// column the header holds, compared without regard to case and
// surrounding blanks.
std::optional<HeaderMatch> MatchHeader(const std::vector<std::u32string>& header,
                                       std::optional<std::string_view> name);

// A row taken apart by its layout.
struct LayoutRow {
    bool NotALogin = false;
    std::array<std::u32string, 4> Fields;  // as they stand, not yet trimmed
    // The columns whose non-empty values the book has no place for, by
    // their position in the row.
    std::vector<std::size_t> Dropped;
    bool MoreAddresses = false;  // addresses after the first, dropped too
};
// The row has as many fields as the header.
LayoutRow TakeApart(const HeaderMatch& match, const CsvRow& row);

// The host of an address ("https://ann@mail.example.com:8443/x" gives
// "mail.example.com"); empty when it names none.
std::u32string HostOf(std::u32string_view address);

}  // namespace lockmere::cli
