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
    std::u32string cps; AnsiText bad; bad.Complete = false; bad.InvalidUtf8 = true;
    for (std::size_t i = 0; i < u.size();) {
        unsigned char c = u[i]; char32_t cp; int n;
        if (c < 0x80) { cp = c; n = 0; } else if ((c & 0xE0) == 0xC0) { cp = c & 0x1F; n = 1; } else if ((c & 0xF0) == 0xE0) { cp = c & 0x0F; n = 2; } else if ((c & 0xF8) == 0xF0) { cp = c & 7; n = 3; } else { AnsiText r = CodePointsToAnsi(cps); if (r.Ok()) return bad; return r; }
        if (i + n >= u.size() + (n ? 0 : 1)) { if (i + n >= u.size() && n) { AnsiText r = CodePointsToAnsi(cps); if (r.Ok()) { r = bad; } return r; } }
        for (int k = 1; k <= n; ++k) { unsigned char d = u[i + k]; if ((d & 0xC0) != 0x80) { AnsiText r = CodePointsToAnsi(cps); if (r.Ok()) return bad; return r;} cp = (cp << 6) | (d & 0x3F); }
        cps += cp; i += n + 1;
    }
    return CodePointsToAnsi(cps);
}
}
