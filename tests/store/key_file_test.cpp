#include <QTest>

#include <filesystem>

#include "store/key_file.h"
#include "tests/store/file_checks.h"
#include "tests/support/book_fixture.h"

namespace fs = std::filesystem;
namespace failure = lockmere::failure;
namespace fixture = lockmere::fixture;
using lockmere::CredentialsWrite;
using lockmere::LoginOutcome;
using lockmere::test::Folder;
using lockmere::test::Mode;
using lockmere::test::Q;

Q_DECLARE_METATYPE(CredentialsWrite)
Q_DECLARE_METATYPE(LoginOutcome)

namespace {

QByteArray Collected() { return Q(fixture::Collected()); }
std::string Key() { return fixture::KeyOf(fixture::Collected()); }

// Another installation's collection: every key code above the fixture's,
// so its credentials decipher with the fixture's key without a failure.
std::string OtherCollected() {
    std::string s;
    for (int code = 64; code >= 59; --code) s.push_back(static_cast<char>(code));
    for (int code = 96; code >= 65; --code) s.push_back(static_cast<char>(code));
    for (int code = 58; code >= 46; --code) s.push_back(static_cast<char>(code));
    return s;
}

QByteArray KeyFile(std::string_view user, std::string_view password) {
    return Q(fixture::KeyFileBytes(fixture::Collected(), user, password));
}

// A key file whose block is the given plain text, enciphered, with any
// length byte: built from the layout, without the separator the program adds.
QByteArray KeyFileWithBlock(std::string_view plain, int lengthByte) {
    const std::string block = fixture::Encipher(plain, Key());
    std::string bytes = fixture::Collected();
    bytes.resize(std::max<std::size_t>(51, 44 + block.size()));
    bytes[43] = static_cast<char>(lengthByte);
    bytes.replace(44, block.size(), block);
    return Q(bytes);
}

}  // namespace

class KeyFileTest : public QObject {
    Q_OBJECT

private slots:
    void startRead_data();
    void startRead();
    void writeCollected_data();
    void writeCollected();
    void credentialsMatchTheLayout_data();
    void credentialsMatchTheLayout();
    void credentialsRefused_data();
    void credentialsRefused();
    void login_data();
    void login();
    void loginReadFailure();
    void storedPassword_data();
    void storedPassword();
};

void KeyFileTest::startRead_data() {
    QTest::addColumn<bool>("exists");
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<bool>("firstRun");
    QTest::addColumn<QByteArray>("key");

    const QByteArray full = KeyFile("admin", "Secret1");
    QTest::newRow("missing: created, first run") << false << QByteArray() << true << QByteArray();
    QTest::newRow("empty: first run") << true << QByteArray() << true << QByteArray();
    QTest::newRow("after the generator") << true << Collected() << false << Q(Key());
    QTest::newRow("with credentials") << true << full << false << Q(Key());
    QTest::newRow("3 bytes") << true << QByteArray("abc") << false << QByteArray();
    QTest::newRow("10 bytes") << true << full.left(10) << false << full.mid(6, 4);
    QTest::newRow("38 bytes") << true << full.left(38) << false << Q(Key());
}

void KeyFileTest::startRead() {
    QFETCH(bool, exists);
    QFETCH(QByteArray, bytes);
    QFETCH(bool, firstRun);
    QFETCH(QByteArray, key);
    Folder folder;
    const fs::path path = folder / "lkdb0.lkd";
    if (exists) fixture::WriteBytes(path, bytes.toStdString());

    const lockmere::KeyFileStart start = lockmere::ReadKeyFileAtStart(folder.Path());
    QCOMPARE(start.Code, failure::kNone);
    QCOMPARE(start.FirstRun, firstRun);
    QCOMPARE(Q(start.EncryptionKey), key);
    QCOMPARE(Q(start.KeyFileBuffer), bytes);
    QCOMPARE(Q(fixture::ReadBytes(path)), bytes);
    if (!exists) QCOMPARE(Mode(path), 0600u);
}

void KeyFileTest::writeCollected_data() {
    QTest::addColumn<bool>("exists");
    QTest::addColumn<QByteArray>("old");
    QTest::addColumn<QByteArray>("result");

    const QByteArray longer = Q(fixture::KeyFileBytes(OtherCollected(), std::string(80, 'u'), "pw"));
    QTest::newRow("missing") << false << QByteArray() << Collected();
    QTest::newRow("empty") << true << QByteArray() << Collected();
    QTest::newRow("shorter") << true << QByteArray(20, 'x') << Collected();
    QTest::newRow("longer keeps its tail") << true << longer << Collected() + longer.mid(51);
}

