#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace lockmere {

// What "Launch Browser" may hand to the desktop: a web address, never a
// file, a program or another scheme's handler. The address is UTF-8,
// trimmed. "http://" or "https://" in any letter case, with more after it,
// goes as it is; a bare host name, as people type it, with an optional port
// and path ("www.bank.example", "bank.example:8443/login", "192.168.1.1")
// goes as "http://" + the text. A host name has at least two labels of
// letters, digits and hyphens (no leading hyphen), separated by single dots.
// Anything else, and any control character, gives nothing.
[[nodiscard]] std::optional<std::string> WebAddress(std::string_view address);

}  // namespace lockmere
