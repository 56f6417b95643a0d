#include <QTest>

#include <filesystem>

#include "store/cipher.h"
#include "tests/store/file_checks.h"
#include "tests/support/book_fixture.h"

using lockmere::CipherFailure;
using lockmere::CipherResult;
using lockmere::test::Q;
namespace fixture = lockmere::fixture;
namespace fs = std::filesystem;

Q_DECLARE_METATYPE(CipherFailure)

namespace {

// The fixture's key: codes 90 down to 59, all distinct.
std::string Key() { return fixture::KeyOf(fixture::Collected()); }

// The same key with every code moved by delta.
std::string ShiftedKey(int delta) {
    std::string key = Key();
    for (char& c : key) c = static_cast<char>(static_cast<unsigned char>(c) + delta);
    return key;
}

std::string Text(std::size_t length) {
    std::string text;
    for (std::size_t i = 0; i < length; ++i) text.push_back(static_cast<char>(32 + i * 7 % 95));
    return text;
}

}  // namespace

class CipherTest : public QObject {
    Q_OBJECT

private slots:
    void matchesTheLayout_data();
    void matchesTheLayout();
    void keyPositionCycles();
    void failures_data();
    void failures();
    void lengthLimit_data();
    void lengthLimit();
    void anotherKey_data();
    void anotherKey();
    void failureText_data();
    void failureText();
    void fileExists_data();
    void fileExists();
};

void CipherTest::matchesTheLayout_data() {
    QTest::addColumn<int>("length");
    QTest::newRow("empty") << 0;
    QTest::newRow("one") << 1;
    QTest::newRow("one key cycle") << 32;
    QTest::newRow("33rd character") << 33;
    QTest::newRow("several cycles") << 101;
    QTest::newRow("largest text") << 32766;
}

void CipherTest::matchesTheLayout() {
    QFETCH(int, length);
    const std::string plain = Text(static_cast<std::size_t>(length));

    const CipherResult enciphered = lockmere::Encrypt(plain, Key());
    QVERIFY(enciphered.Ok());
    QCOMPARE(Q(enciphered.Output), Q(fixture::Encipher(plain, Key())));

    const CipherResult deciphered = lockmere::Decrypt(enciphered.Output, Key());
    QVERIFY(deciphered.Ok());
    QCOMPARE(Q(deciphered.Output), Q(plain));
}

void CipherTest::keyPositionCycles() {
    const std::string key = Key();
    const CipherResult result = lockmere::Encrypt(std::string(34, 'A'), key);
    QVERIFY(result.Ok());
    QCOMPARE(int(static_cast<unsigned char>(result.Output[31])), 'A' + int(key[31]));
    QCOMPARE(int(static_cast<unsigned char>(result.Output[32])), 'A' + int(key[0]));
    QCOMPARE(int(static_cast<unsigned char>(result.Output[33])), 'A' + int(key[1]));
    // Each run starts again at key character 1.
    QCOMPARE(lockmere::Encrypt("A", key).Output, result.Output.substr(0, 1));
}

void CipherTest::failures_data() {
    QTest::addColumn<bool>("encrypt");
    QTest::addColumn<QByteArray>("input");
    QTest::addColumn<QByteArray>("key");
    QTest::addColumn<CipherFailure>("failure");
    QTest::addColumn<QByteArray>("output");
    QTest::addColumn<int>("lastValue");

    QTest::newRow("empty input, empty key: encrypt")
        << true << QByteArray() << QByteArray() << CipherFailure::None << QByteArray() << 0;
    QTest::newRow("empty input, empty key: decrypt")
        << false << QByteArray() << QByteArray() << CipherFailure::None << QByteArray() << 0;
    QTest::newRow("empty key fails at the first character: encrypt")
        << true << QByteArray("ab") << QByteArray() << CipherFailure::KeyTooShort << QByteArray()
        << 0;
    QTest::newRow("empty key fails at the first character: decrypt")
        << false << QByteArray("ab") << QByteArray() << CipherFailure::KeyTooShort << QByteArray()
        << 0;
    QTest::newRow("key shorter than the position reached")
        << true << QByteArray("abcd") << QByteArray("\x01\x02") << CipherFailure::KeyTooShort
        << QByteArray("bd") << int('b' + 2);
    QTest::newRow("200 + 60 leaves the byte")
        << true << QByteArray("A\xc8") << QByteArray("<<") << CipherFailure::OutOfRange
        << QByteArray("}") << 260;
    QTest::newRow("195 + 60 is the last code")
        << true << QByteArray("\xc3") << QByteArray("<") << CipherFailure::None
        << QByteArray("\xff") << 255;
    QTest::newRow("no wrap-around below 0")
        << false << QByteArray("a\x3c") << QByteArray("\x01=") << CipherFailure::OutOfRange
        << QByteArray("`") << -1;
    QTest::newRow("0 is the first code")
        << false << QByteArray("\x3c") << QByteArray("<") << CipherFailure::None
        << QByteArray(1, '\0') << 0;
}

