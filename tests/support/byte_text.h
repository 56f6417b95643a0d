#pragma once

// Byte strings for test comparisons: a failed check prints them with every
// unprintable byte escaped, so that a wrong byte shows.

#include <ostream>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "store/secret_text.h"

namespace lockmere::test {

struct Bytes {
    Bytes(std::string_view value) : Value(value) {}
    Bytes(const std::string& value) : Value(value) {}
    Bytes(const char* value) : Value(value) {}
    std::string Value;
    bool operator==(const Bytes&) const = default;
};

struct Lines {
    Lines(std::vector<std::string> value) : Value(std::move(value)) {}
    std::vector<std::string> Value;
    bool operator==(const Lines&) const = default;
};

// All 256 byte values: nothing may be translated on the way.
inline std::string EveryByte() {
    std::string bytes;
    for (int code = 0; code < 256; ++code) bytes.push_back(static_cast<char>(code));
    return bytes;
}

inline Bytes Q(std::string_view s) { return Bytes{std::string(s)}; }
inline Lines Q(const std::vector<std::string>& lines) { return Lines{lines}; }
inline Lines Q(const std::vector<lockmere::SecretText>& lines) {
    return Lines{{lines.begin(), lines.end()}};
}

inline std::ostream& operator<<(std::ostream& out, const Bytes& bytes) {
    static const char kHex[] = "0123456789abcdef";
    out << '"';
    for (const char c : bytes.Value) {
        const auto code = static_cast<unsigned char>(c);
        if (code >= 32 && code < 127 && c != '"' && c != '\\') {
            out << c;
        } else {
            out << "\\x" << kHex[code >> 4] << kHex[code & 15];
        }
    }
    return out << '"' << " (" << bytes.Value.size() << " bytes)";
}

inline std::ostream& operator<<(std::ostream& out, const Lines& lines) {
    out << '{';
    for (const std::string& line : lines.Value) out << ' ' << Q(line);
    return out << " }";
}

}  // namespace lockmere::test
