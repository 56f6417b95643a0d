#pragma once

#include <string>
#include <vector>

#include "store/record_line.h"

namespace lockmere::cli {

// A record as a JSON object on one line, its fields as UTF-8 strings:
// {"name": ..., "url": ..., "username": ...}, and "password" when asked.
// Control characters are escaped, so that none reaches a terminal.
std::string JsonRecord(const PasswordRecord& record, bool password);

// The objects as one JSON array, one object to a line, and a line end.
std::string JsonArray(const std::vector<std::string>& objects);

}  // namespace lockmere::cli
