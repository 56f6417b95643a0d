#include "store/ansi_codec.h"

#include <array>

namespace lockmere {

namespace {

// Bytes 0x80-0x9F. The five the code page leaves undefined map to the C1
// control of the same number, so that every byte survives the round trip.
constexpr std::array<char32_t, 32> kHighControls = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,  // 80-87
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,  // 88-8F
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,  // 90-97
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,  // 98-9F
};

void AppendUtf8(std::string& out, char32_t c) {
    if (c < 0x80) {
        out.push_back(static_cast<char>(c));
    } else if (c < 0x800) {
        out.push_back(static_cast<char>(0xC0 | (c >> 6)));
        out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    } else if (c < 0x10000) {
        out.push_back(static_cast<char>(0xE0 | (c >> 12)));
        out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    } else {
        out.push_back(static_cast<char>(0xF0 | (c >> 18)));
        out.push_back(static_cast<char>(0x80 | ((c >> 12) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    }
}

// The character starting at `i`, advancing `i` past it; nullopt for a
// malformed sequence (overlong, surrogate, beyond U+10FFFF, cut short).
std::optional<char32_t> NextUtf8(std::string_view text, std::size_t& i) {
    const auto lead = static_cast<unsigned char>(text[i]);
    std::size_t length = 0;
    char32_t c = 0;
    char32_t least = 0;
    if (lead < 0x80) {
        ++i;
        return lead;
    } else if ((lead & 0xE0) == 0xC0) {
        length = 2, c = lead & 0x1F, least = 0x80;
    } else if ((lead & 0xF0) == 0xE0) {
        length = 3, c = lead & 0x0F, least = 0x800;
    } else if ((lead & 0xF8) == 0xF0) {
        length = 4, c = lead & 0x07, least = 0x10000;
    } else {
        return std::nullopt;
    }
    if (text.size() - i < length) return std::nullopt;
    for (std::size_t k = 1; k < length; ++k) {
        const auto next = static_cast<unsigned char>(text[i + k]);
        if ((next & 0xC0) != 0x80) return std::nullopt;
        c = (c << 6) | (next & 0x3F);
    }
    if (c < least || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) return std::nullopt;
    i += length;
    return c;
}

// Appends the character's byte; when it has none, records it as refused.
bool Take(AnsiText& text, char32_t c) {
    const std::optional<char> b = AnsiOfCodePoint(c);
    if (!b) {
        text.Complete = false;
        text.Refused = c;
        return false;
    }
    text.Bytes.push_back(*b);
    return true;
}

}  // namespace

char32_t CodePointOfAnsi(char byte) {
    const auto b = static_cast<unsigned char>(byte);
    return b >= 0x80 && b <= 0x9F ? kHighControls[b - 0x80] : char32_t{b};
}

std::optional<char> AnsiOfCodePoint(char32_t c) {
    if (c < 0x80 || (c >= 0xA0 && c <= 0xFF)) return static_cast<char>(c);
    for (std::size_t i = 0; i < kHighControls.size(); ++i)
        if (kHighControls[i] == c) return static_cast<char>(0x80 + i);
    return std::nullopt;
}

std::string AnsiToUtf8(std::string_view bytes) {
    std::string out;
    out.reserve(bytes.size());
    for (char b : bytes) AppendUtf8(out, CodePointOfAnsi(b));
    return out;
}

AnsiText CodePointsToAnsi(std::u32string_view text) {
    AnsiText result;
    result.Bytes.reserve(text.size());
    for (char32_t c : text)
        if (!Take(result, c)) break;
    return result;
}

AnsiText Utf8ToAnsi(std::string_view utf8) {
    AnsiText result;
    result.Bytes.reserve(utf8.size());
    std::size_t i = 0;
    while (i < utf8.size()) {
        const std::optional<char32_t> c = NextUtf8(utf8, i);
        if (!c) {
            result.Complete = false;
            result.InvalidUtf8 = true;
            return result;
        }
        if (!Take(result, *c)) break;
    }
    return result;
}

std::string CodePointsToUtf8(std::u32string_view text) {
    std::string out;
    out.reserve(text.size());
    for (char32_t c : text) AppendUtf8(out, c);
    return out;
}

std::optional<std::u32string> Utf8ToCodePoints(std::string_view utf8) {
    std::u32string text;
    text.reserve(utf8.size());
    std::size_t i = 0;
    while (i < utf8.size()) {
        const std::optional<char32_t> c = NextUtf8(utf8, i);
        if (!c) return std::nullopt;
        text.push_back(*c);
    }
    return text;
}

}  // namespace lockmere
