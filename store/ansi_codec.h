#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "store/secret_text.h"

namespace lockmere {

// Windows-1252 <-> Unicode by table. Every byte maps to one character and
// back (the five bytes the code page leaves undefined map to the C1 controls
// of the same number), so a line read from a file survives a trip through
// any text type unchanged.
char32_t CodePointOfAnsi(char byte);
// nullopt when the character has no Windows-1252 code.
std::optional<char> AnsiOfCodePoint(char32_t c);

std::string AnsiToUtf8(std::string_view bytes);

// The bytes of a text, or the first character that stops it.
struct AnsiText {
    SecretText Bytes;          // the whole text when Ok(), else the part before Refused
    bool Complete = true;      // false: Refused stopped the text
    bool InvalidUtf8 = false;  // stopped by a malformed sequence, not a character
    char32_t Refused = 0;      // the character without a code
    bool Ok() const { return Complete; }
};
// Each accepted character gives one byte, so Bytes.size() is also the
// number of characters before the refused one.
[[nodiscard]] AnsiText CodePointsToAnsi(std::u32string_view text);
[[nodiscard]] AnsiText Utf8ToAnsi(std::string_view utf8);

// Between UTF-8 and characters, for text that is checked before it is
// converted (a typed record). Malformed UTF-8 gives nullopt.
std::string CodePointsToUtf8(std::u32string_view text);
std::optional<std::u32string> Utf8ToCodePoints(std::string_view utf8);

}  // namespace lockmere
