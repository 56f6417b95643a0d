#include <QTest>
#include <filesystem>
#include <sys/stat.h>

#include "backup/backup_copy.h"
#include "store/file_access.h"
#include "tests/backup/backup_books.h"
#include "tests/support/temp_folder.h"

using namespace lockmere;
using namespace lockmere::testing;
namespace fs = std::filesystem;

namespace {

// What a folder holds of the two data files; "-" for a missing file.
struct Pair {
    std::string Key = "-";
    std::string Store = "-";
    bool operator==(const Pair&) const = default;
};

Pair Read(const fs::path& folder) {
    Pair pair;
    if (fs::exists(folder / kKeyFileName)) pair.Key = fixture::ReadBytes(folder / kKeyFileName);
    if (fs::exists(folder / kStoreFileName)) pair.Store = fixture::ReadBytes(folder / kStoreFileName);
    return pair;
}

void Write(const fs::path& folder, const Pair& pair) {
    if (pair.Key != "-") fixture::WriteBytes(folder / kKeyFileName, pair.Key);
    if (pair.Store != "-") fixture::WriteBytes(folder / kStoreFileName, pair.Store);
}

unsigned Mode(const fs::path& file) {
    struct stat status {};
    return ::stat(file.c_str(), &status) == 0 ? (status.st_mode & 07777) : 0;
}

}  // namespace

Q_DECLARE_METATYPE(CopyOutcome)

class BackupCopyTest : public QObject {
    Q_OBJECT

private slots:
    void copiesBothFiles_data();
    void copiesBothFiles();
    void sameFileIsNeverDamaged_data();
    void sameFileIsNeverDamaged();
    void stopsAtFirstFailure_data();
    void stopsAtFirstFailure();
};

void BackupCopyTest::copiesBothFiles_data() {
    QTest::addColumn<bool>("backingUp");
    QTest::addColumn<bool>("saved");  // location from the saved path, else the folder list
    QTest::addColumn<bool>("oldFilesThere");

    QTest::newRow("backup, folder list") << true << false << false;
    QTest::newRow("backup over older copies") << true << false << true;
    QTest::newRow("backup, saved location") << true << true << false;
    QTest::newRow("restore, folder list") << false << false << true;
    QTest::newRow("restore, saved location") << false << true << true;
}

void BackupCopyTest::copiesBothFiles() {
    QFETCH(bool, backingUp);
    QFETCH(bool, saved);
    QFETCH(bool, oldFilesThere);
    TempFolder program, location;
    const Pair a{BookA().KeyBytes(), BookA().StoreBytes()};
    const Pair b{BookB().KeyBytes(), BookB().StoreBytes()};
    const fs::path& from = backingUp ? program.Path() : location.Path();
    const fs::path& to = backingUp ? location.Path() : program.Path();
    Write(from, a);
    if (oldFilesThere) Write(to, b);

    const auto result = CopyDataFiles(program.Path(), saved ? location.Path() : fs::path(),
                                      saved ? fs::path("/nowhere") : location.Path(), backingUp);

    QCOMPARE(result.Outcome, CopyOutcome::Copied);
    QCOMPARE(result.Code, 0);
    QVERIFY(Read(from) == a);
    QVERIFY(Read(to) == a);
    // Copies are owner-only, wherever they land.
    for (const char* name : {kKeyFileName, kStoreFileName}) QCOMPARE(Mode(to / name), 0600u);
}

void BackupCopyTest::sameFileIsNeverDamaged_data() {
    QTest::addColumn<bool>("backingUp");
    QTest::addColumn<QString>("how");
    QTest::addColumn<CopyOutcome>("outcome");
    QTest::addColumn<int>("code");

    for (bool backingUp : {true, false}) {
        const char* mode = backingUp ? "backup" : "restore";
        QTest::addRow("%s, folder list at the program folder", mode)
            << backingUp << "list" << CopyOutcome::SameFolder << 0;
        QTest::addRow("%s, saved location is the program folder", mode)
            << backingUp << "saved" << CopyOutcome::Failed << failure::kPathFileAccess;
        QTest::addRow("%s, folder list through a link", mode)
            << backingUp << "link" << CopyOutcome::Failed << failure::kPathFileAccess;
        QTest::addRow("%s, folder list through a/../a", mode)
            << backingUp << "dotdot" << CopyOutcome::Failed << failure::kPathFileAccess;
    }
}

