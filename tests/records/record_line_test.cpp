#include <QTest>

#include "store/record_line.h"

using lockmere::PasswordRecord;

namespace {

QByteArray Q(std::string_view s) { return QByteArray(s.data(), static_cast<qsizetype>(s.size())); }

PasswordRecord Record(const QByteArray& name, const QByteArray& url, const QByteArray& user,
                      const QByteArray& password) {
    return {name.toStdString(), url.toStdString(), user.toStdString(), password.toStdString()};
}

}  // namespace

class RecordLineTest : public QObject {
    Q_OBJECT

private slots:
    void compose_data();
    void compose();
    void split_data();
    void split();
    void trimSpaces_data();
    void trimSpaces();
    void forbiddenCharacter_data();
    void forbiddenCharacter();
};

void RecordLineTest::compose_data() {
    QTest::addColumn<QByteArray>("name");
    QTest::addColumn<QByteArray>("url");
    QTest::addColumn<QByteArray>("user");
    QTest::addColumn<QByteArray>("password");
    QTest::addColumn<QByteArray>("line");
    QTest::addColumn<QByteArray>("entry");

    QTest::newRow("plain fields") << QByteArray("Mail") << QByteArray("https://mail.example")
                                  << QByteArray("ann") << QByteArray("pw1")
                                  << QByteArray("Mail\thttps://mail.example\tann\tpw1")
                                  << QByteArray("\x7fMail\x14https://mail.example\x14" "ann\x14pw1\x80");
    QTest::newRow("inner and outer spaces kept") << QByteArray(" a b ") << QByteArray("N/A")
                                                 << QByteArray("u ") << QByteArray(" p")
                                                 << QByteArray(" a b \tN/A\tu \t p")
                                                 << QByteArray("\x7f a b \x14N/A\x14u \x14 p\x80");
    QTest::newRow("empty fields") << QByteArray() << QByteArray() << QByteArray() << QByteArray()
                                  << QByteArray("\t\t\t") << QByteArray("\x7f\x14\x14\x14\x80");
    QTest::newRow("upper codes untouched") << QByteArray("\x9f\x81") << QByteArray("u")
                                           << QByteArray("\xe9") << QByteArray("\x01")
                                           << QByteArray("\x9f\x81\tu\t\xe9\t\x01")
                                           << QByteArray("\x7f\x9f\x81\x14u\x14\xe9\x14\x01\x80");
}

void RecordLineTest::compose() {
    QFETCH(QByteArray, name);
    QFETCH(QByteArray, url);
    QFETCH(QByteArray, user);
    QFETCH(QByteArray, password);
    QFETCH(QByteArray, line);
    QFETCH(QByteArray, entry);

    const PasswordRecord record = Record(name, url, user, password);
    QCOMPARE(Q(lockmere::ComposeRecordLine(record)), line);
    QCOMPARE(Q(lockmere::ComposeStoreEntry(record)), entry);
    // Every reader splits the composed line back into the same fields.
    QVERIFY(lockmere::SplitRecordLine(lockmere::ComposeRecordLine(record)) == record);
}

