#include "store/web_address.h"

#include <algorithm>
#include <cctype>

namespace lockmere {

namespace {

bool StartsWithFolded(std::string_view text, std::string_view prefix) {
    return text.size() >= prefix.size() &&
           std::equal(prefix.begin(), prefix.end(), text.begin(), [](char p, char t) {
               return p == std::tolower(static_cast<unsigned char>(t));
           });
}

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// Letters of any script arrive as UTF-8 bytes above 127.
bool IsLabelCharacter(char c) {
    const auto code = static_cast<unsigned char>(c);
    return std::isalnum(code) || c == '-' || code >= 0x80;
}

bool IsHostName(std::string_view host) {
    std::size_t labels = 0;
    for (std::size_t start = 0; start <= host.size(); ++labels) {
        const std::size_t dot = std::min(host.find('.', start), host.size());
        const std::string_view label = host.substr(start, dot - start);
        if (label.empty() || label.front() == '-' ||
            !std::all_of(label.begin(), label.end(), IsLabelCharacter))
            return false;
        start = dot + 1;
    }
    return labels >= 2;
}

bool IsBareHost(std::string_view address) {
    std::string_view host = address.substr(0, address.find_first_of("/?#"));
    if (const std::size_t colon = host.find(':'); colon != std::string_view::npos) {
        const std::string_view port = host.substr(colon + 1);
        if (port.empty() || port.size() > 5 || !std::all_of(port.begin(), port.end(), IsDigit))
            return false;
        host = host.substr(0, colon);
    }
    return IsHostName(host);
}

}  // namespace

std::optional<std::string> WebAddress(std::string_view address) {
    const bool control = std::any_of(address.begin(), address.end(), [](char c) {
        return static_cast<unsigned char>(c) < 32 || c == 127;
    });
    if (control) return std::nullopt;
    for (std::string_view scheme : {"http://", "https://"})
        if (StartsWithFolded(address, scheme))
            return address.size() > scheme.size() ? std::optional(std::string(address))
                                                  : std::nullopt;
    if (IsBareHost(address)) return "http://" + std::string(address);
    return std::nullopt;
}

}  // namespace lockmere
