#include "store/record_line.h"

namespace lockmere {

namespace {

// The four fields in their order, `separator` between them.
void AppendFields(std::string& out, const PasswordRecord& record, char separator) {
    out.reserve(out.size() + record.ApplicationName.size() + record.ApplicationUrl.size() +
                record.UserName.size() + record.Password.size() + 4);
    out += record.ApplicationName;
    out += separator;
    out += record.ApplicationUrl;
    out += separator;
    out += record.UserName;
    out += separator;
    out += record.Password;
}

}  // namespace

SecretText ComposeRecordLine(const PasswordRecord& record) {
    SecretText line;
    AppendFields(line, record, kFieldTab);
    return line;
}

SecretText ComposeStoreEntry(const PasswordRecord& record) {
    SecretText entry;
    entry += kRecordStart;
    AppendFields(entry, record, kStoreSeparator);
    entry += kRecordEnd;
    return entry;
}

PasswordRecord SplitRecordLine(std::string_view line) {
    PasswordRecord record;
    SecretText current;
    current.reserve(line.size());
    int field = 1;
    for (char c : line) {
        if (c != kFieldTab) {
            current += c;
            continue;
        }
        // Text between the third and the last TAB is dropped.
        switch (field) {
        case 1:
            record.ApplicationName = current;
            break;
        case 2:
            record.ApplicationUrl = current;
            break;
        case 3:
            record.UserName = current;
            break;
        default:
            break;
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
        // Above 159 a key code can push the character past 255; TAB, 20, 127
        // and 128 give the list and the store their structure; the other
        // controls (the five codes Windows-1252 leaves undefined read as C1
        // controls) would reach a terminal or a script that reads a field.
        constexpr std::string_view kUndefined = "\x81\x8d\x8f\x90\x9d";
        if (code > 159 || code < 32 || code == 127 || code == 128 ||
            kUndefined.find(text[i]) != std::string_view::npos)
            return i;
    }
    return std::nullopt;
}

}  // namespace lockmere
