#include "ui/ansi_text.h"

#include "store/ansi_codec.h"

namespace lockmere {

QString FromAnsi(std::string_view bytes) {
    // Straight into the string, with no UTF-8 copy on the way: a field may
    // be a password. Every Windows-1252 character is one UTF-16 unit.
    QString text(static_cast<qsizetype>(bytes.size()), Qt::Uninitialized);
    for (qsizetype i = 0; i < text.size(); ++i)
        text[i] = QChar(static_cast<char16_t>(CodePointOfAnsi(bytes[static_cast<std::size_t>(i)])));
    return text;
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
