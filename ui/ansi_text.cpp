#include "ui/ansi_text.h"

#include "store/ansi_codec.h"

namespace lockmere {

QString FromAnsi(std::string_view bytes) {
    const std::string utf8 = AnsiToUtf8(bytes);
    return QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
}

std::optional<std::string> ToAnsi(const QString& text) {
    AnsiText converted = CodePointsToAnsi(CodePoints(text));
    if (!converted.Ok()) return std::nullopt;
    return std::move(converted.Bytes);
}

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

std::string CharacterName(char32_t c) {
    if (c == U'\t') return "The tab character";
    if (!QChar::isPrint(c) || (QChar::isSpace(c) && c != U' '))
        return "Character " + std::to_string(c);
    return QStringLiteral("The character \"%1\"").arg(QString::fromUcs4(&c, 1)).toStdString();
}

}  // namespace lockmere
