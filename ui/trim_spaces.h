#pragma once

#include <QString>

namespace lockmere {

// Removes leading and trailing space characters (code 32 only) from typed
// text. Works on the UTF-16 text itself, so that whatever else was typed,
// a lone surrogate too, reaches the checks that follow as it was typed.
QString TrimSpaces(const QString& text);

}  // namespace lockmere
