#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QTest>
#include <filesystem>

#ifndef _WIN32
#include <sys/stat.h>
#include <unistd.h>
#endif

#include "backup/backup_form.h"
#include "store/file_access.h"
#include "tests/backup/backup_books.h"
#include "tests/backup/backup_scene.h"
#include "tests/support/caption_checks.h"
#include "ui/ansi_text.h"
#include "ui/drive_list.h"
#include "ui/file_path.h"
#include "ui/folder_list.h"

using namespace lockmere;
using namespace lockmere::testing;
namespace fs = std::filesystem;

Q_DECLARE_METATYPE(lockmere::MsgIcon)

namespace {

void WriteLocationFile(const Scene& scene, const std::string& bytes) {
    fixture::WriteBytes(scene.Program() / kBackupLocationFileName, bytes);
}

std::string LocationFile(const Scene& scene) {
    const fs::path file = scene.Program() / kBackupLocationFileName;
    return fs::exists(file) ? fixture::ReadBytes(file) : "-";
}

bool HoldsBook(const fs::path& folder, const BookFiles& book) {
    return fs::exists(folder / kKeyFileName) && fs::exists(folder / kStoreFileName) &&
           fixture::ReadBytes(folder / kKeyFileName) == book.KeyBytes() &&
           fixture::ReadBytes(folder / kStoreFileName) == book.StoreBytes();
}

bool Empty(const fs::path& folder) { return fs::is_empty(folder); }

// Chooses a drive that does not answer in the drive list. Returns what the
// window showed when the one message came: the drive, the folder list's
// folder, Label3 and BackupPath; empty when the message was not that.
QStringList ChooseDriveNotReady(Scene& scene, BackupForm* form, const QString& drive) {
    QStringList atMessage;
    scene.Test.Boxes.OnShow = [&](const RecordedBox&) {
        atMessage = {form->Drive1->Drive(), form->Dir1->Path(), form->Label3->text()};
    };
    scene.Test.Boxes.Queue(MsgAnswer::Ok);
    form->Drive1->setCurrentIndex(form->Drive1->findText(drive));
    scene.Test.Boxes.OnShow = nullptr;
    if (!OnlyBoxes(scene.Test.Boxes, {"Error: Drive not ready or missing disk!"},
                   MsgIcon::Critical))
        return {};
    return atMessage;
}

const QString kPermissionDenied =
    QStringLiteral("Error: Could not access folder. Permission Denied!");
const QString kSameFolder =
    QStringLiteral("Error: The source destination and write destinations cannot be the same!");

}  // namespace

class BackupFormTest : public QObject {
    Q_OBJECT

private slots:
    void layout_data();
    void layout();
    void savedLocationAtLoad_data();
    void savedLocationAtLoad();
    void saveBackupLocation_data();
    void saveBackupLocation();
    void copyClosesBeforeConfirming_data();
    void copyClosesBeforeConfirming();
    void sameFolderTouchesNothing_data();
    void sameFolderTouchesNothing();
    void savedLocationUsedUntilFolderChanges_data();
    void savedLocationUsedUntilFolderChanges();
    void failedCopyKeepsWindowOpen_data();
    void failedCopyKeepsWindowOpen();
    void longLocationShrinksToFit();
#ifndef _WIN32
    void restoreTakesNoOtherUsersBookFromASharedFolder();
#endif
    void driveChange();
    void driveNotReadyFallsBackToRoot();
    void driveLetters();
    void escapeClosesAsTheCloseBoxDoes();
};

void BackupFormTest::layout_data() {
    QTest::addColumn<bool>("backup");
    QTest::addColumn<QStringList>("captions");  // Label1, Label2, Command1

    QTest::newRow("backup") << true
                            << QStringList{"Please Select Backup Location",
                                           "Selected Backup Location", "Backup Databases"};
    QTest::newRow("restore") << false
                             << QStringList{"Please Select Restore Location",
                                            "Selected Restore Location", "Restore Databases"};
}