void RecordLineTest::split_data() {
    QTest::addColumn<QByteArray>("line");
    QTest::addColumn<QByteArray>("name");
    QTest::addColumn<QByteArray>("url");
    QTest::addColumn<QByteArray>("user");
    QTest::addColumn<QByteArray>("password");

    QTest::newRow("three tabs") << QByteArray("a\tb\tc\td") << QByteArray("a") << QByteArray("b")
                                << QByteArray("c") << QByteArray("d");
    QTest::newRow("empty line") << QByteArray() << QByteArray() << QByteArray() << QByteArray()
                                << QByteArray();
    QTest::newRow("no tab: all password") << QByteArray("just text") << QByteArray()
                                          << QByteArray() << QByteArray() << QByteArray("just text");
    QTest::newRow("one tab") << QByteArray("a\tb") << QByteArray("a") << QByteArray()
                             << QByteArray() << QByteArray("b");
    QTest::newRow("two tabs") << QByteArray("a\tb\tc") << QByteArray("a") << QByteArray("b")
                              << QByteArray() << QByteArray("c");
    QTest::newRow("ends in a tab") << QByteArray("a\tb\tc\t") << QByteArray("a") << QByteArray("b")
                                   << QByteArray("c") << QByteArray();
    QTest::newRow("five tabs lose fourth and fifth")
        << QByteArray("a\tb\tc\tX\tY\tZ") << QByteArray("a") << QByteArray("b") << QByteArray("c")
        << QByteArray("Z");
    QTest::newRow("tabs only") << QByteArray("\t\t\t\t") << QByteArray() << QByteArray()
                               << QByteArray() << QByteArray();
    QTest::newRow("nothing trimmed") << QByteArray(" a \t B \t\x14\t\x7f ")
                                     << QByteArray(" a ") << QByteArray(" B ")
                                     << QByteArray("\x14") << QByteArray("\x7f ");
}

void RecordLineTest::split() {
    QFETCH(QByteArray, line);
    QFETCH(QByteArray, name);
    QFETCH(QByteArray, url);
    QFETCH(QByteArray, user);
    QFETCH(QByteArray, password);

    const PasswordRecord record = lockmere::SplitRecordLine(line.toStdString());
    QCOMPARE(Q(record.ApplicationName), name);
    QCOMPARE(Q(record.ApplicationUrl), url);
    QCOMPARE(Q(record.UserName), user);
    QCOMPARE(Q(record.Password), password);
}

void RecordLineTest::trimSpaces_data() {
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<QByteArray>("trimmed");

    QTest::newRow("outer spaces") << QByteArray("  a b  ") << QByteArray("a b");
    QTest::newRow("spaces only") << QByteArray("   ") << QByteArray();
    QTest::newRow("empty") << QByteArray() << QByteArray();
    QTest::newRow("tabs stay") << QByteArray("\ta\t") << QByteArray("\ta\t");
    QTest::newRow("no-break spaces stay") << QByteArray("\xa0x\xa0 ") << QByteArray("\xa0x\xa0");
    QTest::newRow("line ends stay") << QByteArray(" x\r\n") << QByteArray("x\r\n");
}

void RecordLineTest::trimSpaces() {
    QFETCH(QByteArray, text);
    QFETCH(QByteArray, trimmed);
    QCOMPARE(Q(lockmere::TrimSpaces(text.toStdString())), trimmed);
}

void RecordLineTest::forbiddenCharacter_data() {
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<int>("index");  // -1: nothing forbidden

    QTest::newRow("empty") << QByteArray() << -1;
    QTest::newRow("printable ASCII") << QByteArray(" Az09~!") << -1;
    QTest::newRow("control codes other than 9 and 20") << QByteArray("\x01\x13\x15\x1f") << -1;
    QTest::newRow("129 to 159 allowed") << QByteArray("\x81\x9f") << -1;
    QTest::newRow("160") << QByteArray("ab\xa0") << 2;
    QTest::newRow("255") << QByteArray("\xff") << 0;
    QTest::newRow("TAB") << QByteArray("a\tb") << 1;
    QTest::newRow("store separator 20") << QByteArray("xy\x14") << 2;
    QTest::newRow("record start 127") << QByteArray("\x7f") << 0;
    QTest::newRow("record end 128") << QByteArray("a\x80") << 1;
    QTest::newRow("first of several") << QByteArray("ok\xe9\t") << 2;
}

void RecordLineTest::forbiddenCharacter() {
    QFETCH(QByteArray, text);
    QFETCH(int, index);
    const auto found = lockmere::FindForbiddenCharacter(text.toStdString());
    QCOMPARE(found ? static_cast<int>(*found) : -1, index);
}

QTEST_APPLESS_MAIN(RecordLineTest)
#include "record_line_test.moc"
