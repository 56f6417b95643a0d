#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <filesystem>

#include "app/main_screen.h"
#include "backup/backup_form.h"
#include "store/record_line.h"
#include "tests/backup/backup_books.h"
#include "tests/backup/backup_scene.h"
#include "tests/support/list_rows.h"
#include "ui/controls.h"
#include "ui/folder_list.h"

using namespace lockmere;
using namespace lockmere::testing;
namespace fs = std::filesystem;

namespace {

const QString kWarning = QStringLiteral(
    "Do you really want to restore the password database?\n"
    "Restoring will overwrite existing password databases\n"
    "and may result in total loss of password data!");

// The main window on the program folder's book, shown.
MainScreen* StartMain(Scene& scene) {
    MainScreen* main = scene.Test.Ctx.Windows.Open<MainScreen>(scene.Test.Ctx);
    main->ShowModeless();
    return main;
}

bool LogIn(MainScreen* main, const char* password) {
    main->Text2->setText(QString::fromLatin1(password));
    QTest::mouseClick(main->Command1, Qt::LeftButton);
    return !main->Command1->isEnabled();
}

QStringList ListNames(MainScreen* main) {
    QStringList names;
    for (int i = 0; i < RowCount(main->List1); ++i)
        names << RowText(main->List1, i).section(QChar('\t'), 0, 0);
    return names;
}

QStringList NamesOf(const BookFiles& book) {
    QStringList names;
    for (const auto& fields : book.Records) names << QString::fromStdString(fields[0]);
    names.sort(Qt::CaseInsensitive);
    return names;
}

// Runs the restore command, answering its question with Yes.
BackupForm* Restore(Scene& scene, MainScreen* main) {
    scene.Test.Boxes.Queue(MsgAnswer::Yes);
    main->RestoreDB->trigger();
    return scene.Test.Ctx.Windows.Find<BackupForm>();
}

void CopyFrom(Scene& scene, BackupForm* form, const fs::path& location) {
    form->Dir1->SetPath(Q(location));
    scene.Test.Boxes.Queue(MsgAnswer::Ok);
    QTest::mouseClick(form->Command1, Qt::LeftButton);
}

bool HoldsBook(const fs::path& folder, const BookFiles& book) {
    return fixture::ReadBytes(folder / kKeyFileName) == book.KeyBytes() &&
           fixture::ReadBytes(folder / kStoreFileName) == book.StoreBytes();
}

}  // namespace

class BackupCommandsTest : public QObject {
    Q_OBJECT

private slots:
    void restoreAsksFirst_data();
    void restoreAsksFirst();
    void backupAsksNothing();
    void reopenedWindowFollowsTheLastCommand();
    void backupThenRestoreRoundTrip();
    void restoredBookOpensWithItsOwnPassword();
    void failedRestoreLeavesTheBookWhole();
};

void BackupCommandsTest::restoreAsksFirst_data() {
    QTest::addColumn<bool>("yes");
    QTest::addColumn<bool>("backupOpen");  // the backup window open in backup mode before
    QTest::newRow("yes") << true << false;
    QTest::newRow("no") << false << false;
    QTest::newRow("no, with the backup window open") << false << true;
}

void BackupCommandsTest::restoreAsksFirst() {
    QFETCH(bool, yes);
    QFETCH(bool, backupOpen);
    Scene scene;
    BookA().WriteTo(scene.Program());
    MainScreen* main = StartMain(scene);
    QVERIFY(LogIn(main, "alpha pass"));
    if (backupOpen) main->BackupDB->trigger();
    scene.Test.Boxes.Queue(yes ? MsgAnswer::Yes : MsgAnswer::No);

    main->RestoreDB->trigger();

    QVERIFY(OneBoxShown(scene.Test.Boxes, kWarning, QStringLiteral("Message Center"),
                        MsgButtons::YesNo, MsgIcon::None));
    BackupForm* form = scene.Test.Ctx.Windows.Find<BackupForm>();
    QCOMPARE(form != nullptr, yes || backupOpen);
    // Yes logs the main window out; No leaves it as it was.
    QCOMPARE(RowCount(main->List1), yes ? 0 : 2);
    QCOMPARE(main->Command1->isEnabled(), yes);
    if (form) {
        QVERIFY(form->isVisible());
        QVERIFY(!form->isModal());
        // No leaves an open window in the mode it had.
        QCOMPARE(form->Command1->text(),
                 yes ? QStringLiteral("Restore Databases") : QStringLiteral("Backup Databases"));
        QCOMPARE(form->SaveBackupLocation->isEnabled(), !yes);
    }
}

void BackupCommandsTest::backupAsksNothing() {
    Scene scene;
    BookA().WriteTo(scene.Program());
    MainScreen* main = StartMain(scene);
    QVERIFY(LogIn(main, "alpha pass"));

    main->BackupDB->trigger();

    BackupForm* form = scene.Test.Ctx.Windows.Find<BackupForm>();
    QVERIFY(form && form->isVisible() && !form->isModal());
    QCOMPARE(form->Command1->text(), QStringLiteral("Backup Databases"));
    QVERIFY(form->SaveBackupLocation->isEnabled());
    QCOMPARE(scene.Test.Boxes.Boxes().size(), 0u);
    QCOMPARE(RowCount(main->List1), 2);
    QVERIFY(!main->Command1->isEnabled());
}

