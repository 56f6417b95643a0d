// The book locks when the user walks away (the platform's lock signal,
// here the recording double): what it closes, what it leaves, and that no
// command resuming after it undoes it.
#include <QAction>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QTest>
#include <filesystem>

#include "app/main_screen.h"
#include "backup/backup_form.h"
#include "records/big_char.h"
#include "records/data_entry.h"
#include "records/edit_record.h"
#include "tests/backup/backup_scene.h"
#include "tests/support/book_fixture.h"
#include "tests/support/list_rows.h"
#include "tests/support/test_context.h"
#include "ui/controls.h"

using namespace lockmere;
using namespace lockmere::testing;

namespace {

const std::string kKey = fixture::KeyOf(fixture::Collected());
const std::vector<fixture::Fields> kRecords{
    {"Bank", "https://bank.example", "bank.user", "bank-pw"},
    {"Mail", "https://mail.example", "mail.user", "mail-pw"}};

// What the user can see of the main window and the clipboard.
struct Seen {
    int Height = 0;
    QString Toggle;
    bool ListShown = false;
    int Lines = 0;
    bool ValidateEnabled = false;
    QString Menus;
    QStringList ClipboardCalls;

    bool operator==(const Seen&) const = default;
};

QString Menus(MainScreen* m) {
    auto on = [](QAction* a) { return a->isEnabled() ? QStringLiteral("+") : QStringLiteral("-"); };
    return QStringLiteral("Logout%1 Save%2 Add%3 Delete%4 Edit%5")
        .arg(on(m->LogoutApp), on(m->SaveData), on(m->AddNewEntry), on(m->DeleteRecord),
             on(m->EditData));
}

Seen SeenOf(MainScreen* m, const TestContext& tc) {
    Seen seen;
    seen.Height = m->height();
    seen.Toggle = m->Command2->text();
    seen.ListShown = m->List1->isVisible();
    seen.Lines = RowCount(m->List1);
    seen.ValidateEnabled = m->Command1->isEnabled();
    seen.Menus = Menus(m);
    seen.ClipboardCalls = tc.ClipboardService.Calls();
    return seen;
}

// Logged out and collapsed to the login strip.
bool Locked(MainScreen* m) {
    const bool locked = m->height() == TwipsToPixels(1900) - kFrameHeightPixels &&
                        m->Command2->text() == QStringLiteral("Display Data") &&
                        !m->List1->isVisible() && RowCount(m->List1) == 0 &&
                        m->Command1->isEnabled() &&
                        Menus(m) == QStringLiteral("Logout- Save- Add- Delete- Edit-");
    if (!locked)
        qWarning("not locked: height %d, %s, list %s with %d lines, Validate %s, %s", m->height(),
                 qPrintable(m->Command2->text()), m->List1->isVisible() ? "shown" : "hidden",
                 RowCount(m->List1), m->Command1->isEnabled() ? "enabled" : "disabled",
                 qPrintable(Menus(m)));
    return locked;
}

std::string StoreOnDisk(const TestContext& tc) { return fixture::ReadBytes(tc.File("lkdb1.lkd")); }

MainScreen* ShowMain(TestContext& tc) {
    fixture::WriteBytes(tc.File("lkdb0.lkd"),
                        fixture::KeyFileBytes(fixture::Collected(), "owner", "master"));
    fixture::WriteBytes(tc.File("lkdb1.lkd"), fixture::StoreBytes(kRecords, kKey));
    MainScreen* main = tc.Ctx.Windows.Open<MainScreen>(tc.Ctx);
    main->ShowModeless();
    return main;
}

MainScreen* LogIn(TestContext& tc) {
    MainScreen* main = ShowMain(tc);
    main->Text2->setText(QStringLiteral("master"));
    QTest::mouseClick(main->Command1, Qt::LeftButton);
    if (RowCount(main->List1) != 2)
        QTest::qFail("login did not list the store", __FILE__, __LINE__);
    return main;
}

enum class Command { LoginUndeciphered, LoginUnread, Restore, Delete, Save };

}  // namespace

Q_DECLARE_METATYPE(Command)

class BookLockTest : public QObject {
    Q_OBJECT

private slots:
    void watchingStartsAfterTheFirstPaint();
    void lockClosesWhatShowsRecords_data();
    void lockClosesWhatShowsRecords();
    void lockAfterRestoreClosesTheViewerAndLeavesTheBackupWindow();
    void lockReachesAViewerTheMainWindowLeftBehind();
    void commandResumedAfterALockLeavesItLocked_data();
    void commandResumedAfterALockLeavesItLocked();
};