void BackupFormTest::layout() {
    QFETCH(bool, backup);
    QFETCH(QStringList, captions);
    Scene scene;
    BackupForm* form = OpenBackupForm(scene, backup);
    QVERIFY(QTest::qWaitForWindowActive(form));

    QCOMPARE(form->windowTitle(), QStringLiteral(" Backup Database"));
    QCOMPARE(form->WidthTwips(), 6825);
    QCOMPARE(form->HeightTwips(), 5340);
    QCOMPARE(form->x(), TwipsToPixels((ScreenWidthTwips() - 6825) / 2));
    QCOMPARE(form->y(), TwipsToPixels((ScreenHeightTwips() - 5340) / 2));
    QVERIFY(!(form->windowFlags() & (Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint)));
    QVERIFY(!form->isModal());

    QCOMPARE(form->Label1->text(), captions[0]);
    QCOMPARE(form->Label2->text(), captions[1]);
    QCOMPARE(form->Command1->text(), captions[2]);
    QCOMPARE(form->Command1->accessibleName(), captions[2]);
    QCOMPARE(form->SaveBackupLocation->text(), QStringLiteral("Save Backup Location"));
    QCOMPARE(form->SaveBackupLocation->isEnabled(), backup);
    QCOMPARE(form->Check3->text(), QStringLiteral("Enable Local Folder Creation"));
    QVERIFY(!form->Check3->isChecked());

    const struct {
        const char* name;
        QWidget* control;
        QRect twips;
        bool bold;
    } controls[] = {
        {"Label1", form->Label1, {195, 300, 3675, 330}, true},
        {"Dir1", form->Dir1, {330, 1215, 5910, 1890}, false},
        {"Command1", form->Command1, {3945, 4200, 2370, 345}, true},
        {"Drive1", form->Drive1, {330, 810, 2970, 315}, false},
        {"Label2", form->Label2, {3450, 3225, 2790, 315}, true},
        {"Label3", form->Label3, {330, 3525, 5910, 450}, false},
        {"SaveBackupLocation", form->SaveBackupLocation, {330, 4200, 2970, 345}, true},
        {"Check3", form->Check3, {3345, 645, 2955, 705}, false},
    };
    for (const auto& c : controls) {
        const QRect& t = c.twips;
        QCOMPARE(form->findChild<QWidget*>(c.name), c.control);  // found by its name
        QVERIFY(PlacedAt(c.control, t));
        if (c.control != form->Dir1 && c.control != form->Drive1) {
            QCOMPARE(c.control->font().family(), QStringLiteral("MS Sans Serif"));
            QVERIFY(SizedToFit(c.control, 9.75));
            QCOMPARE(c.control->font().bold(), c.bold);
        }
    }
    // The lists draw in the window's font, as the rest of it does.
    for (QWidget* list : {static_cast<QWidget*>(form->Dir1), static_cast<QWidget*>(form->Drive1)}) {
        QCOMPARE(list->font().family(), QStringLiteral("MS Sans Serif"));
        QCOMPARE(list->font().pointSizeF(), 8.25);
        QVERIFY(!list->font().bold());
    }
    QVERIFY2(CutCaptions(form).isEmpty(), qPrintable(CutCaptions(form).join('\n')));
    QVERIFY(!form->Dir1->accessibleName().isEmpty());
    QVERIFY(!form->Drive1->accessibleName().isEmpty());

    // The keyboard reaches every control in tab order.
    QList<QWidget*> order{form->Dir1, form->Command1, form->Drive1};
    if (backup) order << form->SaveBackupLocation;
    order << form->Check3 << form->Dir1;
    form->Dir1->setFocus();
    for (int i = 1; i < order.size(); ++i) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), order[i]);
    }
    QCOMPARE(scene.Test.Boxes.Boxes().size(), 0u);
}

