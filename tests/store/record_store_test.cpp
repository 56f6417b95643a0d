#include <QTest>

#include <filesystem>
#include <optional>

#include "store/key_file.h"
#include "store/record_store.h"
#include "tests/store/file_checks.h"
#include "tests/support/book_fixture.h"

namespace fs = std::filesystem;
namespace failure = lockmere::failure;
namespace fixture = lockmere::fixture;
using lockmere::CipherFailure;
using lockmere::RecordStore;
using lockmere::StoreWrite;
using lockmere::test::Folder;
using lockmere::test::Mode;
using lockmere::test::Q;
using lockmere::test::Std;
using lockmere::test::TemporaryFileLeft;
using Records = std::vector<fixture::Fields>;

Q_DECLARE_METATYPE(StoreWrite)
Q_DECLARE_METATYPE(CipherFailure)

namespace {

std::string Key() { return fixture::KeyOf(fixture::Collected()); }

Records Sample() {
    return {
        {"Mail", "https://mail.example.com/login", "ann@example.com", "pw-1"},
        {"Bank", "N/A", "ann", "s3cr3t!"},
        {"Forum", "https://forum.example.org/" + std::string(70, 'p'), "anne", "x"},
    };
}

QByteArray LineOf(const fixture::Fields& f) {
    return Q(f[0] + '\t' + f[1] + '\t' + f[2] + '\t' + f[3]);
}

QList<QByteArray> LinesOf(const Records& records) {
    QList<QByteArray> lines;
    for (const auto& f : records) lines << LineOf(f);
    return lines;
}

lockmere::PasswordRecord RecordOf(const fixture::Fields& f) { return {f[0], f[1], f[2], f[3]}; }

// One record whose line is exactly length characters long.
fixture::Fields OfLineLength(std::size_t length) { return {"n", std::string(length - 6, 'u'), "u", "p"}; }

// The sample store with one byte of its second entry damaged so that it
// deciphers below 0: the load stops two characters into "Bank".
QByteArray DamagedStore() {
    std::string bytes = fixture::StoreBytes(Sample(), Key());
    const std::size_t second = 1 + LineOf(Sample()[0]).size() + 1;
    bytes[second + 3] = '\0';
    return Q(bytes);
}

}  // namespace

class RecordStoreTest : public QObject {
    Q_OBJECT

private slots:
    void compatibility_data();
    void compatibility();
    void scan_data();
    void scan();
    void saveLoadsBack_data();
    void saveLoadsBack();
    void saveRefused_data();
    void saveRefused();
    void sizeLimit_data();
    void sizeLimit();
    void incompleteLoadNeverRewritten_data();
    void incompleteLoadNeverRewritten();
    void append_data();
    void append();
    void appendRefused_data();
    void appendRefused();
    void appendKeepsAuthority();
};

void RecordStoreTest::compatibility_data() {
    QTest::addColumn<int>("count");
    QTest::newRow("no records") << 0;
    QTest::newRow("one record") << 1;
    QTest::newRow("records across key cycles") << 3;
}

void RecordStoreTest::compatibility() {
    QFETCH(int, count);
    const Records sample = Sample();
    const Records records(sample.begin(), sample.begin() + count);
    Folder folder;
    fixture::WriteBytes(folder / "lkdb0.lkd",
                        fixture::KeyFileBytes(fixture::Collected(), "master", "Open Sesame"));
    const std::string store = fixture::StoreBytes(records, Key());
    fixture::WriteBytes(folder / "lkdb1.lkd", store);

    const lockmere::KeyFileStart start = lockmere::ReadKeyFileAtStart(folder.Path());
    QVERIFY(!start.FirstRun);
    QCOMPARE(Q(start.EncryptionKey), Q(Key()));
    QCOMPARE(lockmere::CheckLogin(folder.Path(), start.EncryptionKey, "Open Sesame").Outcome,
             lockmere::LoginOutcome::Match);

    RecordStore book(folder.Path());
    const lockmere::LoadResult loaded = book.Load(start.EncryptionKey);
    QVERIFY(loaded.Complete());
    QVERIFY(book.Authoritative());
    QCOMPARE(Q(loaded.Lines), LinesOf(records));

    QCOMPARE(book.Save(start.EncryptionKey, loaded.Lines).Outcome, StoreWrite::Written);
    QCOMPARE(Q(fixture::ReadBytes(book.Path())), Q(store));
    QCOMPARE(Mode(book.Path()), 0600u);
}