void BookLockTest::watchingStartsAfterTheFirstPaint() {
    TestContext tc;
    MainScreen* main = ShowMain(tc);
    QCOMPARE(tc.SessionLock.Starts, 0);  // shown, not painted yet
    QVERIFY(QTest::qWaitForWindowExposed(main));
    QTRY_COMPARE(tc.SessionLock.Starts, 1);
    main->repaint();
    QTest::qWait(20);
    QCOMPARE(tc.SessionLock.Starts, 1);
}

void BookLockTest::lockClosesWhatShowsRecords_data() {
    QTest::addColumn<bool>("editing");
    QTest::newRow("add window open") << false;
    QTest::newRow("edit window open") << true;
}

void BookLockTest::lockClosesWhatShowsRecords() {
    QFETCH(bool, editing);
    TestContext tc;
    MainScreen* main = LogIn(tc);
    const std::string store = StoreOnDisk(tc);
    DoubleClick(main->List1, 1);
    QPointer<BigChar> viewer = tc.Ctx.Windows.Find<BigChar>();
    QVERIFY(viewer && viewer->isVisible());
    QTest::mouseClick(viewer->CT2, Qt::LeftButton);
    QCOMPARE(tc.ClipboardService.Text(), QStringLiteral("mail-pw"));
    QTest::mouseClick(main->Command2, Qt::LeftButton);  // the list shown again
    QVERIFY(main->List1->isVisible());

    QPointer<RecordForm> form;
    bool formLeftAtOnce = false;
    auto typeThenLock = [&](RecordForm* shown) {
        form = shown;
        QTest::keyClicks(shown->Text1, "Half typed");
        QTest::keyClicks(shown->Text4, "new-pw");
        tc.SessionLock.Lock();
        formLeftAtOnce = form && form->IsUnloaded() && !form->isVisible();
    };
    if (editing) {
        SetCurrentRow(main->List1, 0);
        tc.WhenModal<EditRecord>(typeThenLock);
        main->EditData->trigger();
    } else {
        tc.WhenModal<DataEntry>(typeThenLock);
        main->AddNewEntry->trigger();
    }

    QVERIFY(formLeftAtOnce);
    QVERIFY(!tc.Ctx.Windows.Find<BigChar>() && !tc.Ctx.Windows.Find<DataEntry>() &&
            !tc.Ctx.Windows.Find<EditRecord>());
    QVERIFY(!tc.ClipboardService.HoldsText());
    QVERIFY(Locked(main));
    QVERIFY(main->isVisible());
    // Nothing half typed was saved, and nothing asked.
    QCOMPARE(StoreOnDisk(tc), store);
    QVERIFY(tc.Boxes.Boxes().empty());
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QVERIFY(viewer.isNull() && form.isNull());

    const Seen once = SeenOf(main, tc);
    tc.SessionLock.Lock();
    QCOMPARE(SeenOf(main, tc), once);

    // The master password opens the book again.
    main->Text2->setText(QStringLiteral("master"));
    QTest::mouseClick(main->Command1, Qt::LeftButton);
    QCOMPARE(RowCount(main->List1), 2);
}

void BookLockTest::lockAfterRestoreClosesTheViewerAndLeavesTheBackupWindow() {
    Scene scene;
    TestContext& tc = scene.Test;
    MainScreen* main = LogIn(tc);
    DoubleClick(main->List1, 0);
    QPointer<BigChar> viewer = tc.Ctx.Windows.Find<BigChar>();
    QVERIFY(viewer);
    tc.Boxes.Queue(MsgAnswer::Yes);
    main->RestoreDB->trigger();
    // Logged out by the restore; the logout's toggle opened the list area.
    QVERIFY(main->Command1->isEnabled());
    QVERIFY(main->List1->isVisible());
    QPointer<BackupForm> backup = tc.Ctx.Windows.Find<BackupForm>();
    QVERIFY(backup && backup->isVisible());
    QVERIFY(viewer && viewer->isVisible());

    tc.SessionLock.Lock();
    QVERIFY(!tc.Ctx.Windows.Find<BigChar>());
    QVERIFY(!tc.ClipboardService.HoldsText());
    QVERIFY(Locked(main));
    // The backup window shows no record: it stays as it was.
    QCOMPARE(tc.Ctx.Windows.Find<BackupForm>(), backup.data());
    QVERIFY(backup->isVisible());
    QCOMPARE(backup->Command1->text(), QStringLiteral("Restore Databases"));
}