void BackupFormTest::savedLocationAtLoad_data() {
    QTest::addColumn<bool>("backup");
    QTest::addColumn<QByteArray>("file");  // "-" for no file; "<w>" stands for the working folder
    QTest::addColumn<QString>("shown");    // "<work>" for the folder list's folder
    QTest::addColumn<QString>("used");     // the copy's folder under the working folder, "" for it

    QTest::newRow("no file") << true << QByteArray("-") << "<work>"
                             << "";
    QTest::newRow("one line") << true << QByteArray("<w>/safe\r\n") << "<w>/safe"
                              << "safe";
    QTest::newRow("several lines")
        << true << QByteArray("<w>/first\r\n<w>/second\r\n") << "<w>/first"
        << "first";
    QTest::newRow("line without line end") << true << QByteArray("<w>/bare") << "<w>/bare"
                                           << "bare";
    QTest::newRow("empty first line") << true << QByteArray("\r\n<w>/second\r\n") << ""
                                      << "";
    QTest::newRow("no line at all") << true << QByteArray("") << ""
                                    << "";
    QTest::newRow("restore mode loads it too") << false << QByteArray("<w>/safe\r\n") << "<w>/safe"
                                               << "safe";
    QTest::newRow("Windows-1252 characters")
        << true << QByteArray("<w>/caf\xe9 \x80\r\n") << QString::fromUtf8("<w>/café €")
        << QString::fromUtf8("café €");
    QTest::newRow("longer than a location file can be: none saved")
        << true << QByteArray("<w>/safe\r\n").append(64 * 1024, 'x') << "<work>"
        << "";
}

void BackupFormTest::savedLocationAtLoad() {
    QFETCH(bool, backup);
    QFETCH(QByteArray, file);
    QFETCH(QString, shown);
    QFETCH(QString, used);
    Scene scene;
    const QString work = Shown(Q(scene.Work.Path()));
    file.replace("<w>", work.toUtf8());
    shown = shown == "<work>" ? work : shown.replace("<w>", work);
    if (file != "-") WriteLocationFile(scene, file.toStdString());
    const QStringList folders{"safe", "first", "second", "bare", QString::fromUtf8("café €")};
    for (const QString& folder : folders) scene.MakeFolder(ToPath(folder));

    BackupForm* form = OpenBackupForm(scene, backup);

    QCOMPARE(form->Label3->text(), shown);
    QCOMPARE(form->Dir1->Path(), work);
    if (file != "-") QCOMPARE(LocationFile(scene), file.toStdString());
    QCOMPARE(scene.Test.Boxes.Boxes().size(), 0u);

    // The copy takes the first line as it is; without one, the folder list's folder.
    const fs::path location = scene.Work.Path() / ToPath(used);
    const BookFiles copied = backup ? BookA() : BookB();
    BookA().WriteTo(scene.Program());
    if (!backup) copied.WriteTo(location);
    scene.Test.Boxes.Queue(MsgAnswer::Ok);
    QTest::mouseClick(form->Command1, Qt::LeftButton);

    QVERIFY(OnlyBoxes(scene.Test.Boxes,
                      {backup ? QStringLiteral("Backup Complete!")
                              : QStringLiteral("Database Restore Complete!")},
                      MsgIcon::Information));
    QVERIFY(HoldsBook(location, copied));
    QVERIFY(HoldsBook(scene.Program(), copied));
    for (const QString& folder : folders)
        if (folder != used) QVERIFY(Empty(scene.Work.Path() / ToPath(folder)));
}

// clang-format off
void BackupFormTest::saveBackupLocation_data() {
    QTest::addColumn<QByteArray>("before");  // the location file at load; "-" for none
    QTest::addColumn<QString>("open");       // sub-folder opened in the folder list, or empty
    QTest::addColumn<QString>("message");
    QTest::addColumn<MsgIcon>("icon");
    QTest::addColumn<bool>("written");

    const QString saved = QStringLiteral("Backup Location Saved!");
    QTest::newRow("folder list's folder") << QByteArray("-") << "" << saved
                                          << MsgIcon::Information << true;
    QTest::newRow("replaces several lines") << QByteArray("/old\r\n/older\r\n") << "Backups 2"
                                            << saved << MsgIcon::Information << true;
    QTest::newRow("saved location kept as loaded")
        << QByteArray("/caf\xe9/safe\r\n/x\r\n") << "" << saved << MsgIcon::Information << true;
    QTest::newRow("nothing selected") << QByteArray("\r\n/second\r\n") << ""
                                      << "Destination Path not selected!" << MsgIcon::Information
                                      << false;
    QTest::newRow("name outside the code page")
        << QByteArray("/old\r\n") << QString::fromUtf8("Ελλάδα")
        << "Error: This location's name cannot be saved in the location file!"
        << MsgIcon::Critical << false;
}
// clang-format on

