#include "cli/json.h"

#include "cli/report.h"
#include "store/ansi_codec.h"

namespace lockmere::cli {

namespace {

std::string JsonString(std::string_view ansi) {
    std::string text = "\"";
    for (const char byte : ansi) {
        const char32_t c = CodePointOfAnsi(byte);
        if (c == U'"' || c == U'\\') {
            text += '\\';
            text += byte;
        } else if (IsControlCharacter(c) || c == 0xAD) {
            // Controls, and the soft hyphen a terminal would hide: escaped,
            // so that the value stays exact and never reaches it raw.
            constexpr std::string_view kHex = "0123456789abcdef";
            text += "\\u00";
            text += kHex[c >> 4];
            text += kHex[c & 0xF];
        } else {
            text += AnsiToUtf8(std::string_view(&byte, 1));
        }
    }
    return text + "\"";
}

}  // namespace

std::string JsonRecord(const PasswordRecord& record, bool password) {
    std::string object = "{\"name\": " + JsonString(record.ApplicationName) +
                         ", \"url\": " + JsonString(record.ApplicationUrl) +
                         ", \"username\": " + JsonString(record.UserName);
    if (password) object += ", \"password\": " + JsonString(record.Password);
    return object + "}";
}

std::string JsonArray(const std::vector<std::string>& objects) {
    if (objects.empty()) return "[]\n";
    std::string array = "[\n";
    for (std::size_t i = 0; i < objects.size(); ++i)
        array += "  " + objects[i] + (i + 1 < objects.size() ? ",\n" : "\n");
    return array + "]\n";
}

}  // namespace lockmere::cli