void RecordStoreTest::scan_data() {
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<int>("n");
    QTest::addColumn<QList<QByteArray>>("lines");

    QTest::newRow("empty") << QByteArray() << 0 << QList<QByteArray>();
    QTest::newRow("separators become TABs")
        << QByteArray("\x7f" "a\x14" "b\x14" "c\x14" "d\x80") << 9 << QList<QByteArray>{"a\tb\tc\td"};
    QTest::newRow("characters outside entries are skipped")
        << QByteArray("zz\x7f" "a\x80junk\x7f" "b\x80") << 11 << QList<QByteArray>{"a", "b"};
    QTest::newRow("127 inside an entry is ordinary")
        << QByteArray("\x7f" "a\x7f" "b\x80") << 5 << QList<QByteArray>{"a\x7f" "b"};
    QTest::newRow("the first 128 ends the entry")
        << QByteArray("\x7f" "a\x80" "b\x80\x7f" "c\x80") << 8 << QList<QByteArray>{"a", "c"};
    QTest::newRow("empty entry") << QByteArray("\x7f\x80") << 2 << QList<QByteArray>{""};
    QTest::newRow("no end marker: the last character is lost")
        << QByteArray("\x7f" "abc") << 4 << QList<QByteArray>{"ab"};
    QTest::newRow("no end marker, entry started right before the last character")
        << QByteArray("xx\x7f" "c") << 4 << QList<QByteArray>{"c"};
    QTest::newRow("start marker as the last character") << QByteArray("ab\x7f") << 3
                                                        << QList<QByteArray>();
    QTest::newRow("start marker alone") << QByteArray("\x7f") << 1 << QList<QByteArray>();
    QTest::newRow("cut off by a failed decipher: still listed")
        << QByteArray("\x7f" "ab\x80\x7f" "cd") << 10 << QList<QByteArray>{"ab", "cd"};
    QTest::newRow("nothing deciphered") << QByteArray() << 5 << QList<QByteArray>();
}

void RecordStoreTest::scan() {
    QFETCH(QByteArray, text);
    QFETCH(int, n);
    QFETCH(QList<QByteArray>, lines);
    QCOMPARE(Q(lockmere::ScanStoreText(text.toStdString(), static_cast<std::size_t>(n))), lines);
}

void RecordStoreTest::saveLoadsBack_data() {
    QTest::addColumn<QList<QByteArray>>("saved");
    QTest::addColumn<QList<QByteArray>>("loaded");

    QTest::newRow("three TABs each, in order") << LinesOf(Sample()) << LinesOf(Sample());
    QTest::newRow("empty list") << QList<QByteArray>() << QList<QByteArray>();
    QTest::newRow("no TAB: all password") << QList<QByteArray>{"line"}
                                          << QList<QByteArray>{"\t\t\tline"};
    QTest::newRow("five TABs") << QList<QByteArray>{"a\tb\tc\tX\tY\tZ"}
                               << QList<QByteArray>{"a\tb\tc\tZ"};
    QTest::newRow("20 in a field comes back as a TAB")
        << QList<QByteArray>{"a\x14" "b\tu\tn\tp"} << QList<QByteArray>{"a\tb\tu\tn\tp"};
    QTest::newRow("127 in a field is kept")
        << QList<QByteArray>{"a\x7f" "b\tu\tn\tp"} << QList<QByteArray>{"a\x7f" "b\tu\tn\tp"};
    QTest::newRow("128 in a field cuts its entry")
        << QList<QByteArray>{"ab\x80" "cd\tu\tn\tp", "next\tu\tn\tp"}
        << QList<QByteArray>{"ab", "next\tu\tn\tp"};
}

void RecordStoreTest::saveLoadsBack() {
    QFETCH(QList<QByteArray>, saved);
    QFETCH(QList<QByteArray>, loaded);
    Folder folder;
    fixture::WriteBytes(folder / "lkdb1.lkd", fixture::StoreBytes(Sample(), Key()));
    RecordStore book(folder.Path());
    QVERIFY(book.Load(Key()).Complete());

    QCOMPARE(book.Save(Key(), Std(saved)).Outcome, StoreWrite::Written);
    if (saved.isEmpty()) QCOMPARE(fs::file_size(book.Path()), 0u);

    RecordStore again(folder.Path());
    const lockmere::LoadResult result = again.Load(Key());
    QVERIFY(result.Complete());
    QCOMPARE(Q(result.Lines), loaded);
}

void RecordStoreTest::saveRefused_data() {
    QTest::addColumn<QString>("scenario");
    QTest::addColumn<StoreWrite>("outcome");
    QTest::addColumn<int>("code");
    QTest::newRow("never loaded") << "unloaded" << StoreWrite::NotAuthoritative << failure::kNone;
    QTest::newRow("list forgotten") << "forgotten" << StoreWrite::NotAuthoritative << failure::kNone;
    QTest::newRow("load could not read") << "unreadable" << StoreWrite::NotAuthoritative
                                         << failure::kNone;
    QTest::newRow("text past 32,766") << "too-long" << StoreWrite::TooLong << failure::kNone;
    QTest::newRow("a character the key cannot shift")
        << "unshiftable" << StoreWrite::EncryptFailed << failure::kNone;
    QTest::newRow("a full disk") << "blocked" << StoreWrite::WriteFailed << failure::kDiskFull;
}