void KeyFileTest::writeCollected() {
    QFETCH(bool, exists);
    QFETCH(QByteArray, old);
    QFETCH(QByteArray, result);
    Folder folder;
    const fs::path path = folder / "lkdb0.lkd";
    if (exists) fixture::WriteBytes(path, old.toStdString());

    QCOMPARE(lockmere::WriteCollectedString(folder.Path(), fixture::Collected()), failure::kNone);
    QCOMPARE(Q(fixture::ReadBytes(path)), result);
    QCOMPARE(Mode(path), 0600u);
    QCOMPARE(Q(lockmere::KeyFromCollected(fixture::Collected())), Q(Key()));
}

void KeyFileTest::credentialsMatchTheLayout_data() {
    QTest::addColumn<QByteArray>("user");
    QTest::addColumn<QByteArray>("password");
    QTest::newRow("short: the file stays 51 bytes") << QByteArray("admin") << QByteArray("Pw1");
    QTest::newRow("ending at byte 51") << QByteArray("ab") << QByteArray("cd");
    QTest::newRow("past byte 51") << QByteArray(60, 'U') << QByteArray("fifteen chars!!");
    QTest::newRow("255 characters") << QByteArray(237, 'u') << QByteArray(15, 'p');
    QTest::newRow("separator in the user name") << QByteArray("ad#|^min") << QByteArray("pw");
}

void KeyFileTest::credentialsMatchTheLayout() {
    QFETCH(QByteArray, user);
    QFETCH(QByteArray, password);
    Folder folder;
    QCOMPARE(lockmere::WriteCollectedString(folder.Path(), fixture::Collected()), failure::kNone);

    const auto written = lockmere::WriteCredentials(folder.Path(), Key(), user.toStdString(),
                                                    password.toStdString());
    QCOMPARE(written.Outcome, CredentialsWrite::Written);
    QCOMPARE(Q(fixture::ReadBytes(folder / "lkdb0.lkd")),
             KeyFile(user.toStdString(), password.toStdString()));
}

void KeyFileTest::credentialsRefused_data() {
    QTest::addColumn<QByteArray>("user");
    QTest::addColumn<QByteArray>("password");
    QTest::addColumn<bool>("emptyKey");
    QTest::addColumn<CredentialsWrite>("outcome");
    QTest::newRow("256 characters") << QByteArray(238, 'u') << QByteArray(15, 'p') << false
                                    << CredentialsWrite::TooLong;
    QTest::newRow("a character the key cannot shift")
        << QByteArray("admin") << QByteArray("caf\xe9") << false << CredentialsWrite::EncryptFailed;
    QTest::newRow("no key yet") << QByteArray("admin") << QByteArray("pw") << true
                                << CredentialsWrite::EncryptFailed;
}

void KeyFileTest::credentialsRefused() {
    QFETCH(QByteArray, user);
    QFETCH(QByteArray, password);
    QFETCH(bool, emptyKey);
    QFETCH(CredentialsWrite, outcome);
    Folder folder;
    fixture::WriteBytes(folder / "lkdb0.lkd", fixture::Collected());

    const auto written = lockmere::WriteCredentials(folder.Path(), emptyKey ? "" : Key(),
                                                    user.toStdString(), password.toStdString());
    QCOMPARE(written.Outcome, outcome);
    QCOMPARE(Q(fixture::ReadBytes(folder / "lkdb0.lkd")), Collected());

    const fs::path gone = folder / "gone";
    const auto failed = lockmere::WriteCredentials(gone, Key(), "admin", "pw");
    QCOMPARE(failed.Outcome, CredentialsWrite::WriteFailed);
    QCOMPARE(failed.Code, failure::kPathNotFound);
    QVERIFY(!fs::exists(gone));
}