void BackupFormTest::saveBackupLocation() {
    QFETCH(QByteArray, before);
    QFETCH(QString, open);
    QFETCH(QString, message);
    QFETCH(MsgIcon, icon);
    QFETCH(bool, written);
    Scene scene;
    if (before != "-") WriteLocationFile(scene, before.toStdString());
    BackupForm* form = OpenBackupForm(scene, true);
    if (!open.isEmpty()) {
        const fs::path folder = scene.Work.Path() / open.toStdU16String();
        fs::create_directory(folder);
        QCOMPARE(form->Dir1->SetPath(Q(folder)), failure::kNone);
    }
    const QString shown = form->Label3->text();
    scene.Test.Boxes.Queue(MsgAnswer::Ok);

    QTest::mouseClick(form->SaveBackupLocation, Qt::LeftButton);

    QVERIFY(OnlyBoxes(scene.Test.Boxes, {message}, icon));
    QCOMPARE(LocationFile(scene), written ? *ToAnsi(shown) + "\r\n" : before.toStdString());
    QVERIFY(form->isVisible());
}

void BackupFormTest::copyClosesBeforeConfirming_data() {
    QTest::addColumn<bool>("backup");
    QTest::addColumn<QString>("message");
    QTest::newRow("backup") << true << "Backup Complete!";
    QTest::newRow("restore") << false << "Database Restore Complete!";
}

void BackupFormTest::copyClosesBeforeConfirming() {
    QFETCH(bool, backup);
    QFETCH(QString, message);
    Scene scene;
    const fs::path location = scene.MakeFolder("Backups");
    const BookFiles book = BookA();
    book.WriteTo(backup ? scene.Program() : location);
    BookB().WriteTo(backup ? location : scene.Program());
    QPointer<BackupForm> form = OpenBackupForm(scene, backup);
    form->Dir1->SetPath(Q(location));
    bool closedFirst = false;
    scene.Test.Boxes.OnShow = [&](const RecordedBox&) {
        closedFirst = !form || (form->IsUnloaded() && !form->isVisible());
    };
    scene.Test.Boxes.Queue(MsgAnswer::Ok);

    QTest::mouseClick(form->Command1, Qt::LeftButton);

    QVERIFY(OnlyBoxes(scene.Test.Boxes, {message}, MsgIcon::Information));
    QVERIFY(closedFirst);
    QVERIFY(HoldsBook(scene.Program(), book));
    QVERIFY(HoldsBook(location, book));
    QVERIFY(!scene.Test.Ctx.Windows.Find<BackupForm>());
}

void BackupFormTest::sameFolderTouchesNothing_data() {
    QTest::addColumn<bool>("backup");
    QTest::newRow("backup") << true;
    QTest::newRow("restore") << false;
}

void BackupFormTest::sameFolderTouchesNothing() {
    QFETCH(bool, backup);
    Scene scene;
    BookA().WriteTo(scene.Program());
    QDir::setCurrent(Q(scene.Program()));
    BackupForm* form = OpenBackupForm(scene, backup);
    QCOMPARE(form->Dir1->Path(), Shown(Q(scene.Program())));
    scene.Test.Boxes.Queue(MsgAnswer::Ok);

    QTest::mouseClick(form->Command1, Qt::LeftButton);

    QVERIFY(OnlyBoxes(scene.Test.Boxes, {kSameFolder}, MsgIcon::Critical));
    QVERIFY(form->isVisible());
    QVERIFY(HoldsBook(scene.Program(), BookA()));
    QCOMPARE(std::distance(fs::directory_iterator(scene.Program()), fs::directory_iterator()), 2);
}