void BackupCopyTest::sameFileIsNeverDamaged() {
    QFETCH(bool, backingUp);
    QFETCH(QString, how);
    QFETCH(CopyOutcome, outcome);
    QFETCH(int, code);
    TempFolder outer;
    const fs::path program = outer.Path() / "program";
    fs::create_directory(program);
    fs::create_directory_symlink(program, outer.Path() / "link");
    const Pair a{BookA().KeyBytes(), BookA().StoreBytes()};
    Write(program, a);

    fs::path saved, list;
    if (how == "saved") saved = program;
    if (how == "list") list = program;
    if (how == "link") list = outer.Path() / "link";
    if (how == "dotdot") list = program / ".." / "program";

    const auto result = CopyDataFiles(program, saved, list, backingUp);

    QCOMPARE(result.Outcome, outcome);
    QCOMPARE(result.Code, code);
    QVERIFY(Read(program) == a);
    QCOMPARE(std::distance(fs::directory_iterator(program), fs::directory_iterator()), 2);
}

void BackupCopyTest::stopsAtFirstFailure_data() {
    QTest::addColumn<bool>("backingUp");
    QTest::addColumn<QString>("setup");
    QTest::addColumn<int>("code");
    QTest::addColumn<bool>("keyCopied");

    // Program folder holds book A where present; the location book B.
    QTest::newRow("backup without a record store")
        << true << "program:key" << failure::kFileNotFound << true;
    QTest::newRow("backup into a missing folder") << true << "missing" << failure::kPathNotFound
                                                  << false;
    QTest::newRow("backup where a folder stands for the key file")
        << true << "blocked:key" << failure::kPathFileAccess << false;
    QTest::newRow("backup where a folder stands for the record store")
        << true << "blocked:store" << failure::kPathFileAccess << true;
    QTest::newRow("restore from a folder without a key file")
        << false << "location:store" << failure::kFileNotFound << false;
    QTest::newRow("restore from a folder with the key file only")
        << false << "location:key" << failure::kFileNotFound << true;
    QTest::newRow("restore into a program folder without a record store")
        << false << "program:key" << failure::kFileNotFound << true;
}

void BackupCopyTest::stopsAtFirstFailure() {
    QFETCH(bool, backingUp);
    QFETCH(QString, setup);
    QFETCH(int, code);
    QFETCH(bool, keyCopied);
    TempFolder program, outer;
    fs::path location = outer.Path() / "location";
    const Pair a{BookA().KeyBytes(), BookA().StoreBytes()};
    const Pair b{BookB().KeyBytes(), BookB().StoreBytes()};
    Pair inProgram = a, inLocation = b;
    if (setup == "program:key") inProgram.Store = "-";
    if (setup == "location:key") inLocation.Store = "-";
    if (setup == "location:store") inLocation.Key = "-";
    if (setup != "missing") {
        fs::create_directory(location);
        Write(location, inLocation);
    }
    if (setup.startsWith("blocked:")) {
        const char* name = setup == "blocked:key" ? kKeyFileName : kStoreFileName;
        fs::remove(location / name);
        fs::create_directory(location / name);
    }
    Write(program.Path(), inProgram);

    const auto result = CopyDataFiles(program.Path(), {}, location, backingUp);

    QCOMPARE(result.Outcome, CopyOutcome::Failed);
    QCOMPARE(result.Code, code);
    const Pair& source = backingUp ? inProgram : inLocation;
    Pair destination = backingUp ? inLocation : inProgram;
    if (setup == "missing") destination = {};
    if (keyCopied) destination.Key = source.Key;
    QVERIFY(Read(backingUp ? program.Path() : location) == source);
    if (setup.startsWith("blocked:")) {
        const char* name = setup == "blocked:key" ? kKeyFileName : kStoreFileName;
        QVERIFY(fs::is_directory(location / name));
        QVERIFY(fs::is_empty(location / name));
        if (keyCopied) QVERIFY(fixture::ReadBytes(location / kKeyFileName) == source.Key);
    } else {
        QVERIFY(Read(backingUp ? location : program.Path()) == destination);
    }
}

QTEST_GUILESS_MAIN(BackupCopyTest)
#include "backup_copy_test.moc"
