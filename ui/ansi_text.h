#pragma once

#include <QString>
#include <optional>
#include <string>
#include <string_view>

namespace lockmere {

// Windows-1252 <-> QString, through the core's table (store/ansi_codec.h):
// every byte survives a trip through a widget unchanged.
QString FromAnsi(std::string_view bytes);
// nullopt when a character has no Windows-1252 code.
std::optional<std::string> ToAnsi(const QString& text);

// The text's characters, surrogate pairs whole; a lone surrogate stays
// itself, so that it is refused by its own number.
std::u32string CodePoints(const QString& text);
// How a message names a character ("The character "é"", "Character 160"):
// by number when the toolkit says it shows nothing.
std::string CharacterName(char32_t c);

}  // namespace lockmere