// clang-format off
void BackupFormTest::savedLocationUsedUntilFolderChanges_data() {
    QTest::addColumn<QString>("moves");  // folders opened before the copy: "" or "other,..."
    QTest::addColumn<QString>("message");
    QTest::addColumn<QString>("copiedTo");  // "saved", "other" or "" for nowhere

    QTest::newRow("folder list untouched") << "" << "Backup Complete!" << "saved";
    QTest::newRow("another folder opened") << "other" << "Backup Complete!" << "other";
    QTest::newRow("the start folder opened again")
        << "other,start" << kSameFolder << "";
}
// clang-format on

void BackupFormTest::savedLocationUsedUntilFolderChanges() {
    QFETCH(QString, moves);
    QFETCH(QString, message);
    QFETCH(QString, copiedTo);
    Scene scene;
    const fs::path saved = scene.MakeFolder("saved");
    const fs::path other = scene.MakeFolder("other");
    BookA().WriteTo(scene.Program());
    WriteLocationFile(scene, saved.string() + "\r\n");
    // The folder list starts at the program folder, which the saved location
    // lets the copy ignore.
    QDir::setCurrent(Q(scene.Program()));
    BackupForm* form = OpenBackupForm(scene, true);
    for (const QString& move : moves.split(',', Qt::SkipEmptyParts))
        form->Dir1->SetPath(move == "start" ? Q(scene.Program()) : Q(other));
    scene.Test.Boxes.Queue(MsgAnswer::Ok);

    QTest::mouseClick(form->Command1, Qt::LeftButton);

    QVERIFY(OnlyBoxes(scene.Test.Boxes, {message},
                      copiedTo.isEmpty() ? MsgIcon::Critical : MsgIcon::Information));
    QCOMPARE(HoldsBook(saved, BookA()), copiedTo == "saved");
    QCOMPARE(HoldsBook(other, BookA()), copiedTo == "other");
    QCOMPARE(Empty(saved), copiedTo != "saved");
    QCOMPARE(Empty(other), copiedTo != "other");
}

// clang-format off
void BackupFormTest::failedCopyKeepsWindowOpen_data() {
    QTest::addColumn<QString>("problem");
    QTest::addColumn<QString>("message");

    QTest::newRow("record store missing in the program folder") << "no store" << "53";
    QTest::newRow("a folder stands where the key file must go") << "blocked" << kPermissionDenied;
    QTest::newRow("saved location that is no folder") << "missing" << "76";
    QTest::newRow("saved location is the program folder") << "program" << kPermissionDenied;
    QTest::newRow("a key file longer than a key file can be") << "huge key" << "<damaged key>";
#ifndef _WIN32
    QTest::newRow("a pipe where the key file must go") << "pipe" << kPermissionDenied;
#endif
}
// clang-format on

void BackupFormTest::failedCopyKeepsWindowOpen() {
    QFETCH(QString, problem);
    QFETCH(QString, message);
    Scene scene;
    const fs::path location = scene.MakeFolder("Backups");
    const BookFiles book = BookA();
    book.WriteTo(scene.Program());
    if (problem == "no store") fs::remove(scene.Program() / kStoreFileName);
    if (problem == "blocked") fs::create_directory(location / kKeyFileName);
    if (problem == "missing") WriteLocationFile(scene, (scene.Work.Path() / "gone").string());
    if (problem == "program") WriteLocationFile(scene, scene.Program().string());
#ifndef _WIN32
    if (problem == "pipe") QCOMPARE(mkfifo((location / kKeyFileName).c_str(), 0600), 0);
#endif
    const std::string hugeKey = book.KeyBytes() + std::string(300, 'x');
    if (problem == "huge key") fixture::WriteBytes(scene.Program() / kKeyFileName, hugeKey);
    if (message == "<damaged key>")
        message = QStringLiteral(
                      "Error: The key file %1 is damaged: it is longer than a key file "
                      "can be. Nothing was copied.")
                      .arg(Q(scene.Program() / kKeyFileName));
    BackupForm* form = OpenBackupForm(scene, true);
    if (problem != "missing" && problem != "program") form->Dir1->SetPath(Q(location));
    const QString shownBefore = form->Label3->text();
    scene.Test.Boxes.Queue(MsgAnswer::Ok);

    QTest::mouseClick(form->Command1, Qt::LeftButton);

    QVERIFY(OnlyBoxes(scene.Test.Boxes, {message}, MsgIcon::Critical));
    QVERIFY(form->isVisible());
    QCOMPARE(form->Label3->text(), shownBefore);
    QCOMPARE(fixture::ReadBytes(scene.Program() / kKeyFileName),
             problem == "huge key" ? hugeKey : book.KeyBytes());
    if (problem == "no store") {
        // Neither file went: a key file alone would be half a backup.
        QVERIFY(!fs::exists(location / kKeyFileName));
        QVERIFY(!fs::exists(location / kStoreFileName));
        // Once the cause is gone, the same window finishes the job.
        book.WriteTo(scene.Program());
        scene.Test.Boxes.Queue(MsgAnswer::Ok);
        QTest::mouseClick(form->Command1, Qt::LeftButton);
        QCOMPARE(scene.Test.Boxes.Texts().last(), QStringLiteral("Backup Complete!"));
        QVERIFY(HoldsBook(location, book));
    } else if (problem == "huge key") {
        QVERIFY(!fs::exists(location / kKeyFileName));
        QVERIFY(!fs::exists(location / kStoreFileName));
    } else {
        QVERIFY(HoldsBook(scene.Program(), book));
    }
    if (problem == "blocked") QVERIFY(fs::is_empty(location / kKeyFileName));
}

