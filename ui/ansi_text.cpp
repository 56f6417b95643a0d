#include "ui/ansi_text.h"

#include <array>

#include "store/record_line.h"

namespace lockmere {

namespace {

// Bytes 0x80-0x9F. The five the code page leaves undefined map to the C1
// control of the same number, so that every byte survives the round trip.
constexpr std::array<char16_t, 32> kHighControls = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,  // 80-87
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,  // 88-8F
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,  // 90-97
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,  // 98-9F
};

char16_t CharOfByte(unsigned char byte) {
    return byte >= 0x80 && byte <= 0x9F ? kHighControls[byte - 0x80] : char16_t{byte};
}

std::optional<char> ByteOfChar(QChar c) {
    const char16_t u = c.unicode();
    if (u < 0x80 || (u >= 0xA0 && u <= 0xFF)) return static_cast<char>(u);
    for (std::size_t i = 0; i < kHighControls.size(); ++i)
        if (kHighControls[i] == u) return static_cast<char>(0x80 + i);
    return std::nullopt;
}

// The character at `index`, whole when it is a surrogate pair.
char32_t CodePointAt(const QString& text, qsizetype index) {
    const QChar c = text.at(index);
    if (c.isHighSurrogate() && index + 1 < text.size() && text.at(index + 1).isLowSurrogate())
        return QChar::surrogateToUcs4(c, text.at(index + 1));
    return c.unicode();
}

QString DescribeCharacter(char32_t c) {
    if (c == U'\t') return QStringLiteral("The tab character");
    if (!QChar::isPrint(c) || (QChar::isSpace(c) && c != U' '))
        return QStringLiteral("Character %1").arg(static_cast<quint32>(c));
    return QStringLiteral("The character \"%1\"").arg(QString::fromUcs4(&c, 1));
}

}  // namespace

QString FromAnsi(std::string_view bytes) {
    QString text;
    text.reserve(static_cast<qsizetype>(bytes.size()));
    for (char b : bytes) text.append(QChar(CharOfByte(static_cast<unsigned char>(b))));
    return text;
}

std::optional<std::string> ToAnsi(const QString& text) {
    std::string bytes;
    bytes.reserve(static_cast<std::size_t>(text.size()));
    for (QChar c : text) {
        std::optional<char> b = ByteOfChar(c);
        if (!b) return std::nullopt;
        bytes.push_back(*b);
    }
    return bytes;
}

FieldText CheckFieldText(const QString& text, const QString& fieldName) {
    // Up to the first character without a code; one byte per character.
    std::string bytes;
    qsizetype unencodable = -1;
    for (qsizetype i = 0; i < text.size(); ++i) {
        std::optional<char> b = ByteOfChar(text.at(i));
        if (!b) {
            unencodable = i;
            break;
        }
        bytes.push_back(*b);
    }

    qsizetype refused = unencodable;
    if (std::optional<std::size_t> forbidden = FindForbiddenCharacter(bytes))
        refused = static_cast<qsizetype>(*forbidden);
    if (refused < 0) return {std::move(bytes), {}};

    return {std::nullopt, QStringLiteral("ERROR: %1 cannot be stored in %2. Please remove it.")
                              .arg(DescribeCharacter(CodePointAt(text, refused)), fieldName)};
}

}  // namespace lockmere
