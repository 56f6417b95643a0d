#pragma once

#include <array>
#include <optional>
#include <string>

#include "store/record_line.h"

namespace lockmere::cli {

// Why the add window's rules refuse an imported row: in full, and as the
// report's summary counts it. Neither shows a character of a password.
struct RowRefusal {
    std::string Detail;  // `User Name holds the character "é", which the store cannot hold`
    std::string Reason;  // "User Name with a character the store cannot hold"
};

struct RowCheck {
    std::optional<PasswordRecord> Record;  // when accepted
    RowRefusal Refusal;
};

// A row's Application Name, Application URL, User Name and Password as the
// add window would take them: trimmed, an empty address made the
// no-address placeholder, each field within its box's limit, none blank,
// no line break (the windows could neither show nor edit it), only
// characters a stored field may hold.
[[nodiscard]] RowCheck CheckImportedRow(const std::array<std::u32string, 4>& fields);

// The refusal of a row whose fields do not line up with the header's.
RowRefusal FieldCountRefusal(std::size_t fields, std::size_t headerFields);

}  // namespace lockmere::cli