#ifndef _WIN32
void BackupFormTest::restoreTakesNoOtherUsersBookFromASharedFolder() {
    if (geteuid() != 0) QSKIP("giving a file to another user needs root");
    Scene scene;
    const fs::path shared = scene.MakeFolder("Shared");
    BookB().WriteTo(shared);
    for (const char* name : {kKeyFileName, kStoreFileName})
        QCOMPARE(chown((shared / name).c_str(), 4242, 4242), 0);
    QCOMPARE(chmod(shared.c_str(), 01777), 0);
    BookA().WriteTo(scene.Program());
    BackupForm* form = OpenBackupForm(scene, false);
    form->Dir1->SetPath(Q(shared));
    scene.Test.Boxes.Queue(MsgAnswer::Ok);

    QTest::mouseClick(form->Command1, Qt::LeftButton);

    QVERIFY(OnlyBoxes(scene.Test.Boxes,
                      {QStringLiteral("lkdb0.lkd in %1 belongs to another user; copy the backup "
                                      "into a folder of your own first.")
                           .arg(Q(shared))},
                      MsgIcon::Critical));
    QVERIFY(form->isVisible());
    QVERIFY(HoldsBook(scene.Program(), BookA()));
}
#endif

void BackupFormTest::longLocationShrinksToFit() {
    Scene scene;
    const fs::path deep = scene.MakeFolder(
        "Family Password Book Backups/Copies Made In The Autumn Of This Year/"
        "The Second Copy Kept On The Shelf");
    BackupForm* form = OpenBackupForm(scene, true);
    const QFont asked = form->Label3->font();

    form->Dir1->SetPath(Q(deep));
    QCOMPARE(form->Label3->text(), QDir::toNativeSeparators(Q(deep)));
    QVERIFY(form->Label3->font().pointSizeF() < asked.pointSizeF());
    QVERIFY2(CutCaptions(form).isEmpty(), qPrintable(CutCaptions(form).join('\n')));

    // A short location again: the window's font again.
    form->Dir1->SetPath(Q(scene.Work.Path()));
    QCOMPARE(form->Label3->font(), asked);
}

