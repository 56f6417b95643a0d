#include "ui/ansi_text.h"

#include "store/ansi_codec.h"
#include "store/record_line.h"

namespace lockmere {

namespace {

// Surrogate pairs whole; a lone surrogate stays itself, so that it is
// refused by its own number.
std::u32string CodePoints(const QString& text) {
    std::u32string points;
    points.reserve(static_cast<std::size_t>(text.size()));
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c.isHighSurrogate() && i + 1 < text.size() && text.at(i + 1).isLowSurrogate()) {
            points.push_back(QChar::surrogateToUcs4(c, text.at(i + 1)));
            ++i;
        } else {
            points.push_back(c.unicode());
        }
    }
    return points;
}

QString DescribeCharacter(char32_t c) {
    if (c == U'\t') return QStringLiteral("The tab character");
    if (!QChar::isPrint(c) || (QChar::isSpace(c) && c != U' '))
        return QStringLiteral("Character %1").arg(static_cast<quint32>(c));
    return QStringLiteral("The character \"%1\"").arg(QString::fromUcs4(&c, 1));
}

}  // namespace

QString FromAnsi(std::string_view bytes) {
    const std::string utf8 = AnsiToUtf8(bytes);
    return QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
}

std::optional<std::string> ToAnsi(const QString& text) {
    AnsiText converted = CodePointsToAnsi(CodePoints(text));
    if (!converted.Ok()) return std::nullopt;
    return std::move(converted.Bytes);
}

FieldText CheckFieldText(const QString& text, const QString& fieldName) {
    // Converted up to the first character without a code, one byte each.
    AnsiText converted = CodePointsToAnsi(CodePoints(text));
    std::optional<char32_t> refused;
    if (!converted.Ok()) refused = converted.Refused;
    if (std::optional<std::size_t> forbidden = FindForbiddenCharacter(converted.Bytes))
        refused = CodePointOfAnsi(converted.Bytes[*forbidden]);
    if (!refused) return {std::move(converted.Bytes), {}};

    return {std::nullopt, QStringLiteral("ERROR: %1 cannot be stored in %2. Please remove it.")
                              .arg(DescribeCharacter(*refused), fieldName)};
}

}  // namespace lockmere
