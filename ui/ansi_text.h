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

// Checks a typed field for what a stored text may hold. On success gives the
// field's bytes; otherwise a message naming the character and the field,
// for an exclamation box.
struct FieldText {
    std::optional<std::string> Bytes;
    QString Message;
};
FieldText CheckFieldText(const QString& text, const QString& fieldName);

}  // namespace lockmere