void BackupFormTest::driveChange() {
#ifdef _WIN32
    QSKIP("mount points are Linux's: driveLetters() holds the Windows case");
#endif
    Scene scene;
    const fs::path mount = scene.MakeFolder("usb");
    scene.Test.DriveVolumes.Points = {"/", Q(mount)};
    const fs::path saved = scene.MakeFolder("safe");
    WriteLocationFile(scene, saved.string() + "\r\n");
    BackupForm* form = OpenBackupForm(scene, true);
    QCOMPARE(form->Label3->text(), Q(saved));

    form->Drive1->setFocus();
    QTest::keyClick(form->Drive1, Qt::Key_Down);

    QCOMPARE(form->Drive1->Drive(), Q(mount));
    QCOMPARE(form->Dir1->Path(), Q(mount));
    QCOMPARE(form->Label3->text(), Q(mount));
    QCOMPARE(scene.Test.Boxes.Boxes().size(), 0u);

    // The saved location is given up with the drive change.
    BookA().WriteTo(scene.Program());
    scene.Test.Boxes.Queue(MsgAnswer::Ok);
    QTest::mouseClick(form->Command1, Qt::LeftButton);
    QVERIFY(OnlyBoxes(scene.Test.Boxes, {"Backup Complete!"}, MsgIcon::Information));
    QVERIFY(HoldsBook(mount, BookA()));
    QVERIFY(Empty(saved));
}

void BackupFormTest::driveNotReadyFallsBackToRoot() {
#ifdef _WIN32
    QSKIP("mount points are Linux's: driveLetters() holds the Windows case");
#endif
    Scene scene;
    const QString gone = Q(scene.Work.Path() / "unplugged");
    scene.Test.DriveVolumes.Points = {"/", gone};
    WriteLocationFile(scene, "/mnt/safe\r\n");
    BackupForm* form = OpenBackupForm(scene, true);
    // The reset to the root happened before the message, through both lists.
    QCOMPARE(ChooseDriveNotReady(scene, form, gone), (QStringList{"/", "/", "/"}));
}

void BackupFormTest::driveLetters() {
#ifndef _WIN32
    QSKIP("drive letters are Windows'");
#else
    // Wine's two drives, and a letter no drive answers to, as a card reader
    // without a card.
    QString missing;
    for (char letter = 'Y'; letter > 'D' && missing.isEmpty(); --letter)
        if (!QDir(QStringLiteral("%1:/").arg(letter)).exists())
            missing = QStringLiteral("%1:").arg(letter);
    Scene scene;  // on C:, where Wine keeps its temporary folders
    scene.Test.DriveVolumes.Points = {"C:", "Z:", missing};
    BackupForm* form = OpenBackupForm(scene, true);
    QCOMPARE(form->Drive1->Drive(), QStringLiteral("C:"));
    QCOMPARE(form->Label3->text(), Q(scene.Work.Path()));

    form->Drive1->setFocus();
    QTest::keyClick(form->Drive1, Qt::Key_Down);
    QCOMPARE(form->Drive1->Drive(), QStringLiteral("Z:"));
    QCOMPARE(form->Dir1->Path(), QStringLiteral("Z:\\"));
    QCOMPARE(form->Label3->text(), QStringLiteral("Z:\\"));
    // The drive's root and its folders: Wine's Z: is the Linux tree.
    QCOMPARE(form->Dir1->topLevelItem(0)->text(0), QStringLiteral("Z:\\"));
    QTreeWidgetItem* tmp =
        form->Dir1->findItems("tmp", Qt::MatchExactly | Qt::MatchRecursive).value(0);
    QVERIFY(tmp);
    form->Dir1->setCurrentItem(tmp);
    QTest::keyClick(form->Dir1, Qt::Key_Return);
    QCOMPARE(form->Label3->text(), QStringLiteral("Z:\\tmp"));

    QCOMPARE(ChooseDriveNotReady(scene, form, missing), (QStringList{"C:", "C:\\", "C:\\"}));
#endif
}

void BackupFormTest::escapeClosesAsTheCloseBoxDoes() {
    Scene scene;
    const fs::path target = scene.MakeFolder("target");
    BackupForm* form = OpenBackupForm(scene, true);
    QVERIFY(QTest::qWaitForWindowActive(form));
    QVERIFY(form->Dir1->SetPath(Q(target)) == 0);
    form->Dir1->setFocus();
    QTest::keyClick(form->Dir1, Qt::Key_Escape);

    QVERIFY(form->IsUnloaded());
    QVERIFY(Empty(target));
    QCOMPARE(LocationFile(scene), std::string("-"));
    QVERIFY(scene.Test.Boxes.Boxes().empty());
}

QTEST_MAIN(BackupFormTest)
#include "backup_form_test.moc"
