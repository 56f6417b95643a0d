#include "store/record_line.h"

namespace lockmere {

std::string ComposeRecordLine(const PasswordRecord& record) {
    std::string line;
    line.reserve(record.ApplicationName.size() + record.ApplicationUrl.size() +
                 record.UserName.size() + record.Password.size() + 3);
    line += record.ApplicationName;
    line += kFieldTab;
    line += record.ApplicationUrl;
    line += kFieldTab;
    line += record.UserName;
    line += kFieldTab;
    line += record.Password;
    return line;
}

std::string ComposeStoreEntry(const PasswordRecord& record) {
    std::string entry;
    entry.reserve(record.ApplicationName.size() + record.ApplicationUrl.size() +
                  record.UserName.size() + record.Password.size() + 5);
    entry += kRecordStart;
    entry += record.ApplicationName;
    entry += kStoreSeparator;
    entry += record.ApplicationUrl;
    entry += kStoreSeparator;
    entry += record.UserName;
    entry += kStoreSeparator;
    entry += record.Password;
    entry += kRecordEnd;
    return entry;
}

PasswordRecord SplitRecordLine(std::string_view line) {
    PasswordRecord record;
    std::string current;
    int field = 1;
    for (char c : line) {
        if (c != kFieldTab) {
            current += c;
            continue;
        }
        // Text between the third and the last TAB is dropped.
        switch (field) {
            case 1: record.ApplicationName = current; break;
            case 2: record.ApplicationUrl = current; break;
            case 3: record.UserName = current; break;
            default: break;
        }
        current.clear();
        ++field;
    }
    record.Password = current;
    return record;
}

std::string TrimSpaces(std::string_view text) {
    const auto first = text.find_first_not_of(' ');
    if (first == std::string_view::npos) return {};
    const auto last = text.find_last_not_of(' ');
    return std::string(text.substr(first, last - first + 1));
}

std::optional<std::size_t> FindForbiddenCharacter(std::string_view text) {
    for (std::size_t i = 0; i < text.size(); ++i) {
        const auto code = static_cast<unsigned char>(text[i]);
        // Above 159 a key code can push the character past 255; the other
        // four give the list and the store their structure.
        if (code > 159) return i;
        const char c = text[i];
        if (c == kFieldTab || c == kStoreSeparator || c == kRecordStart || c == kRecordEnd)
            return i;
    }
    return std::nullopt;
}

}  // namespace lockmere
