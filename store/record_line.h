#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "store/secret_text.h"

namespace lockmere {

inline constexpr char kFieldTab = '\t';
inline constexpr char kStoreSeparator = '\x14';  // 20
inline constexpr char kRecordStart = '\x7f';     // 127
inline constexpr char kRecordEnd = '\x80';       // 128

// What a record without an address holds as its Application URL; the
// viewer takes it, in any case, to mean "no address".
inline constexpr std::string_view kNoAddress = "N/A";

// A record's four fields in their fixed order.
struct PasswordRecord {
    SecretText ApplicationName;
    SecretText ApplicationUrl;
    SecretText UserName;
    SecretText Password;

    bool operator==(const PasswordRecord&) const = default;
};

// Fields joined by TAB: the list rendering.
SecretText ComposeRecordLine(const PasswordRecord& record);
// 127, fields joined by 20, 128: the store rendering.
SecretText ComposeStoreEntry(const PasswordRecord& record);
// The one split rule every reader of a line uses.
PasswordRecord SplitRecordLine(std::string_view line);

// Removes leading and trailing spaces (code 32 only).
std::string TrimSpaces(std::string_view text);

// What a stored field may take from the user or an imported file: the
// printable codes up to 159, so never a control character (0-31, 127, and
// 129, 141, 143, 144 and 157, which Windows-1252 leaves undefined) nor the
// euro sign 128, which ends a record. Returns the 0-based index of the
// first character that breaks the rule.
std::optional<std::size_t> FindForbiddenCharacter(std::string_view text);

}  // namespace lockmere
