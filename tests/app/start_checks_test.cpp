#include <QTest>

#include <filesystem>

#include "app/start_checks.h"
#include "store/folder_lock.h"
#include "tests/support/book_fixture.h"
#include "tests/support/recording_services.h"
#include "tests/support/temp_folder.h"

using namespace lockmere;
using namespace lockmere::testing;
namespace fs = std::filesystem;

class StartChecksTest : public QObject {
    Q_OBJECT

private slots:
    void secondStartInTheFolderEndsUntouched() {
        TempFolder folder;
        const fs::path stale = folder.File("lkdb1.lkd.0123456789abcdef.tmp");
        fixture::WriteBytes(stale, "could be a live write of the running copy");
        const FolderLock running(folder.Path());
        QVERIFY(running.Result() == FolderLock::Outcome::Taken);

        RecordingMessageBoxes boxes;
        const FolderLock second(folder.Path());
        QVERIFY(!FolderIsOurs(second, folder.Path(), boxes));
        QVERIFY(OneBoxShown(boxes, QStringLiteral("Lockmere is already running from this folder."),
                            kMessageCenterTitle, MsgButtons::Ok, MsgIcon::Exclamation));
        QVERIFY(fs::exists(stale));
    }

    void firstStartTidiesTheFolder() {
        TempFolder folder;
        const fs::path stale = folder.File("lkdb0.lkd.0123456789abcdef.tmp");
        fixture::WriteBytes(stale, "half");
        fixture::WriteBytes(folder.File("lkdb0.lkd"), "key file");

        RecordingMessageBoxes boxes;
        const FolderLock lock(folder.Path());
        QVERIFY(FolderIsOurs(lock, folder.Path(), boxes));
        QVERIFY(boxes.Boxes().empty());
        QVERIFY(!fs::exists(stale));
        QCOMPARE(fixture::ReadBytes(folder.File("lkdb0.lkd")), std::string("key file"));
    }

    void unlockableFolderEndsWithItsCode() {
        TempFolder folder;
        const fs::path gone = folder.File("gone");
        RecordingMessageBoxes boxes;
        QVERIFY(!FolderIsOurs(FolderLock(gone), gone, boxes));
        QCOMPARE(boxes.Boxes().size(), std::size_t(1));
        QVERIFY(boxes.Boxes().front().Text.contains(QStringLiteral("(failure code 76)")));
        QCOMPARE(boxes.Boxes().front().Icon, MsgIcon::Critical);
    }

#ifndef _WIN32
    void plantedLockFileEndsTheStartWithCode75() {
        // Nothing is written through it, and nothing else in the folder is touched.
        TempFolder folder, elsewhere;
        const fs::path target = elsewhere.File("profile");
        fixture::WriteBytes(target, "the user's");
        const fs::path stale = folder.File("lkdb0.lkd.0123456789abcdef.tmp");
        fixture::WriteBytes(stale, "half");
        fs::create_symlink(target, folder.File(kLockFileName));

        RecordingMessageBoxes boxes;
        QVERIFY(!FolderIsOurs(FolderLock(folder.Path()), folder.Path(), boxes));
        QCOMPARE(boxes.Boxes().size(), std::size_t(1));
        QVERIFY(boxes.Boxes().front().Text.contains(QStringLiteral("(failure code 75)")));
        QCOMPARE(fixture::ReadBytes(target), std::string("the user's"));
        QVERIFY(fs::exists(stale));
    }
#endif

    void failedHardeningEndsBeforeAnyWindow() {
        RecordingMessageBoxes boxes;
        QVERIFY(HardeningHeld(true, boxes));
        QVERIFY(boxes.Boxes().empty());
        QVERIFY(!HardeningHeld(false, boxes));
        QCOMPARE(boxes.Boxes().size(), std::size_t(1));
        QCOMPARE(boxes.Boxes().front().Icon, MsgIcon::Critical);
        QVERIFY(boxes.Boxes().front().Text.contains(QStringLiteral("ends")));
    }
};

QTEST_GUILESS_MAIN(StartChecksTest)
#include "start_checks_test.moc"