void KeyFileTest::login_data() {
    QTest::addColumn<bool>("exists");
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QByteArray>("typed");
    QTest::addColumn<LoginOutcome>("outcome");
    QTest::addColumn<bool>("decipherOk");

    const QByteArray admin = KeyFile("admin", "Secret1");
    const QByteArray splitUser = KeyFile("ad#|^min", "pw");
    const QByteArray noSeparator = KeyFileWithBlock("abcdef", 6);
    QTest::newRow("match") << true << admin << QByteArray("Secret1") << LoginOutcome::Match << true;
    QTest::newRow("letter case differs")
        << true << admin << QByteArray("secret1") << LoginOutcome::NoMatch << true;
    QTest::newRow("user name is no password")
        << true << admin << QByteArray("admin") << LoginOutcome::NoMatch << true;
    QTest::newRow("credentials past byte 51")
        << true << KeyFile(std::string(200, 'u'), "long password")
        << QByteArray("long password") << LoginOutcome::Match << true;
    QTest::newRow("separator in the user name: the password alone fails")
        << true << splitUser << QByteArray("pw") << LoginOutcome::NoMatch << true;
    QTest::newRow("separator in the user name: the rest of it matches")
        << true << splitUser << QByteArray("min#|^pw") << LoginOutcome::Match << true;
    QTest::newRow("no separator: the last L - 2 characters")
        << true << noSeparator << QByteArray("cdef") << LoginOutcome::Match << true;
    QTest::newRow("no separator: the whole block fails")
        << true << noSeparator << QByteArray("abcdef") << LoginOutcome::NoMatch << true;
    QTest::newRow("block cut short: damaged, whatever is typed")
        << true << KeyFile("u", "secret").left(52) << QByteArray("secret") << LoginOutcome::Damaged
        << true;
    QTest::newRow("block cut short by one byte: damaged")
        << true << KeyFile("u", "secret").chopped(1) << QByteArray("secret")
        << LoginOutcome::Damaged << true;
    QTest::newRow("44 bytes: an empty password is no match")
        << true << KeyFile("u", "secret").left(44) << QByteArray() << LoginOutcome::Damaged << true;
    QTest::newRow("another installation's credentials")
        << true << Q(fixture::KeyFileBytes(OtherCollected(), "admin", "Secret1"))
        << QByteArray("Secret1") << LoginOutcome::NoMatch << true;
    QTest::newRow("the generator's bytes alone: no master account")
        << true << Collected() << QByteArray("x") << LoginOutcome::Damaged << true;
    QTest::newRow("missing: damaged") << false << QByteArray() << QByteArray()
                                      << LoginOutcome::Damaged << true;
    QTest::newRow("empty: damaged") << true << QByteArray() << QByteArray()
                                    << LoginOutcome::Damaged << true;
    QTest::newRow("43 bytes: damaged") << true << admin.left(43) << QByteArray()
                                       << LoginOutcome::Damaged << true;
    QTest::newRow("length byte 0: damaged") << true << KeyFileWithBlock("", 0).left(44)
                                            << QByteArray() << LoginOutcome::Damaged << true;
    QTest::newRow("length byte 1 without separator: damaged")
        << true << KeyFileWithBlock("a", 1) << QByteArray("") << LoginOutcome::Damaged << true;
}

void KeyFileTest::login() {
    QFETCH(bool, exists);
    QFETCH(QByteArray, file);
    QFETCH(QByteArray, typed);
    QFETCH(LoginOutcome, outcome);
    QFETCH(bool, decipherOk);
    Folder folder;
    if (exists) fixture::WriteBytes(folder / "lkdb0.lkd", file.toStdString());

    const lockmere::LoginCheck check = lockmere::CheckLogin(folder.Path(), Key(), typed.toStdString());
    QCOMPARE(check.Outcome, outcome);
    QCOMPARE(check.Deciphered.Ok(), decipherOk);
    // The login only reads.
    QCOMPARE(Q(fixture::ReadBytes(folder / "lkdb0.lkd")), file);
}

void KeyFileTest::loginReadFailure() {
    Folder folder;
    fs::create_directory(folder / "lkdb0.lkd");
    const lockmere::LoginCheck check = lockmere::CheckLogin(folder.Path(), Key(), "Secret1");
    QCOMPARE(check.Outcome, LoginOutcome::ReadFailed);
    QCOMPARE(check.Code, failure::kPathFileAccess);
}

void KeyFileTest::storedPassword_data() {
    QTest::addColumn<QByteArray>("deciphered");
    QTest::addColumn<int>("lengthByte");
    QTest::addColumn<bool>("valid");
    QTest::addColumn<QByteArray>("password");

    QTest::newRow("user and password") << QByteArray("user#|^pw") << 9 << true << QByteArray("pw");
    QTest::newRow("first separator counts")
        << QByteArray("x#|^a#|^b") << 9 << true << QByteArray("a#|^b");
    QTest::newRow("empty password") << QByteArray("user#|^") << 7 << true << QByteArray();
    QTest::newRow("no separator") << QByteArray("abcdef") << 6 << true << QByteArray("cdef");
    QTest::newRow("no separator, length 2") << QByteArray("ab") << 2 << true << QByteArray();
    QTest::newRow("shorter than the length: all of it")
        << QByteArray("u#|^pw") << 20 << true << QByteArray("u#|^pw");
    QTest::newRow("a prefix cut by a failed decipher")
        << QByteArray("ad") << 15 << true << QByteArray("ad");
    QTest::newRow("length 1 without separator") << QByteArray("a") << 1 << false << QByteArray();
    QTest::newRow("length 0") << QByteArray() << 0 << false << QByteArray();
    QTest::newRow("separator past the length")
        << QByteArray("ab#|^") << 4 << false << QByteArray();
}

void KeyFileTest::storedPassword() {
    QFETCH(QByteArray, deciphered);
    QFETCH(int, lengthByte);
    QFETCH(bool, valid);
    QFETCH(QByteArray, password);
    const lockmere::StoredPassword stored =
        lockmere::ExtractStoredPassword(deciphered.toStdString(), lengthByte);
    QCOMPARE(stored.Valid, valid);
    QCOMPARE(Q(stored.Password), password);
}

QTEST_APPLESS_MAIN(KeyFileTest)
#include "key_file_test.moc"
