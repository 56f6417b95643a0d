#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace lockmere::cli {

// One row of comma-separated values after RFC 4180: a field that holds a
// comma, a double quote, a line break or a leading or trailing blank is
// enclosed in double quotes, its own double quotes doubled; CR LF ends it.
std::string CsvRow(const std::vector<std::string_view>& fields);

}  // namespace lockmere::cli
