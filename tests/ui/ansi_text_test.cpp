#ifdef _WIN32
#include <windows.h>
#else
#include <QStringDecoder>
#endif
#include <QTest>

#include "store/record_entry.h"
#include "tests/support/byte_text.h"
#include "ui/ansi_text.h"

using namespace lockmere;
using lockmere::test::EveryByte;

namespace {

// The code page as the system's converter reads it: Windows' own, ICU's
// elsewhere.
QString OracleTable() {
    const std::string bytes = EveryByte();
#ifdef _WIN32
    std::wstring wide(bytes.size(), L'\0');
    const int made = MultiByteToWideChar(1252, 0, bytes.data(), static_cast<int>(bytes.size()),
                                         wide.data(), static_cast<int>(wide.size()));
    return QString::fromWCharArray(wide.data(), made);
#else
    QStringDecoder decoder("windows-1252");
    if (!decoder.isValid()) return {};
    return decoder.decode(QByteArrayView(bytes.data(), static_cast<qsizetype>(bytes.size())));
#endif
}

}  // namespace

class AnsiTextTest : public QObject {
    Q_OBJECT

private slots:
    void everyByteRoundTrips();
    void decodesAsTheCodePage();
    void encodesExactlyTheCodePage();
    void refusesTextWithoutCode_data();
    void refusesTextWithoutCode();
    void coreNamesCharactersAsTheToolkit();
};

void AnsiTextTest::everyByteRoundTrips() {
    const std::string bytes = EveryByte();
    const QString text = FromAnsi(bytes);
    QCOMPARE(text.size(), 256);
    const std::optional<std::string> back = ToAnsi(text);
    QVERIFY(back.has_value());
    QVERIFY(*back == bytes);
}

void AnsiTextTest::decodesAsTheCodePage() {
    const QString oracle = OracleTable();
    QVERIFY2(oracle.size() == 256, "the system has no windows-1252 converter");
    const QString ours = FromAnsi(EveryByte());
    for (int b = 0; b < 256; ++b)
        QVERIFY2(ours.at(b) == oracle.at(b),
                 qPrintable(QStringLiteral("byte %1: U+%2, the code page says U+%3")
                                .arg(b)
                                .arg(ours.at(b).unicode(), 4, 16, QLatin1Char('0'))
                                .arg(oracle.at(b).unicode(), 4, 16, QLatin1Char('0'))));
}

void AnsiTextTest::encodesExactlyTheCodePage() {
    // Every character of the Basic Multilingual Plane: those of the code
    // page give their byte, all others none.
    const QString oracle = OracleTable();
    QVERIFY2(oracle.size() == 256, "the system has no windows-1252 converter");
    for (char32_t u = 0; u <= 0xFFFF; ++u) {
        const QChar c(static_cast<char16_t>(u));
        if (c.isSurrogate()) continue;
        const std::optional<std::string> bytes = ToAnsi(QString(c));
        const qsizetype expected = oracle.indexOf(c);
        const QString name =
            QStringLiteral("U+%1").arg(static_cast<uint>(u), 4, 16, QLatin1Char('0'));
        if (expected < 0) {
            QVERIFY2(!bytes, qPrintable(name + QStringLiteral(" has no code")));
        } else {
            QVERIFY2(
                bytes && bytes->size() == 1 && static_cast<unsigned char>((*bytes)[0]) == expected,
                qPrintable(name + QStringLiteral(" is byte %1").arg(expected)));
        }
    }
}

void AnsiTextTest::refusesTextWithoutCode_data() {
    QTest::addColumn<QString>("text");
    QTest::newRow("letter outside the code page") << QStringLiteral("abc\u0100");
    QTest::newRow("C1 control the code page replaces") << QStringLiteral("\u0080");
    QTest::newRow("outside the plane") << QStringLiteral("pass\U0001F600word");
    QTest::newRow("lone surrogate") << QString(QChar(0xD800));
}

void AnsiTextTest::refusesTextWithoutCode() {
    QFETCH(QString, text);
    QVERIFY(!ToAnsi(text).has_value());
}

// The core names characters for the terminal without the toolkit's tables:
// it must agree with the windows wherever a character is assigned.
void AnsiTextTest::coreNamesCharactersAsTheToolkit() {
    int compared = 0;
    for (char32_t c = 0; c <= 0x10FFFF; ++c) {
        if (QChar::category(c) == QChar::Other_NotAssigned) continue;
        ++compared;
        if (DescribeCharacter(c) != CharacterName(c))
            QFAIL(qPrintable(QStringLiteral("U+%1: core \"%2\", toolkit \"%3\"")
                                 .arg(static_cast<quint32>(c), 4, 16, QLatin1Char('0'))
                                 .arg(QString::fromStdString(DescribeCharacter(c)),
                                      QString::fromStdString(CharacterName(c)))));
    }
    QVERIFY(compared > 100000);
}

QTEST_APPLESS_MAIN(AnsiTextTest)
#include "ansi_text_test.moc"
