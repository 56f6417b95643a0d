#include "cli/import_layouts.h"

#include <algorithm>

namespace lockmere::cli {

namespace {

// Column names are ASCII: folded by hand, blanks around them dropped.
std::u32string ColumnKey(std::u32string_view name) {
    const auto blank = [](char32_t c) { return c == U' ' || c == U'\t'; };
    while (!name.empty() && blank(name.front())) name.remove_prefix(1);
    while (!name.empty() && blank(name.back())) name.remove_suffix(1);
    std::u32string key;
    for (char32_t c : name) key.push_back(c >= U'A' && c <= U'Z' ? c + (U'a' - U'A') : c);
    return key;
}

std::u32string ColumnKey(std::string_view ascii) {
    return ColumnKey(std::u32string(ascii.begin(), ascii.end()));
}

std::size_t PositionOf(const Layout& layout, const HeaderMatch& match, std::string_view column) {
    const auto at = std::find(layout.Columns.begin(), layout.Columns.end(), column);
    return match.Positions[static_cast<std::size_t>(at - layout.Columns.begin())];
}

bool IsEmpty(std::u32string_view value) {
    return std::all_of(value.begin(), value.end(), [](char32_t c) { return c == U' '; });
}

}  // namespace

const std::vector<Layout>& Layouts() {
    static const std::vector<Layout> layouts{
        {"keepassxc",
         {"Title", "Username", "Password", "URL"},
         {"Title", "URL", "Username", "Password"},
         {},
         false},
        {"bitwarden",
         {"type", "name", "login_uri", "login_username", "login_password"},
         {"name", "login_uri", "login_username", "login_password"},
         "type",
         true},
        {"chrome",
         {"name", "url", "username", "password"},
         {"name", "url", "username", "password"},
         {},
         false},
        {"chrome",
         {"origin_url", "username_value", "password_value"},
         {"", "origin_url", "username_value", "password_value"},
         {},
         false},
        {"firefox",
         {"url", "username", "password", "httpRealm", "formActionOrigin", "guid"},
         {"", "url", "username", "password"},
         {},
         false},
        {"keepass1",
         {"Account", "Login Name", "Password", "Web Site"},
         {"Account", "Web Site", "Login Name", "Password"},
         {},
         false},
        {"lockmere",
         {"Title", "URL", "Username", "Password"},
         {"Title", "URL", "Username", "Password"},
         {},
         false},
    };
    return layouts;
}

bool LayoutNamed(std::string_view name) {
    return std::any_of(Layouts().begin(), Layouts().end(),
                       [name](const Layout& l) { return l.Name == name; });
}

std::string LayoutNames() {
    std::vector<std::string_view> names;
    for (const Layout& layout : Layouts())
        if (std::find(names.begin(), names.end(), layout.Name) == names.end())
            names.push_back(layout.Name);
    std::string text;
    for (std::size_t i = 0; i < names.size(); ++i) {
        if (i > 0) text += i + 1 == names.size() ? " or " : ", ";
        text += names[i];
    }
    return text;
}

std::optional<HeaderMatch> MatchHeader(const std::vector<std::u32string>& header,
                                       std::optional<std::string_view> name) {
    std::vector<std::u32string> keys;
    for (const std::u32string& column : header) keys.push_back(ColumnKey(column));
    for (const Layout& layout : Layouts()) {
        if (name && layout.Name != *name) continue;
        HeaderMatch match{&layout, {}};
        for (std::string_view column : layout.Columns) {
            // A column named twice: the first counts.
            const auto at = std::find(keys.begin(), keys.end(), ColumnKey(column));
            if (at == keys.end()) break;
            match.Positions.push_back(static_cast<std::size_t>(at - keys.begin()));
        }
        if (match.Positions.size() == layout.Columns.size()) return match;
    }
    return std::nullopt;
}

LayoutRow TakeApart(const HeaderMatch& match, const CsvRow& row) {
    const Layout& layout = *match.Which;
    LayoutRow taken;
    if (!layout.TypeColumn.empty()) {
        const std::u32string& type = row.Fields[PositionOf(layout, match, layout.TypeColumn)];
        if (ColumnKey(type) != U"login") {
            taken.NotALogin = true;
            return taken;
        }
    }
    std::vector<std::size_t> used;
    for (std::size_t i = 0; i < taken.Fields.size(); ++i) {
        if (layout.Fields[i].empty()) continue;
        used.push_back(PositionOf(layout, match, layout.Fields[i]));
        taken.Fields[i] = row.Fields[used.back()];
    }
    if (!layout.TypeColumn.empty()) used.push_back(PositionOf(layout, match, layout.TypeColumn));
    std::u32string& address = taken.Fields[1];
    if (layout.SeveralAddresses) {
        if (const auto comma = address.find(U','); comma != std::u32string::npos) {
            taken.MoreAddresses = !IsEmpty(std::u32string_view(address).substr(comma + 1));
            address.resize(comma);
        }
    }
    if (layout.Fields[0].empty()) taken.Fields[0] = HostOf(address);
    for (std::size_t i = 0; i < row.Fields.size(); ++i)
        if (std::find(used.begin(), used.end(), i) == used.end() && !IsEmpty(row.Fields[i]))
            taken.Dropped.push_back(i);
    return taken;
}

std::u32string HostOf(std::u32string_view address) {
    while (!address.empty() && address.front() == U' ') address.remove_prefix(1);
    if (const auto scheme = address.find(U"://"); scheme != std::u32string_view::npos)
        address.remove_prefix(scheme + 3);
    address = address.substr(0, address.find_first_of(U"/?#"));
    if (const auto user = address.rfind(U'@'); user != std::u32string_view::npos)
        address.remove_prefix(user + 1);
    // A port follows the last colon, unless it closes an IPv6 address in
    // brackets.
    const auto colon = address.rfind(U':');
    if (colon != std::u32string_view::npos &&
        address.find(U']', colon) == std::u32string_view::npos)
        address = address.substr(0, colon);
    while (!address.empty() && address.back() == U' ') address.remove_suffix(1);
    return std::u32string(address);
}

}  // namespace lockmere::cli