void BackupCommandsTest::reopenedWindowFollowsTheLastCommand() {
    Scene scene;
    const fs::path location = scene.MakeFolder("Backups");
    BookA().WriteTo(scene.Program());
    BookB().WriteTo(location);
    MainScreen* main = StartMain(scene);
    main->BackupDB->trigger();
    BackupForm* form = scene.Test.Ctx.Windows.Find<BackupForm>();
    QVERIFY(form);

    QCOMPARE(Restore(scene, main), form);
    QCOMPARE(form->Label1->text(), QStringLiteral("Please Select Restore Location"));
    QCOMPARE(form->Label2->text(), QStringLiteral("Selected Restore Location"));
    QCOMPARE(form->Command1->text(), QStringLiteral("Restore Databases"));
    QVERIFY(!form->SaveBackupLocation->isEnabled());

    main->BackupDB->trigger();
    QCOMPARE(scene.Test.Ctx.Windows.Find<BackupForm>(), form);
    QCOMPARE(form->Label1->text(), QStringLiteral("Please Select Backup Location"));
    QCOMPARE(form->Label2->text(), QStringLiteral("Selected Backup Location"));
    QCOMPARE(form->Command1->text(), QStringLiteral("Backup Databases"));
    QVERIFY(form->SaveBackupLocation->isEnabled());

    // Back in restore mode, the button restores, as its caption says.
    QCOMPARE(Restore(scene, main), form);
    CopyFrom(scene, form, location);
    QCOMPARE(scene.Test.Boxes.Texts().last(), QStringLiteral("Database Restore Complete!"));
    QVERIFY(HoldsBook(scene.Program(), BookB()));
    QVERIFY(HoldsBook(location, BookB()));
}

void BackupCommandsTest::backupThenRestoreRoundTrip() {
    Scene scene;
    const fs::path location = scene.MakeFolder("Backups");
    const BookFiles original = BookA();
    original.WriteTo(scene.Program());
    MainScreen* main = StartMain(scene);
    QVERIFY(LogIn(main, "alpha pass"));

    main->BackupDB->trigger();
    CopyFrom(scene, scene.Test.Ctx.Windows.Find<BackupForm>(), location);
    QCOMPARE(scene.Test.Boxes.Texts(), QStringList{"Backup Complete!"});
    QVERIFY(HoldsBook(location, original));

    // The book changes after the backup.
    BookFiles changed = original;
    changed.Records.push_back({"Shop", "https://shop.example", "ann", "a3"});
    fixture::WriteBytes(scene.Program() / kStoreFileName, changed.StoreBytes());

    BackupForm* form = Restore(scene, main);
    QVERIFY(form);
    CopyFrom(scene, form, location);
    QCOMPARE(scene.Test.Boxes.Texts().last(), QStringLiteral("Database Restore Complete!"));
    QVERIFY(HoldsBook(scene.Program(), original));

    QVERIFY(LogIn(main, "alpha pass"));
    QCOMPARE(ListNames(main), NamesOf(original));
}

void BackupCommandsTest::restoredBookOpensWithItsOwnPassword() {
    Scene scene;
    const fs::path location = scene.MakeFolder("Other book");
    BookA().WriteTo(scene.Program());
    BookB().WriteTo(location);
    MainScreen* main = StartMain(scene);
    BackupForm* form = Restore(scene, main);
    // A login while the window is open brings back the book about to be replaced.
    QVERIFY(LogIn(main, "alpha pass"));

    CopyFrom(scene, form, location);
    QCOMPARE(scene.Test.Boxes.Texts().last(), QStringLiteral("Database Restore Complete!"));

    // That list belongs to the replaced book: it must not be saved over the
    // restored one.
    scene.Test.Boxes.Queue(MsgAnswer::Ok);
    QVERIFY(!main->SaveData_Click());
    QVERIFY(HoldsBook(scene.Program(), BookB()));

    main->LogoutApp->trigger();
    scene.Test.Boxes.Clear();
    scene.Test.Boxes.Queue(MsgAnswer::Ok);
    QVERIFY(!LogIn(main, "alpha pass"));
    QCOMPARE(scene.Test.Boxes.Texts(), QStringList{"ERROR: Password Not Matched!"});
    QVERIFY(LogIn(main, "bravo pass"));
    QCOMPARE(ListNames(main), NamesOf(BookB()));
    QCOMPARE(scene.Test.Boxes.Unexpected(), 0);
}

void BackupCommandsTest::failedRestoreLeavesTheBookWhole() {
    // The backup holds a key file but no record store: nothing may be
    // restored, and no half-read book may be saved afterwards.
    Scene scene;
    const fs::path location = scene.MakeFolder("Half a backup");
    BookA().WriteTo(scene.Program());
    fixture::WriteBytes(location / kKeyFileName, BookB().KeyBytes());
    MainScreen* main = StartMain(scene);
    BackupForm* form = Restore(scene, main);
    QVERIFY(LogIn(main, "alpha pass"));

    CopyFrom(scene, form, location);
    QVERIFY(scene.Test.Boxes.Texts().last().contains(QStringLiteral("53")));
    QVERIFY(HoldsBook(scene.Program(), BookA()));

    scene.Test.Boxes.Queue(MsgAnswer::Ok);
    QVERIFY(!main->SaveData_Click());
    QVERIFY(HoldsBook(scene.Program(), BookA()));
    main->LogoutApp->trigger();
    scene.Test.Boxes.Clear();
    QVERIFY(LogIn(main, "alpha pass"));
    QCOMPARE(ListNames(main), NamesOf(BookA()));
}

QTEST_MAIN(BackupCommandsTest)
#include "backup_commands_test.moc"