void RecordStoreTest::saveRefused() {
    QFETCH(QString, scenario);
    QFETCH(StoreWrite, outcome);
    QFETCH(int, code);
    Folder folder;
    RecordStore book(folder.Path());
    const std::string store = fixture::StoreBytes(Sample(), Key());
    if (scenario == "unreadable") {
        fs::create_directory(book.Path());
        QCOMPARE(book.Load(Key()).Code, failure::kPathFileAccess);
        fs::remove(book.Path());
    }
    fixture::WriteBytes(book.Path(), store);
    if (scenario != "unloaded" && scenario != "unreadable") QVERIFY(book.Load(Key()).Complete());
    if (scenario == "forgotten") book.Forget();
    std::optional<lockmere::testing::DiskFull> full;
    if (scenario == "blocked") full.emplace();

    std::vector<std::string> lines = Std(LinesOf(Sample()));
    if (scenario == "too-long") lines.push_back(LineOf(OfLineLength(32765 - 100)).toStdString());
    if (scenario == "unshiftable") lines.push_back("caf\xe9\tu\tn\tp");

    const lockmere::StoreWriteResult result = book.Save(Key(), lines);
    QCOMPARE(result.Outcome, outcome);
    QCOMPARE(result.Code, code);
    QCOMPARE(Q(fixture::ReadBytes(book.Path())), Q(store));
    QVERIFY(!TemporaryFileLeft(book.Path()));

    if (scenario == "blocked") {
        // The list is still the store's whole copy: once the way is clear it saves.
        full.reset();
        QCOMPARE(book.Save(Key(), {"x\ty\tz\tw"}).Outcome, StoreWrite::Written);
        QCOMPARE(fixture::DecodeStore(fixture::ReadBytes(book.Path()), Key()),
                 (Records{{"x", "y", "z", "w"}}));
    }
}

void RecordStoreTest::sizeLimit_data() {
    QTest::addColumn<int>("lineLength");  // a record costs its line plus 2
    QTest::addColumn<StoreWrite>("outcome");
    QTest::newRow("32,766 characters") << 32764 << StoreWrite::Written;
    QTest::newRow("32,767 characters") << 32765 << StoreWrite::TooLong;
}

void RecordStoreTest::sizeLimit() {
    QFETCH(int, lineLength);
    QFETCH(StoreWrite, outcome);
    const fixture::Fields big = OfLineLength(static_cast<std::size_t>(lineLength));
    const bool fits = outcome == StoreWrite::Written;

    Folder saved;
    RecordStore book(saved.Path());
    QVERIFY(book.Load(Key()).Complete());
    QCOMPARE(book.Save(Key(), {LineOf(big).toStdString()}).Outcome, outcome);
    QCOMPARE(fs::file_size(book.Path()), fits ? 32766u : 0u);
    if (fits) QCOMPARE(Q(fixture::ReadBytes(book.Path())), Q(fixture::StoreBytes({big}, Key())));

    // The same limit for an append to a store that holds one small record.
    const fixture::Fields small = {"a", "b", "c", "d"};
    const fixture::Fields rest = OfLineLength(static_cast<std::size_t>(lineLength) - 9);
    Folder appended;
    const std::string before = fixture::StoreBytes({small}, Key());
    fixture::WriteBytes(appended / "lkdb1.lkd", before);
    RecordStore other(appended.Path());
    QCOMPARE(other.Append(Key(), RecordOf(rest)).Outcome, outcome);
    QCOMPARE(Q(fixture::ReadBytes(other.Path())),
             Q(fits ? fixture::StoreBytes({small, rest}, Key()) : before));
}

void RecordStoreTest::incompleteLoadNeverRewritten_data() {
    QTest::addColumn<QByteArray>("store");
    QTest::addColumn<CipherFailure>("failure");
    QTest::addColumn<QList<QByteArray>>("lines");

    QTest::newRow("damaged byte: the cut entry is listed")
        << DamagedStore() << CipherFailure::OutOfRange
        << QList<QByteArray>{LineOf(Sample()[0]), "Ba"};
    const fixture::Fields huge = OfLineLength(32765);
    QTest::newRow("past the cipher's limit")
        << Q(fixture::StoreBytes({huge}, Key())) << CipherFailure::TooLong
        << QList<QByteArray>{LineOf(huge)};
}

