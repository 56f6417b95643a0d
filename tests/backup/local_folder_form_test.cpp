#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScopeGuard>
#include <QTest>
#include <filesystem>
#include <tuple>

#include "backup/backup_form.h"
#include "backup/local_folder_form.h"
#include "store/record_line.h"
#include "tests/backup/backup_books.h"
#include "tests/backup/backup_scene.h"
#include "tests/support/caption_checks.h"
#include "ui/folder_list.h"

using namespace lockmere;
using namespace lockmere::testing;
namespace fs = std::filesystem;

namespace {

bool Listed(FolderList* list, const QString& name) {
    return !list->findItems(name, Qt::MatchExactly | Qt::MatchRecursive).isEmpty();
}

std::vector<std::string> Folders(const fs::path& folder) {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

}  // namespace

class LocalFolderFormTest : public QObject {
    Q_OBJECT

private slots:
    void layout();
    void enterDoesNotPressOk();
    void createsFolder_data();
    void createsFolder();
    void untickingAsksNothing();
    void refusesNameOutsideTheCodePage();
};

void LocalFolderFormTest::layout() {
    Scene scene;
    BackupForm* backup = OpenBackupForm(scene, true);
    scene.Test.WhenModal<LocalFolderForm>([&](LocalFolderForm* form) {
        // A failed check returns early; the window must close all the same.
        const auto closer = qScopeGuard([form] { form->close(); });
        QCOMPARE(form->windowTitle(), QStringLiteral(" Create Local Folder"));
        QCOMPARE(form->WidthTwips(), 5040);
        QCOMPARE(form->HeightTwips(), 1665);
        QCOMPARE(form->x(), TwipsToPixels((ScreenWidthTwips() - 5040) / 2));
        QCOMPARE(form->y(), TwipsToPixels((ScreenHeightTwips() - 1665) / 2 - 1000));
        QVERIFY(
            !(form->windowFlags() & (Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint)));
        QCOMPARE(form->Label1->text(), QStringLiteral("Enter Folder Name"));
        QVERIFY(PlacedAt(form->Label1, {240, 165, 2370, 255}));
        QVERIFY(PlacedAt(form->Text1, {195, 420, 3465, 480}));
        QVERIFY(PlacedAt(form->Command1, {3900, 465, 630, 375}));
        QVERIFY(FoundByName(
            form,
            {{"Label1", form->Label1}, {"Text1", form->Text1}, {"Command1", form->Command1}}));
        QCOMPARE(form->Text1->text(), QString());
        QCOMPARE(form->Text1->maxLength(), 32767);
        QCOMPARE(form->Text1->font().family(), QStringLiteral("MS Sans Serif"));
        QCOMPARE(form->Text1->font().pointSizeF(), 9.75);
        QCOMPARE(form->Text1->palette().color(QPalette::Base), QColor(255, 255, 192));
        // The label has no font of its own: the window's.
        QCOMPARE(form->Label1->font().family(), QStringLiteral("MS Sans Serif"));
        QCOMPARE(form->Label1->font().pointSizeF(), 8.25);
        QCOMPARE(form->Command1->text(), QStringLiteral("OK"));
        QVERIFY(form->Command1->font().bold());
        QVERIFY(!form->Command1->isDefault());
        QVERIFY(!form->Text1->accessibleName().isEmpty());
        QVERIFY2(CutCaptions(form).isEmpty(), qPrintable(CutCaptions(form).join('\n')));
    });
    backup->Check3->setChecked(true);
    QVERIFY(!scene.Test.Ctx.Windows.Find<LocalFolderForm>());
}

void LocalFolderFormTest::enterDoesNotPressOk() {
    Scene scene;
    BackupForm* backup = OpenBackupForm(scene, true);
    bool stillOpen = false;
    scene.Test.WhenModal<LocalFolderForm>([&](LocalFolderForm* form) {
        form->Text1->setFocus();
        QTest::keyClicks(form->Text1, "Fresh");
        QTest::keyClick(form->Text1, Qt::Key_Return);
        QTest::keyClick(form->Text1, Qt::Key_Enter);
        stillOpen = form->isVisible() && !form->IsUnloaded();
        // The button is reached with Tab and pressed with Enter.
        QTest::keyClick(form->Text1, Qt::Key_Tab);
        if (QApplication::focusWidget() != form->Command1) form->close();
        QTest::keyClick(form->Command1, Qt::Key_Return);
    });
    backup->Check3->setChecked(true);
    QVERIFY(stillOpen);
    QVERIFY(fs::is_directory(scene.Work.Path() / "Fresh"));
}

// clang-format off
void LocalFolderFormTest::createsFolder_data() {
    QTest::addColumn<QString>("typed");  // "<close>" closes the window with its close box
    QTest::addColumn<QString>("created");
    QTest::addColumn<QString>("message");
    QTest::addColumn<bool>("tickedAfter");

    QTest::newRow("plain name") << "Backups" << "Backups" << "" << false;
    QTest::newRow("spaces around and inside") << "  My Backups 2  " << "My Backups 2" << "" << false;
    QTest::newRow("existing name") << "Existing" << "" << "Error: the folder already exists!"
                                   << false;
    QTest::newRow("existing name with spaces around") << " Existing " << ""
                                                      << "Error: the folder already exists!"
                                                      << false;
    QTest::newRow("leading separator") << "/Backups" << "Backups" << "" << false;
    QTest::newRow("missing intermediate folder") << "nowhere/deeper" << "" << "76" << false;
    QTest::newRow("out of the folder") << "../Backups" << "" << "76" << false;
    // By this system's rules: only Windows separates at "\\" and refuses these names.
    const bool windows = std::filesystem::path::preferred_separator == '\\';
    for (const auto& [label, typed, name, code] :
         {std::tuple{"backslash", "a\\b", "a\\b", "76"}, {"colon", "a:b", "a:b", "52"},
          {"device name", " con.txt ", "con.txt", "52"}, {"trailing dot", "name.", "name.", "52"}})
        QTest::newRow(label) << QString(typed) << QString(windows ? "" : name)
                             << QString(windows ? code : "") << false;
    QTest::newRow("empty name") << "" << "" << "" << true;
    QTest::newRow("spaces only") << "   " << "" << "" << true;
    QTest::newRow("closed with the close box") << "<close>" << "" << "" << true;
}
// clang-format on

void LocalFolderFormTest::createsFolder() {
    QFETCH(QString, typed);
    QFETCH(QString, created);
    QFETCH(QString, message);
    QFETCH(bool, tickedAfter);
    Scene scene;
    const fs::path start = scene.MakeFolder("Start");
    fs::create_directory(start / "Existing");
    QDir::setCurrent(Q(start));
    const fs::path saved = scene.MakeFolder("Saved");
    fixture::WriteBytes(scene.Program() / kBackupLocationFileName, saved.string() + "\r\n");
    BackupForm* backup = OpenBackupForm(scene, true);
    const QString shown = backup->Label3->text();
    QCOMPARE(shown, Q(saved));
    bool untickedAndListedFirst = false;
    scene.Test.Boxes.OnShow = [&](const RecordedBox&) {
        untickedAndListedFirst = !backup->Check3->isChecked();
    };
    if (!message.isEmpty()) scene.Test.Boxes.Queue(MsgAnswer::Ok);

    scene.Test.WhenModal<LocalFolderForm>([&](LocalFolderForm* form) {
        if (typed == "<close>") {
            QTest::keyClicks(form->Text1, "Unwanted");
            form->close();
            return;
        }
        QTest::keyClicks(form->Text1, typed);
        QTest::mouseClick(form->Command1, Qt::LeftButton);
    });
    backup->Check3->setFocus();
    QTest::keyClick(backup->Check3, Qt::Key_Space);

    QVERIFY(!scene.Test.Ctx.Windows.Find<LocalFolderForm>());
    QCOMPARE(backup->Check3->isChecked(), tickedAfter);
    std::vector<std::string> expected{"Existing"};
    if (!created.isEmpty()) expected.push_back(created.toStdString());
    std::sort(expected.begin(), expected.end());
    QCOMPARE(Folders(start), expected);
    if (!created.isEmpty()) QVERIFY(Listed(backup->Dir1, created));
    if (message.isEmpty()) {
        QCOMPARE(scene.Test.Boxes.Boxes().size(), 0u);
    } else {
        QVERIFY(OnlyBoxes(scene.Test.Boxes, {message}, MsgIcon::Critical));
        QVERIFY(untickedAndListedFirst);
    }
    // Creating a folder chooses nothing: the location stays as it was.
    QCOMPARE(backup->Dir1->Path(), Q(start));
    QCOMPARE(backup->Label3->text(), shown);
    // The copy still goes to the saved location.
    BookA().WriteTo(scene.Program());
    scene.Test.Boxes.Queue(MsgAnswer::Ok);
    QTest::mouseClick(backup->Command1, Qt::LeftButton);
    QCOMPARE(scene.Test.Boxes.Texts().last(), QStringLiteral("Backup Complete!"));
    QCOMPARE(fixture::ReadBytes(saved / kKeyFileName), BookA().KeyBytes());
}

void LocalFolderFormTest::untickingAsksNothing() {
    Scene scene;
    BackupForm* backup = OpenBackupForm(scene, true);
    scene.Test.WhenModal<LocalFolderForm>([](LocalFolderForm* form) { form->close(); });
    backup->Check3->setChecked(true);
    QVERIFY(backup->Check3->isChecked());
    // A second tick after unticking asks again, with an empty box.
    backup->Check3->setChecked(false);
    QString textAtOpen = "not asked";
    scene.Test.WhenModal<LocalFolderForm>([&](LocalFolderForm* form) {
        textAtOpen = form->Text1->text();
        form->close();
    });
    backup->Check3->setChecked(true);
    QCOMPARE(textAtOpen, QString());
    QCOMPARE(scene.Test.Boxes.Boxes().size(), 0u);
}

void LocalFolderFormTest::refusesNameOutsideTheCodePage() {
    Scene scene;
    BackupForm* backup = OpenBackupForm(scene, true);
    bool stayedOpen = false;
    scene.Test.Boxes.Queue(MsgAnswer::Ok);
    scene.Test.WhenModal<LocalFolderForm>([&](LocalFolderForm* form) {
        form->Text1->setText(QString::fromUtf8("Ελλάδα"));
        QTest::mouseClick(form->Command1, Qt::LeftButton);
        stayedOpen = form->isVisible();
        form->close();
    });
    backup->Check3->setChecked(true);

    QVERIFY(stayedOpen);
    QVERIFY(OnlyBoxes(scene.Test.Boxes,
                      {"Error: The folder name holds a character that cannot be used!"},
                      MsgIcon::Critical));
    QVERIFY(fs::is_empty(scene.Work.Path()));
    QVERIFY(backup->Check3->isChecked());
}

QTEST_MAIN(LocalFolderFormTest)
#include "local_folder_form_test.moc"