void BookLockTest::lockReachesAViewerTheMainWindowLeftBehind() {
    TestContext tc;
    MainScreen* main = LogIn(tc);
    DoubleClick(main->List1, 1);
    QPointer<BigChar> viewer = tc.Ctx.Windows.Find<BigChar>();
    QVERIFY(viewer);
    QTest::mouseClick(viewer->CT2, Qt::LeftButton);
    QCOMPARE(tc.ClipboardService.Text(), QStringLiteral("mail-pw"));
    // The program runs on with the viewer alone.
    QVERIFY(main->close());
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QVERIFY(!tc.Ctx.Windows.Main());
    QVERIFY(viewer && viewer->isVisible());
    QCOMPARE(tc.Ctx.RecordBook.Records().size(), 2u);

    tc.SessionLock.Lock();
    QVERIFY(!tc.Ctx.Windows.Find<BigChar>());
    QVERIFY(!tc.ClipboardService.HoldsText());
    QVERIFY(tc.ClipboardService.Calls().endsWith(QStringLiteral("clear")));
    // Closed as the logout closes it: no record left, nothing to save.
    QVERIFY(tc.Ctx.RecordBook.Records().empty());
    QVERIFY(!tc.Ctx.RecordBook.Complete());
    // No window is left: the program ends as on the user's close (the end
    // itself is seen end to end, where the event loop runs).
    for (const QWidget* window : QApplication::topLevelWidgets()) QVERIFY(!window->isVisible());
}

void BookLockTest::commandResumedAfterALockLeavesItLocked_data() {
    QTest::addColumn<Command>("command");
    QTest::addColumn<QString>("box");
    // The cipher's box gives the failing difference of codes.
    QTest::newRow("login, its failed decipher acknowledged")
        << Command::LoginUndeciphered << QString::number(1 - static_cast<unsigned char>(kKey[0]));
    QTest::newRow("login, its unread store acknowledged")
        << Command::LoginUnread
        << "ERROR: The database lkdb1.lkd could not be read (failure code 75).";
    QTest::newRow("restore, its question answered Yes")
        << Command::Restore
        << "Do you really want to restore the password database?\n"
           "Restoring will overwrite existing password databases\n"
           "and may result in total loss of password data!";
    QTest::newRow("delete, its question answered Yes")
        << Command::Delete
        << "WARNING: You have selected a record for deletion!\r"
           "Do you really want to DELETE this record?";
    QTest::newRow("save, its confirmation acknowledged")
        << Command::Save
        << "The database has been saved!\rIt is now OK to add a new entry into\rthe database!";
}

void BookLockTest::commandResumedAfterALockLeavesItLocked() {
    QFETCH(Command, command);
    QFETCH(QString, box);
    Scene scene;
    TestContext& tc = scene.Test;
    // The lock comes while the command's box is up.
    tc.Boxes.OnShow = [&tc](const RecordedBox&) { tc.SessionLock.Lock(); };
    const bool login = command == Command::LoginUndeciphered || command == Command::LoginUnread;
    tc.Boxes.Queue(login || command == Command::Save ? MsgAnswer::Ok : MsgAnswer::Yes);
    MainScreen* main = login ? ShowMain(tc) : LogIn(tc);
    const std::string store = StoreOnDisk(tc);

    switch (command) {
    case Command::LoginUndeciphered: {
        // A credentials block never enciphered with this key: its first byte
        // is below the first key character.
        std::string keyFile = fixture::Collected();
        keyFile[43] = 5;
        keyFile.replace(44, 5, "\x01\x01\x01\x01\x01");
        fixture::WriteBytes(tc.File("lkdb0.lkd"), keyFile);
        main->Text2->setText(QStringLiteral("master"));
        QTest::mouseClick(main->Command1, Qt::LeftButton);
        break;
    }
    case Command::LoginUnread:
        // A folder where the store should be: the key file matches, the store
        // cannot be read.
        std::filesystem::remove(tc.File("lkdb1.lkd"));
        std::filesystem::create_directory(tc.File("lkdb1.lkd"));
        main->Text2->setText(QStringLiteral("master"));
        QTest::mouseClick(main->Command1, Qt::LeftButton);
        break;
    case Command::Restore:
        main->RestoreDB->trigger();
        break;
    case Command::Delete:
        SetCurrentRow(main->List1, 0);
        main->DeleteRecord->trigger();
        break;
    case Command::Save:
        main->SaveData_Click();
        break;
    }

    QCOMPARE(tc.Boxes.Texts(), QStringList{box});
    QVERIFY(Locked(main));
    if (command != Command::LoginUnread) QCOMPARE(StoreOnDisk(tc), store);
    // The answer still counts: the restore goes on in its window.
    auto* backup = tc.Ctx.Windows.Find<BackupForm>();
    QCOMPARE(backup != nullptr, command == Command::Restore);
    if (backup) QCOMPARE(backup->Command1->text(), QStringLiteral("Restore Databases"));
}

QTEST_MAIN(BookLockTest)
#include "book_lock_test.moc"
