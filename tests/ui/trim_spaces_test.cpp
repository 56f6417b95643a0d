#include <QTest>

#include "ui/trim_spaces.h"

using lockmere::TrimSpaces;

class TrimSpacesTest : public QObject {
    Q_OBJECT

private slots:
    void trimsOnlySpaces_data();
    void trimsOnlySpaces();
};

void TrimSpacesTest::trimsOnlySpaces_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("trimmed");
    const QChar lone(char16_t(0xD800));
    QTest::newRow("outer spaces") << QStringLiteral("  a b  ") << QStringLiteral("a b");
    QTest::newRow("spaces only") << QStringLiteral("   ") << QString();
    QTest::newRow("empty") << QString() << QString();
    QTest::newRow("tabs stay") << QStringLiteral("\ta\t") << QStringLiteral("\ta\t");
    QTest::newRow("no-break spaces stay")
        << QStringLiteral("\u00a0x\u00a0 ") << QStringLiteral("\u00a0x\u00a0");
    QTest::newRow("line ends stay") << QStringLiteral(" x\r\n") << QStringLiteral("x\r\n");
    // A lone surrogate survives, so that the field check can refuse it.
    QTest::newRow("lone surrogate kept") << (QStringLiteral(" ") + lone + QStringLiteral("x "))
                                         << (QString(lone) + QStringLiteral("x"));
}

void TrimSpacesTest::trimsOnlySpaces() {
    QFETCH(QString, text);
    QFETCH(QString, trimmed);
    const QString result = TrimSpaces(text);
    QCOMPARE(result.size(), trimmed.size());
    QCOMPARE(result, trimmed);
}

QTEST_APPLESS_MAIN(TrimSpacesTest)
#include "trim_spaces_test.moc"
