// SCAFFOLD: replaced by the book engineer's codec on merge.
#include "store/ansi_codec.h"
#include <array>
namespace lockmere {
namespace {
constexpr std::array<char16_t, 32> kHigh = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};
void Put(std::string& s, char32_t c) {
    if (c < 0x80) s += char(c);
    else if (c < 0x800) { s += char(0xC0 | (c >> 6)); s += char(0x80 | (c & 0x3F)); }
    else { s += char(0xE0 | (c >> 12)); s += char(0x80 | ((c >> 6) & 0x3F)); s += char(0x80 | (c & 0x3F)); }
}
}
char32_t CodePointOfAnsi(char byte) {
    auto b = static_cast<unsigned char>(byte);
    return b >= 0x80 && b <= 0x9F ? kHigh[b - 0x80] : b;
}
std::optional<char> AnsiOfCodePoint(char32_t c) {
    if (c < 0x80 || (c >= 0xA0 && c <= 0xFF)) return char(c);
    for (std::size_t i = 0; i < 32; ++i) if (kHigh[i] == c) return char(0x80 + i);
    return std::nullopt;
}
std::string AnsiToUtf8(std::string_view bytes) { std::string s; for (char b : bytes) Put(s, CodePointOfAnsi(b)); return s; }
AnsiText CodePointsToAnsi(std::u32string_view text) {
    AnsiText r; for (char32_t c : text) { auto b = AnsiOfCodePoint(c); if (!b) { r.Complete = false; r.Refused = c; return r; } r.Bytes += *b; } return r;
}
AnsiText Utf8ToAnsi(std::string_view u) {
    AnsiText r;
    for (std::size_t i = 0; i < u.size();) {
        const unsigned char c = u[i];
        const int n = c < 0x80 ? 0 : (c & 0xE0) == 0xC0 ? 1 : (c & 0xF0) == 0xE0 ? 2 : (c & 0xF8) == 0xF0 ? 3 : -1;
        char32_t cp = n == 0 ? c : n == 1 ? (c & 0x1F) : n == 2 ? (c & 0x0F) : (c & 0x07);
        bool bad = n < 0 || i + n >= u.size() + 0 ? n < 0 || i + static_cast<std::size_t>(n) >= u.size() + (n == 0) : false;
        if (n > 0 && i + static_cast<std::size_t>(n) >= u.size() + 1) bad = true;
        for (int k = 1; !bad && k <= n; ++k) { const unsigned char d = u[i + k]; if ((d & 0xC0) != 0x80) bad = true; else cp = (cp << 6) | (d & 0x3F); }
        if (bad) { r.Complete = false; r.InvalidUtf8 = true; return r; }
        const auto b = AnsiOfCodePoint(cp);
        if (!b) { r.Complete = false; r.Refused = cp; return r; }
        r.Bytes += *b;
        i += static_cast<std::size_t>(n) + 1;
    }
    return r;
}
std::string CodePointsToUtf8(std::u32string_view text) { std::string s; for (char32_t c : text) { if (c < 0x10000) Put(s, c); else { s += char(0xF0 | (c >> 18)); s += char(0x80 | ((c >> 12) & 0x3F)); s += char(0x80 | ((c >> 6) & 0x3F)); s += char(0x80 | (c & 0x3F)); } } return s; }
std::optional<std::u32string> Utf8ToCodePoints(std::string_view u) {
    std::u32string out;
    for (std::size_t i = 0; i < u.size();) {
        const unsigned char c = u[i];
        const int n = c < 0x80 ? 0 : (c & 0xE0) == 0xC0 ? 1 : (c & 0xF0) == 0xE0 ? 2 : (c & 0xF8) == 0xF0 ? 3 : -1;
        if (n < 0 || (n > 0 && i + static_cast<std::size_t>(n) >= u.size())) return std::nullopt;
        char32_t cp = n == 0 ? c : n == 1 ? (c & 0x1F) : n == 2 ? (c & 0x0F) : (c & 0x07);
        for (int k = 1; k <= n; ++k) { const unsigned char d = u[i + k]; if ((d & 0xC0) != 0x80) return std::nullopt; cp = (cp << 6) | (d & 0x3F); }
        out += cp; i += static_cast<std::size_t>(n) + 1;
    }
    return out;
}
}