void CipherTest::failures() {
    QFETCH(bool, encrypt);
    QFETCH(QByteArray, input);
    QFETCH(QByteArray, key);
    QFETCH(CipherFailure, failure);
    QFETCH(QByteArray, output);
    QFETCH(int, lastValue);

    const CipherResult result = encrypt ? lockmere::Encrypt(input.toStdString(), key.toStdString())
                                        : lockmere::Decrypt(input.toStdString(), key.toStdString());
    QCOMPARE(result.Failure, failure);
    QCOMPARE(Q(result.Output), output);
    QCOMPARE(result.LastValue, lastValue);
}

void CipherTest::lengthLimit_data() {
    QTest::addColumn<int>("length");
    QTest::addColumn<bool>("ok");
    QTest::newRow("32,766") << 32766 << true;
    QTest::newRow("32,767") << 32767 << false;
    QTest::newRow("40,000") << 40000 << false;
}

void CipherTest::lengthLimit() {
    QFETCH(int, length);
    QFETCH(bool, ok);
    const std::string plain = Text(static_cast<std::size_t>(length));
    const std::string enciphered = fixture::Encipher(plain, Key());

    const CipherResult encrypted = lockmere::Encrypt(plain, Key());
    const CipherResult decrypted = lockmere::Decrypt(enciphered, Key());
    QCOMPARE(encrypted.Ok(), ok);
    QCOMPARE(decrypted.Ok(), ok);
    if (ok) return;
    QCOMPARE(encrypted.Failure, CipherFailure::TooLong);
    QCOMPARE(decrypted.Failure, CipherFailure::TooLong);
    // The position counter overflows after the 32,767th character: what
    // came before it is kept, as for every failure.
    QCOMPARE(Q(decrypted.Output), Q(plain.substr(0, 32767)));
    QCOMPARE(Q(encrypted.Output), Q(enciphered.substr(0, 32767)));
}

void CipherTest::anotherKey_data() {
    QTest::addColumn<QByteArray>("plain");
    QTest::addColumn<int>("delta");  // the other key: every code moved by this much
    QTest::addColumn<CipherFailure>("failure");
    QTest::addColumn<QByteArray>("output");
    QTest::addColumn<int>("lastValue");

    QTest::newRow("fails at the first negative value")
        << QByteArray("hello\x03world") << 5 << CipherFailure::OutOfRange << QByteArray("c`ggj")
        << -2;
    QTest::newRow("fails at the first character")
        << QByteArray("\x01x") << 2 << CipherFailure::OutOfRange << QByteArray() << -1;
    QTest::newRow("wrong characters without failure")
        << QByteArray("abc") << -3 << CipherFailure::None << QByteArray("def") << int('f');
}

void CipherTest::anotherKey() {
    QFETCH(QByteArray, plain);
    QFETCH(int, delta);
    QFETCH(CipherFailure, failure);
    QFETCH(QByteArray, output);
    QFETCH(int, lastValue);

    const std::string enciphered = fixture::Encipher(plain.toStdString(), Key());
    const CipherResult result = lockmere::Decrypt(enciphered, ShiftedKey(delta));
    QCOMPARE(result.Failure, failure);
    QCOMPARE(Q(result.Output), output);
    QCOMPARE(result.LastValue, lastValue);
}

void CipherTest::failureText_data() {
    QTest::addColumn<int>("lastValue");
    QTest::addColumn<QByteArray>("text");
    QTest::newRow("none computed") << 0 << QByteArray(" 0");
    QTest::newRow("negative") << -5 << QByteArray("-5");
    QTest::newRow("large negative") << -96 << QByteArray("-96");
    QTest::newRow("positive") << 300 << QByteArray(" 300");
}

void CipherTest::failureText() {
    QFETCH(int, lastValue);
    QFETCH(QByteArray, text);
    CipherResult result;
    result.Failure = CipherFailure::OutOfRange;
    result.LastValue = lastValue;
    QCOMPARE(Q(lockmere::DecryptFailureText(result)), text);
}

void CipherTest::fileExists_data() {
    QTest::addColumn<QString>("kind");
    QTest::addColumn<bool>("exists");
    QTest::newRow("file") << "file" << true;
    QTest::newRow("empty file") << "empty" << true;
    QTest::newRow("link to a file") << "link" << true;
    QTest::newRow("missing file") << "missing" << false;
    QTest::newRow("folder") << "folder" << false;
    QTest::newRow("dangling link") << "dangling" << false;
    QTest::newRow("missing folder on the way") << "no-parent" << false;
}

void CipherTest::fileExists() {
    QFETCH(QString, kind);
    QFETCH(bool, exists);
    lockmere::test::Folder folder;
    const fs::path path = folder / "BackupLocation.inf";
    fixture::WriteBytes(folder / "target", "D:\\Backup\r\n");
    if (kind == "file") fixture::WriteBytes(path, "D:\\Backup\r\n");
    if (kind == "empty") fixture::WriteBytes(path, "");
    if (kind == "link") fs::create_symlink(folder / "target", path);
    if (kind == "folder") fs::create_directory(path);
    if (kind == "dangling") fs::create_symlink(folder / "gone", path);
    const fs::path probe = kind == "no-parent" ? folder / "gone" / "BackupLocation.inf" : path;

    QCOMPARE(lockmere::FileExists(probe), exists);
}

QTEST_APPLESS_MAIN(CipherTest)
#include "cipher_test.moc"
