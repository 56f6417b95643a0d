#include "cli/csv.h"

namespace lockmere::cli {

namespace {

bool NeedsQuotes(std::string_view field) {
    if (field.find_first_of(",\"\r\n") != std::string_view::npos) return true;
    // Some readers trim unquoted fields.
    return !field.empty() && (field.front() == ' ' || field.back() == ' ');
}

}  // namespace

std::string CsvRow(const std::vector<std::string_view>& fields) {
    std::string row;
    for (std::size_t i = 0; i < fields.size(); ++i) {
        if (i > 0) row += ',';
        const std::string_view field = fields[i];
        if (!NeedsQuotes(field)) {
            row += field;
            continue;
        }
        row += '"';
        for (char c : field) {
            if (c == '"') row += '"';
            row += c;
        }
        row += '"';
    }
    row += "\r\n";
    return row;
}

}  // namespace lockmere::cli