void RecordStoreTest::incompleteLoadNeverRewritten() {
    QFETCH(QByteArray, store);
    QFETCH(CipherFailure, failure);
    QFETCH(QList<QByteArray>, lines);
    Folder folder;
    RecordStore book(folder.Path());
    fixture::WriteBytes(book.Path(), store.toStdString());

    const lockmere::LoadResult loaded = book.Load(Key());
    QCOMPARE(loaded.Deciphered.Failure, failure);
    QVERIFY(!loaded.Complete());
    QVERIFY(!book.Authoritative());
    QCOMPARE(Q(loaded.Lines), lines);

    QCOMPARE(book.Save(Key(), loaded.Lines).Outcome, StoreWrite::NotAuthoritative);
    const lockmere::StoreWriteResult appended = book.Append(Key(), {"a", "b", "c", "d"});
    QCOMPARE(appended.Outcome, StoreWrite::DecryptFailed);
    QCOMPARE(appended.Deciphered.Failure, failure);
    QCOMPARE(Q(appended.Deciphered.Output), Q(loaded.Deciphered.Output));
    QCOMPARE(Q(fixture::ReadBytes(book.Path())), store);
    QVERIFY(!TemporaryFileLeft(book.Path()));
}

void RecordStoreTest::append_data() {
    QTest::addColumn<bool>("exists");
    QTest::addColumn<int>("count");
    QTest::newRow("missing store") << false << 0;
    QTest::newRow("empty store") << true << 0;
    QTest::newRow("one record") << true << 1;
    QTest::newRow("three records") << true << 3;
}

void RecordStoreTest::append() {
    QFETCH(bool, exists);
    QFETCH(int, count);
    const Records sample = Sample();
    Records records(sample.begin(), sample.begin() + count);
    Folder folder;
    RecordStore book(folder.Path());
    if (exists) fixture::WriteBytes(book.Path(), fixture::StoreBytes(records, Key()));

    const fixture::Fields added = {"Shop", "https://shop.example", "ann", "p w"};
    QCOMPARE(book.Append(Key(), RecordOf(added)).Outcome, StoreWrite::Written);
    records.push_back(added);
    QCOMPARE(Q(fixture::ReadBytes(book.Path())), Q(fixture::StoreBytes(records, Key())));
    QCOMPARE(Mode(book.Path()), 0600u);
}

void RecordStoreTest::appendRefused_data() {
    QTest::addColumn<QString>("scenario");
    QTest::addColumn<StoreWrite>("outcome");
    QTest::addColumn<int>("code");
    QTest::newRow("a character the key cannot shift")
        << "unshiftable" << StoreWrite::EncryptFailed << failure::kNone;
    QTest::newRow("a full disk") << "blocked" << StoreWrite::WriteFailed << failure::kDiskFull;
    QTest::newRow("the store is a folder") << "folder" << StoreWrite::ReadFailed
                                           << failure::kPathFileAccess;
}

void RecordStoreTest::appendRefused() {
    QFETCH(QString, scenario);
    QFETCH(StoreWrite, outcome);
    QFETCH(int, code);
    Folder folder;
    RecordStore book(folder.Path());
    const std::string store = fixture::StoreBytes(Sample(), Key());
    if (scenario == "folder") fs::create_directory(book.Path());
    else fixture::WriteBytes(book.Path(), store);
    std::optional<lockmere::testing::DiskFull> full;
    if (scenario == "blocked") full.emplace();
    const std::string password = scenario == "unshiftable" ? "caf\xe9" : "pw";

    const lockmere::StoreWriteResult result = book.Append(Key(), {"Shop", "N/A", "ann", password});
    QCOMPARE(result.Outcome, outcome);
    QCOMPARE(result.Code, code);
    full.reset();
    QVERIFY(!TemporaryFileLeft(book.Path()));
    if (scenario == "folder") QVERIFY(fs::is_directory(book.Path()));
    else QCOMPARE(Q(fixture::ReadBytes(book.Path())), Q(store));
}

void RecordStoreTest::appendKeepsAuthority() {
    Folder folder;
    RecordStore book(folder.Path());
    fixture::WriteBytes(book.Path(), fixture::StoreBytes(Sample(), Key()));

    QCOMPARE(book.Append(Key(), {"a", "b", "c", "d"}).Outcome, StoreWrite::Written);
    QVERIFY(!book.Authoritative());
    QCOMPARE(book.Save(Key(), {}).Outcome, StoreWrite::NotAuthoritative);

    QVERIFY(book.Load(Key()).Complete());
    QCOMPARE(book.Append(Key(), {"e", "f", "g", "h"}).Outcome, StoreWrite::Written);
    QVERIFY(book.Authoritative());
    Records all = Sample();
    all.push_back({"a", "b", "c", "d"});
    all.push_back({"e", "f", "g", "h"});
    QCOMPARE(fixture::DecodeStore(fixture::ReadBytes(book.Path()), Key()), all);
}

QTEST_APPLESS_MAIN(RecordStoreTest)
#include "record_store_test.moc"
