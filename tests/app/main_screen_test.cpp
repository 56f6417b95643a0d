#include <QAccessible>
#include <QAction>
#include <QClipboard>
#include <QGuiApplication>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPointer>
#include <QPushButton>
#include <QScreen>
#include <QStyle>
#include <QTest>
#include <filesystem>
#include <map>
#include <memory>
#include <optional>

#include "app/main_screen.h"
#include "records/big_char.h"
#include "records/edit_record.h"
#include "store/file_access.h"
#include "store/record_line.h"
#include "tests/support/blocked_write.h"
#include "tests/support/book_fixture.h"
#include "tests/support/caption_checks.h"
#include "tests/support/list_rows.h"
#include "tests/support/owner_only.h"
#include "tests/support/test_context.h"
#include "ui/ansi_text.h"
#include "ui/controls.h"

using namespace lockmere;
using namespace lockmere::testing;
namespace fs = std::filesystem;

namespace {

const std::string kUser = "master";
const std::string kPassword = "Secret pw";

// Stored out of order, with two records equal but for the case of a letter
// and one name that starts with a byte above 127 (0x8A, a capital S with
// caron).
std::vector<fixture::Fields> SampleRecords() {
    return {{"delta", "https://d.example", "dave", "d-pw"},
            {"Bravo", "https://b.example", "bob", "B-pw"},
            {"\x8aibenik", "https://s.example", "sara", "s-pw"},
            {"alpha", "https://a.example", "al", "a-pw"},
            {"bravo", "https://b.example", "bob", "B-pw"}};
}

std::string Line(const fixture::Fields& f) {
    return f[0] + '\t' + f[1] + '\t' + f[2] + '\t' + f[3];
}

fixture::Fields Split(const std::string& line) {
    fixture::Fields f;
    std::size_t field = 0;
    for (char c : line) {
        if (c == '\t' && field < 3)
            ++field;
        else
            f[field] += c;
    }
    return f;
}

// The book's lines as the list shows them: case-insensitive order, lines
// equal but for case in the order they were stored.
std::vector<std::string> SortedLines() {
    const auto b = SampleRecords();
    return {Line(b[3]), Line(b[1]), Line(b[4]), Line(b[0]), Line(b[2])};
}

const QString kTitle = QStringLiteral("LKMR - Message Center");

const QString kNotMatched = QStringLiteral("ERROR: Password Not Matched!");
const QString kSaved = QStringLiteral(
    "The database has been saved!\rIt is now OK to add a new entry into\rthe database!");
const QString kCloseQuestion = QStringLiteral(
    "WARNING: You have changed the content of the database!\r"
    "If you exit the program without saving the database all\r"
    "edits will be lost!\r"
    "\r"
    "Do you want to exit the program?");
const QString kAbout = QStringLiteral(
    "Lockmere, Version 3.4\nBuild Date: 20220224\n"
    "Published by the Lockmere developers. Free to use and share.");
const QString kDamaged = QStringLiteral(
    "ERROR: The key file lkdb0.lkd is damaged: it holds no complete master account.\r"
    "Restore the data files from a backup, then start Lockmere again.");
const QString kNotSaved = QStringLiteral("ERROR: The database has not been saved!\r");
const QString kLeftAsItWas = QStringLiteral("\rThe database on disk has been left as it was.");

class Companion : public Window {
public:
    using Window::Window;
};

QWidget* Control(MainScreen* s, const QByteArray& name) {
    const std::map<QByteArray, QWidget*> controls{
        {"Label1", s->Label1},     {"Label2", s->Label2},     {"Label3", s->Label3},
        {"Label4", s->Label4},     {"Text1", s->Text1},       {"Text2", s->Text2},
        {"Command1", s->Command1}, {"Command2", s->Command2}, {"List1", s->List1}};
    return controls.at(name);
}

QString Caption(QWidget* control) {
    if (auto* label = qobject_cast<QLabel*>(control)) return label->text();
    if (auto* button = qobject_cast<QPushButton*>(control)) return button->text();
    return {};
}

// "File/&Logout=on" for every item, in menu order.
QStringList MenuStates(MainScreen* s) {
    QStringList states;
    for (QAction* menuAction : s->MenuBar()->actions())
        for (QAction* item : menuAction->menu()->actions())
            states << menuAction->text() + '/' + item->text() +
                          (item->isEnabled() ? "=on" : "=off");
    return states;
}

}  // namespace

class MainScreenTest : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void startLayout_data();
    void startLayout();
    void windowAtStart();
    void menusAtStart();
    void focusOrder();
    void login_data();
    void login();
    void enterLogsInOnlyWhileValidateIsEnabled();
    void listOrderAndBytes();
    void toggle_data();
    void toggle();
    void logout_data();
    void logout();
    void close_data();
    void close();
    void save_data();
    void save();
    void saveRefused_data();
    void saveRefused();
    void damagedKeyFile_data();
    void damagedKeyFile();
    void credentialsDecipherFailure();
    void unreadableKeyFile();
    void about();
    void userIdDiscardsBar();
    void currentLineStaysChosen_data();
    void currentLineStaysChosen();
    void blankClickKeepsTheChosenLine_data();
    void blankClickKeepsTheChosenLine();
    void emptiedPasswordBoxKeepsNoUndo_data();
    void emptiedPasswordBoxKeepsNoUndo();
    void logoutEmptiesTheClipboardOfWhatItPutThere_data();
    void logoutEmptiesTheClipboardOfWhatItPutThere();

private:
    void WriteBook(const std::string& key, const std::string& store) {
        fixture::WriteBytes(t->File("lkdb0.lkd"), key);
        fixture::WriteBytes(t->File("lkdb1.lkd"), store);
    }
    void WriteBook() {
        WriteBook(fixture::KeyFileBytes(fixture::Collected(), kUser, kPassword),
                  fixture::StoreBytes(SampleRecords(), Key()));
    }
    static std::string Key() { return fixture::KeyOf(fixture::Collected()); }
    std::string StoreOnDisk() const { return fixture::ReadBytes(t->File("lkdb1.lkd")); }

    MainScreen* Start() {
        screen = t->Ctx.Windows.Open<MainScreen>(t->Ctx);
        screen->ShowModeless();
        QApplication::setActiveWindow(screen);
        if (!QTest::qWaitForWindowActive(screen)) qWarning("main window not active");
        return screen;
    }
    void LogIn(const QString& password) {
        screen->Text2->setText(password);
        QTest::mouseClick(screen->Command1, Qt::LeftButton);
    }
    std::vector<std::string> ListLines() const {
        std::vector<std::string> lines;
        // What the list shows, as bytes.
        for (int i = 0; i < RowCount(screen->List1); ++i)
            lines.push_back(ToAnsi(RowText(screen->List1, i)).value_or("(not Windows-1252)"));
        return lines;
    }

    std::unique_ptr<TestContext> t;
    QPointer<MainScreen> screen;
};

void MainScreenTest::init() { t = std::make_unique<TestContext>(); }

void MainScreenTest::cleanup() {
    QCOMPARE(t->Boxes.Unexpected(), 0);
    t.reset();
}

// clang-format off
void MainScreenTest::startLayout_data() {
    QTest::addColumn<QByteArray>("name");
    QTest::addColumn<QRect>("twips");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QString>("accessibleName");
    QTest::addColumn<bool>("entryBox");

    QTest::newRow("Label1") << QByteArray("Label1") << QRect(105, 105, 5655, 255)
                            << "Enter Your User ID And Master Password. Then click Validate."
                            << "Enter Your User ID And Master Password. Then click Validate."
                            << false;
    QTest::newRow("Label3") << QByteArray("Label3") << QRect(120, 540, 810, 255) << "User ID"
                            << "User ID" << false;
    QTest::newRow("Text1") << QByteArray("Text1") << QRect(915, 480, 2115, 375) << ""
                           << "User ID" << true;
    QTest::newRow("Label2") << QByteArray("Label2") << QRect(3285, 540, 975, 255) << "Password"
                            << "Password" << false;
    QTest::newRow("Text2") << QByteArray("Text2") << QRect(4335, 480, 1395, 375) << ""
                           << "Password" << true;
    QTest::newRow("Command1") << QByteArray("Command1") << QRect(6120, 510, 855, 375)
                              << "Validate" << "Validate" << false;
    QTest::newRow("Command2") << QByteArray("Command2") << QRect(5775, 30, 1200, 375)
                              << "Hide Data" << "Hide Data" << false;
    QTest::newRow("Label4") << QByteArray("Label4") << QRect(210, 1170, 2115, 240)
                            << "Account Name or Service" << "Account Name or Service" << false;
    QTest::newRow("List1") << QByteArray("List1") << QRect(150, 1470, 6855, 2220) << ""
                           << "Account Name or Service" << true;
}
// clang-format on

void MainScreenTest::startLayout() {
    QFETCH(QByteArray, name);
    QFETCH(QRect, twips);
    QFETCH(QString, caption);
    QFETCH(QString, accessibleName);
    QFETCH(bool, entryBox);
    WriteBook();
    Start();

    QWidget* control = Control(screen, name);
    QCOMPARE(screen->findChild<QWidget*>(QString::fromLatin1(name)), control);  // by its name
    QVERIFY(PlacedAt(control, twips));
    QCOMPARE(Caption(control), caption);
    QCOMPARE(control->accessibleName(), accessibleName);
    QVERIFY(control->isVisible());
    // Buttons have no font of their own: the window's.
    const double points = qobject_cast<QPushButton*>(control) ? 8.25 : 9.75;
    QCOMPARE(control->font().family(), QStringLiteral("MS Sans Serif"));
    if (caption.isEmpty())
        QCOMPARE(control->font().pointSizeF(), points);
    else
        QVERIFY(SizedToFit(control, points));
    if (entryBox) QCOMPARE(control->palette().color(QPalette::Base), QColor(255, 255, 192));
    if (auto* box = qobject_cast<QLineEdit*>(control)) {
        QCOMPARE(box->echoMode(), QLineEdit::Password);
        QCOMPARE(box->style()->styleHint(QStyle::SH_LineEdit_PasswordCharacter, nullptr, box),
                 int('#'));
        QCOMPARE(box->maxLength(), 32767);  // Qt's largest: no limit of our own
    }
}

void MainScreenTest::windowAtStart() {
    WriteBook();
    Start();
    const QSize screenSize = QGuiApplication::primaryScreen()->geometry().size();
    QCOMPARE(screen->windowTitle(), QStringLiteral(" Lockmere"));
    // The inside: the outer size less the frame it was made for.
    QCOMPARE(screen->size(), QSize(TwipsToPixels(7440) - kFrameWidthPixels,
                                   TwipsToPixels(4695) - kFrameHeightPixels));
    QCOMPARE(screen->pos(), QPoint(TwipsToPixels((screenSize.width() * 15 - 7440) / 2),
                                   TwipsToPixels((screenSize.height() * 15 - 4695) / 2)));
    QVERIFY(!(screen->windowFlags() & Qt::WindowMaximizeButtonHint));
    QVERIFY(screen->windowFlags() & Qt::WindowMinimizeButtonHint);
    QVERIFY(screen->windowFlags() & Qt::WindowCloseButtonHint);
    QCOMPARE(RowCount(screen->List1), 0);
    QVERIFY(screen->Command1->isEnabled());
    QVERIFY(!screen->List1->isHidden());
    // Tests and accessibility tools find each control by its name.
    QCOMPARE(screen->findChild<QPushButton*>(QStringLiteral("Command1")), screen->Command1);
    QCOMPARE(screen->findChild<QAction*>(QStringLiteral("AddNewEntry")), screen->AddNewEntry);
    QCOMPARE(t->Ctx.EncryptionKey, Key());
    QCOMPARE(t->Boxes.Boxes().size(), std::size_t(0));
    QVERIFY2(CutCaptions(screen).isEmpty(), qPrintable(CutCaptions(screen).join('\n')));
}

void MainScreenTest::menusAtStart() {
    WriteBook();
    Start();
    QCOMPARE(MenuStates(screen), QStringList({
                                     "&File/&Backup Database=on",
                                     "&File/&Restore Databases=on",
                                     "&File/&Logout=on",
                                     "&File/&Save Database=off",
                                     "&File/&Exit=on",
                                     "&Edit/&Add New Password Entry=off",
                                     "&Edit/&Delete Selected Record=off",
                                     "&Edit/&Edit Selected Record=off",
                                     "&Help/&About...=on",
                                 }));
    QCOMPARE(screen->FileMenu0->title(), QStringLiteral("&File"));
    QCOMPARE(screen->EditMenu0->title(), QStringLiteral("&Edit"));
    QCOMPARE(screen->HelpMenu0->title(), QStringLiteral("&Help"));
    // Each menu and item carries its name, in the order shown.
    QStringList named;
    for (QAction* menuAction : screen->MenuBar()->actions()) {
        named << menuAction->menu()->objectName() + ':';
        for (QAction* item : menuAction->menu()->actions()) named << item->objectName();
    }
    QCOMPARE(named, QStringList({"FileMenu0:", "BackupDB", "RestoreDB", "LogoutApp", "SaveData",
                                 "ExitProgram", "EditMenu0:", "AddNewEntry", "DeleteRecord",
                                 "EditData", "HelpMenu0:", "AboutLKDB"}));

    // What a screen reader hears: the captions without their accelerator marks.
    QStringList heard;
    for (QMenu* menu : {screen->FileMenu0, screen->EditMenu0, screen->HelpMenu0}) {
        QAccessibleInterface* menuInterface = QAccessible::queryAccessibleInterface(menu);
        QVERIFY(menuInterface);
        heard << menuInterface->text(QAccessible::Name) + ':';
        for (int i = 0; i < menuInterface->childCount(); ++i)
            heard << menuInterface->child(i)->text(QAccessible::Name);
    }
    QCOMPARE(heard,
             QStringList({"File:", "Backup Database", "Restore Databases", "Logout",
                          "Save Database", "Exit", "Edit:", "Add New Password Entry",
                          "Delete Selected Record", "Edit Selected Record", "Help:", "About..."}));
}

void MainScreenTest::focusOrder() {
    WriteBook();
    Start();
    QCOMPARE(QApplication::focusWidget(), screen->Text1);
    const QList<QWidget*> order{screen->Text2, screen->Command1, screen->List1, screen->Command2,
                                screen->Text1};
    for (QWidget* next : order) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), next);
    }
}

// clang-format off
void MainScreenTest::login_data() {
    QTest::addColumn<QString>("userId");
    QTest::addColumn<QString>("password");
    QTest::addColumn<bool>("matches");
    QTest::newRow("right") << "master" << "Secret pw" << true;
    QTest::newRow("surrounding spaces") << "master" << "  Secret pw  " << true;
    QTest::newRow("user ID not read") << "" << "Secret pw" << true;
    QTest::newRow("wrong") << "master" << "Secret" << false;
    QTest::newRow("wrong case") << "master" << "secret pw" << false;
    QTest::newRow("inner space missing") << "master" << "Secretpw" << false;
    QTest::newRow("user name as password") << "master" << "master" << false;
    QTest::newRow("empty") << "master" << "" << false;
}
// clang-format on

void MainScreenTest::login() {
    QFETCH(QString, userId);
    QFETCH(QString, password);
    QFETCH(bool, matches);
    WriteBook();
    Start();
    const std::string storeBefore = StoreOnDisk();
    screen->Text1->setText(userId);
    if (!matches) t->Boxes.Queue(MsgAnswer::Ok);
    LogIn(password);

    QCOMPARE(screen->Text1->text(), userId);
    QCOMPARE(StoreOnDisk(), storeBefore);
    if (matches) {
        QCOMPARE(t->Boxes.Boxes().size(), std::size_t(0));
        QCOMPARE(ListLines(), SortedLines());
        QVERIFY(!screen->Command1->isEnabled());
        QCOMPARE(screen->height(), TwipsToPixels(4875) - kFrameHeightPixels);
        QCOMPARE(screen->width(), TwipsToPixels(7440) - kFrameWidthPixels);
        QCOMPARE(screen->Command2->text(), QStringLiteral("Hide Data"));
        QVERIFY(!screen->List1->isHidden());
        QCOMPARE(MenuStates(screen), QStringList({
                                         "&File/&Backup Database=on",
                                         "&File/&Restore Databases=on",
                                         "&File/&Logout=on",
                                         "&File/&Save Database=off",
                                         "&File/&Exit=on",
                                         "&Edit/&Add New Password Entry=on",
                                         "&Edit/&Delete Selected Record=on",
                                         "&Edit/&Edit Selected Record=on",
                                         "&Help/&About...=on",
                                     }));
    } else {
        QVERIFY(OneBoxShown(t->Boxes, kNotMatched, kTitle, MsgButtons::Ok, MsgIcon::Question));
        QCOMPARE(RowCount(screen->List1), 0);
        QVERIFY(screen->Command1->isEnabled());
        QCOMPARE(screen->Text2->text(), QString());
        QCOMPARE(screen->height(), TwipsToPixels(4695) - kFrameHeightPixels);
        QCOMPARE(screen->Command2->text(), QStringLiteral("Hide Data"));
        QVERIFY(!screen->AddNewEntry->isEnabled());
        QVERIFY(!screen->EditData->isEnabled());
    }
}

void MainScreenTest::enterLogsInOnlyWhileValidateIsEnabled() {
    WriteBook();
    Start();
    // Enter in a login box runs the login while Validate is enabled.
    screen->Text1->setFocus();
    t->Boxes.Queue(MsgAnswer::Ok);
    QTest::keyClick(screen->Text1, Qt::Key_Return);
    QCOMPARE(t->Boxes.Texts(), QStringList{kNotMatched});
    t->Boxes.Clear();
    // The list too: it opens nothing while Validate is enabled.
    screen->List1->setFocus();
    t->Boxes.Queue(MsgAnswer::Ok);
    QTest::keyClick(screen->List1, Qt::Key_Return);
    QCOMPARE(t->Boxes.Texts(), QStringList{kNotMatched});
    QCOMPARE(screen->height(), TwipsToPixels(4695) - kFrameHeightPixels);
    t->Boxes.Clear();

    screen->Text2->setFocus();
    QTest::keyClicks(screen->Text2, QString::fromStdString(kPassword));
    QTest::keyClick(screen->Text2, Qt::Key_Enter, Qt::KeypadModifier);
    QCOMPARE(RowCount(screen->List1), 5);
    QVERIFY(!screen->Command1->isEnabled());

    // Logged in: Enter in a login box no longer logs in again.
    QTest::keyClick(screen->Text2, Qt::Key_Return);
    QCOMPARE(RowCount(screen->List1), 5);
    QCOMPARE(t->Boxes.Boxes().size(), std::size_t(0));

    // Enter on a focused button presses it, the default button disabled or not.
    screen->Command2->setFocus();
    QTest::keyClick(screen->Command2, Qt::Key_Return);
    QCOMPARE(screen->Command2->text(), QStringLiteral("Display Data"));
    QTest::keyClick(screen->Command2, Qt::Key_Enter, Qt::KeypadModifier);
    QCOMPARE(screen->Command2->text(), QStringLiteral("Hide Data"));
    QCOMPARE(RowCount(screen->List1), 5);
}

void MainScreenTest::listOrderAndBytes() {
    WriteBook();
    Start();
    LogIn(QString::fromStdString(kPassword));
    QCOMPARE(ListLines(), SortedLines());
    // The byte 0x8A shows as the character it stands for.
    QCOMPARE(RowText(screen->List1, 4).left(7), QString::fromUtf8("\xc5\xa0ibenik"));

    // Each added record shows at its place in the list.
    for (const char* line :
         {"beta\t\t\t", "ZULU\t\t\t", "\t\t\t", "BRAVO\thttps://b.example\tbob\tB-pw"})
        QCOMPARE(t->Ctx.RecordBook.Add(Key(), SplitRecordLine(line)).Outcome, StoreWrite::Written);
    std::vector<std::string> expected = SortedLines();
    expected.insert(expected.begin(), "\t\t\t");
    expected.insert(expected.begin() + 2, "beta\t\t\t");
    // After the lines equal to it but for case, as it came last.
    expected.insert(expected.begin() + 5, "BRAVO\thttps://b.example\tbob\tB-pw");
    expected.insert(expected.begin() + 7, "ZULU\t\t\t");  // before the letter above 127
    QCOMPARE(ListLines(), expected);
}

void MainScreenTest::toggle_data() {
    QTest::addColumn<bool>("loggedIn");
    QTest::newRow("logged out") << false;
    QTest::newRow("logged in") << true;
}

void MainScreenTest::toggle() {
    QFETCH(bool, loggedIn);
    WriteBook();
    Start();
    if (loggedIn) LogIn(QString::fromStdString(kPassword));
    const int lines = RowCount(screen->List1);
    const int firstHeight = loggedIn ? 4875 : 4695;
    QCOMPARE(screen->height(), TwipsToPixels(firstHeight) - kFrameHeightPixels);

    struct Step {
        int height;
        const char* caption;
        bool hidden;
    };
    for (const Step& step : {Step{1900, "Display Data", true}, Step{4875, "Hide Data", false},
                             Step{1900, "Display Data", true}}) {
        QTest::mouseClick(screen->Command2, Qt::LeftButton);
        QCOMPARE(screen->height(), TwipsToPixels(step.height) - kFrameHeightPixels);
        QCOMPARE(screen->width(), TwipsToPixels(7440) - kFrameWidthPixels);
        QCOMPARE(screen->Command2->text(), QString::fromLatin1(step.caption));
        QCOMPARE(screen->Command2->accessibleName(), QString::fromLatin1(step.caption));
        // Collapsed, the list area is hidden, not just out of view.
        QCOMPARE(screen->Label4->isVisible(), !step.hidden);
        QCOMPARE(screen->List1->isVisible(), !step.hidden);
        QVERIFY2(CutCaptions(screen).isEmpty(), qPrintable(CutCaptions(screen).join('\n')));
        QCOMPARE(screen->List1->isHidden(), step.hidden);
        QCOMPARE(screen->Command1->isEnabled(), !loggedIn);
        QCOMPARE(RowCount(screen->List1), lines);
    }
}

void MainScreenTest::logout_data() {
    QTest::addColumn<bool>("loggedIn");
    QTest::addColumn<bool>("collapsedFirst");
    QTest::addColumn<int>("height");
    QTest::addColumn<QString>("caption");
    QTest::newRow("logged in, list shown") << true << false << 1900 << "Display Data";
    QTest::newRow("logged in, collapsed") << true << true << 4875 << "Hide Data";
    QTest::newRow("before login") << false << false << 1900 << "Display Data";
}

void MainScreenTest::logout() {
    QFETCH(bool, loggedIn);
    QFETCH(bool, collapsedFirst);
    QFETCH(int, height);
    QFETCH(QString, caption);
    WriteBook();
    Start();
    const std::string storeBefore = StoreOnDisk();
    screen->Text1->setText(QStringLiteral("someone"));
    if (loggedIn) {
        LogIn(QString::fromStdString(kPassword));
        // An unsaved change, as an edit leaves it before its save.
        t->Ctx.RecordBook.Replace(0, SplitRecordLine("unsaved\t\t\t"));
        screen->SaveData->setEnabled(true);
    }
    if (collapsedFirst) QTest::mouseClick(screen->Command2, Qt::LeftButton);
    screen->Text2->setText(QStringLiteral("typed"));

    screen->LogoutApp->trigger();
    QCOMPARE(RowCount(screen->List1), 0);
    QCOMPARE(screen->Text2->text(), QString());
    QCOMPARE(screen->Text1->text(), QStringLiteral("someone"));
    QCOMPARE(screen->height(), TwipsToPixels(height) - kFrameHeightPixels);
    QCOMPARE(screen->Command2->text(), caption);
    QVERIFY(screen->Command1->isEnabled());
    QCOMPARE(MenuStates(screen), QStringList({
                                     "&File/&Backup Database=on",
                                     "&File/&Restore Databases=on",
                                     "&File/&Logout=off",
                                     "&File/&Save Database=off",
                                     "&File/&Exit=on",
                                     "&Edit/&Add New Password Entry=off",
                                     "&Edit/&Delete Selected Record=off",
                                     "&Edit/&Edit Selected Record=off",
                                     "&Help/&About...=on",
                                 }));
    QCOMPARE(t->Ctx.RecordBook.Changed(), loggedIn);
    QCOMPARE(t->Ctx.EncryptionKey, Key());
    QCOMPARE(StoreOnDisk(), storeBefore);
    QCOMPARE(t->Boxes.Boxes().size(), std::size_t(0));

    // Logging in again reloads the store: the unsaved line is gone.
    LogIn(QString::fromStdString(kPassword));
    QCOMPARE(ListLines(), SortedLines());
    QCOMPARE(screen->height(), TwipsToPixels(4875) - kFrameHeightPixels);
    QCOMPARE(t->Ctx.RecordBook.Changed(), loggedIn);
}

void MainScreenTest::close_data() {
    QTest::addColumn<bool>("changed");
    QTest::addColumn<bool>("throughExit");
    QTest::addColumn<int>("answer");  // -1: no question expected
    QTest::newRow("unchanged, close box") << false << false << -1;
    QTest::newRow("unchanged, Exit") << false << true << -1;
    QTest::newRow("changed, Yes") << true << false << int(MsgAnswer::Yes);
    QTest::newRow("changed, Exit, Yes") << true << true << int(MsgAnswer::Yes);
    QTest::newRow("changed, No") << true << false << int(MsgAnswer::No);
    QTest::newRow("changed, Exit, No") << true << true << int(MsgAnswer::No);
}

void MainScreenTest::close() {
    QFETCH(bool, changed);
    QFETCH(bool, throughExit);
    QFETCH(int, answer);
    WriteBook();
    Start();
    LogIn(QString::fromStdString(kPassword));
    if (changed) t->Ctx.RecordBook.Remove(0);  // as a delete leaves it before its save
    const std::string storeBefore = StoreOnDisk();
    QPointer<Companion> companion = t->Ctx.Windows.Open<Companion>(t->Ctx);
    companion->ShowModeless();
    if (answer >= 0) t->Boxes.Queue(MsgAnswer(answer));

    if (throughExit)
        screen->ExitProgram->trigger();
    else
        screen->QWidget::close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);

    QCOMPARE(StoreOnDisk(), storeBefore);
    if (answer < 0) {
        QCOMPARE(t->Boxes.Boxes().size(), std::size_t(0));
        QVERIFY(!screen);
        QVERIFY(companion && companion->isVisible());  // stays until closed itself
        return;
    }
    QVERIFY(OneBoxShown(t->Boxes, kCloseQuestion, kTitle, MsgButtons::YesNo, MsgIcon::None));
    if (MsgAnswer(answer) == MsgAnswer::Yes) {
        QVERIFY(!screen);
        QVERIFY(!companion);
        return;
    }
    QVERIFY(screen && screen->isVisible());
    QVERIFY(companion && companion->isVisible());
    QCOMPARE(RowCount(screen->List1), 4);
    QVERIFY(!screen->Command1->isEnabled());
    QVERIFY(t->Ctx.RecordBook.Changed());
    QCOMPARE(screen->height(), TwipsToPixels(4875) - kFrameHeightPixels);
}

void MainScreenTest::save_data() {
    QTest::addColumn<int>("change");
    QTest::newRow("line added") << 0;
    QTest::newRow("line removed") << 1;
    QTest::newRow("every line removed") << 2;
    QTest::newRow("nothing changed since the edit") << 3;
}

void MainScreenTest::save() {
    QFETCH(int, change);
    WriteBook();
    Start();
    LogIn(QString::fromStdString(kPassword));
    // An applied edit whose own save the system refused: Add disabled,
    // Save enabled.
    {
        const test::BlockedWrite blocked(t->File("lkdb1.lkd"));
        SetCurrentRow(screen->List1, 0);
        t->WhenModal<EditRecord>([](EditRecord* w) {
            w->Text3->setText(QStringLiteral("edited"));
            QTest::mouseClick(w->Command1, Qt::LeftButton);
        });
        t->Boxes.Queue(MsgAnswer::Ok);
        screen->EditData->trigger();
    }
    QCOMPARE(t->Boxes.Boxes().size(), std::size_t(1));
    QVERIFY(t->Boxes.Texts().first().startsWith(kNotSaved));
    QVERIFY(!screen->AddNewEntry->isEnabled());
    QVERIFY(screen->SaveData->isEnabled());
    t->Boxes.Clear();
    switch (change) {
    case 0:
        QCOMPARE(t->Ctx.RecordBook.Add(Key(), SplitRecordLine("echo\thttps://e.example\teve\te-pw"))
                     .Outcome,
                 StoreWrite::Written);
        break;
    case 1:
        t->Ctx.RecordBook.Remove(1);
        break;
    case 2:
        while (!t->Ctx.RecordBook.Records().empty()) t->Ctx.RecordBook.Remove(0);
        break;
    default:
        break;
    }
    t->Boxes.Queue(MsgAnswer::Ok);

    screen->SaveData->trigger();

    QVERIFY(OneBoxShown(t->Boxes, kSaved, kTitle, MsgButtons::Ok, MsgIcon::Question));
    QVERIFY(!t->Ctx.RecordBook.Changed());
    QVERIFY(screen->AddNewEntry->isEnabled());
    QVERIFY(screen->SaveData->isEnabled());

    // The file holds the list, in list order, as one enciphered run.
    std::vector<fixture::Fields> expected;
    for (const std::string& line : ListLines()) expected.push_back(Split(line));
    const std::string bytes = StoreOnDisk();
    QCOMPARE(bytes, fixture::StoreBytes(expected, Key()));
    QCOMPARE(fixture::DecodeStore(bytes, Key()), expected);
    if (change == 2) QCOMPARE(bytes.size(), std::size_t(0));
    QVERIFY(test::OwnerOnly(t->File("lkdb1.lkd")));

    // What was written loads back the same.
    screen->LogoutApp->trigger();
    const std::vector<std::string> saved = [&] {
        std::vector<std::string> lines;
        for (const auto& f : expected) lines.push_back(Line(f));
        return lines;
    }();
    LogIn(QString::fromStdString(kPassword));
    QCOMPARE(ListLines(), saved);
}

void MainScreenTest::saveRefused_data() {
    QTest::addColumn<int>("cause");
    QTest::addColumn<QString>("message");
    const QString incomplete = kNotSaved +
                               "The list does not hold the whole database: it could not be read "
                               "completely at login, or the "
                               "data files have been restored since. Log in again to reload it." +
                               kLeftAsItWas;
    QTest::newRow("after a failed decipher") << 0 << incomplete;
    QTest::newRow("after logout") << 1 << incomplete;
    QTest::newRow("too long")
        << 2
        << kNotSaved +
               "It would be longer than 32,766 characters. Delete a record or shorten some "
               "fields, then save again." +
               kLeftAsItWas;
    QTest::newRow("character the cipher cannot shift")
        << 3
        << kNotSaved +
               "A record holds a character that cannot be enciphered at its place. Edit "
               "that record and replace the character, then save again." +
               kLeftAsItWas;
    QTest::newRow("write fails")
        << 4
        << kNotSaved +
               QStringLiteral("The file lkdb1.lkd could not be written (failure code %1).")
                   .arg(test::BlockedWrite::kCode) +
               kLeftAsItWas;
}

void MainScreenTest::saveRefused() {
    QFETCH(int, cause);
    QFETCH(QString, message);
    const std::string key = Key();
    std::string store =
        fixture::StoreBytes({{"Zulu", "z", "zed", "zz"}, {"Mike", "m", "mo", "mm"}}, key);
    // Byte 4 of the second entry's plain text: 127, 'M', 'i', then the failure.
    const std::size_t broken = std::string("\x7fZulu\x14z\x14zed\x14zz\x80").size() + 3;
    if (cause == 0) store[broken] = '\0';
    WriteBook(fixture::KeyFileBytes(fixture::Collected(), kUser, kPassword), store);
    Start();
    if (cause == 0) {
        t->Boxes.Queue(MsgAnswer::Ok);
        LogIn(QString::fromStdString(kPassword));
        // The cipher's own box comes first, with the value it stopped at.
        const QString stoppedAt = QString::number(0 - static_cast<unsigned char>(key[broken % 32]));
        QVERIFY(OneBoxShown(t->Boxes, stoppedAt, QStringLiteral("LKMR"), MsgButtons::Ok,
                            MsgIcon::None));
        // What was found is shown, the cut entry with it.
        QCOMPARE(ListLines(), (std::vector<std::string>{"Mi", "Zulu\tz\tzed\tzz"}));
        t->Boxes.Clear();
    } else {
        LogIn(QString::fromStdString(kPassword));
    }
    std::optional<test::BlockedWrite> blocked;
    switch (cause) {
    case 1:
        screen->LogoutApp->trigger();
        break;
    // Edits the store would refuse, made in the book alone.
    case 2:
        t->Ctx.RecordBook.Replace(0, SplitRecordLine("long\t\t\t" + std::string(32767, 'a')));
        break;
    case 3:
        t->Ctx.RecordBook.Replace(0, SplitRecordLine("Yankee\t\t\t\xc8"));
        break;
    case 4:
        blocked.emplace(t->File("lkdb1.lkd"));
        break;
    default:
        break;
    }
    const bool changed = t->Ctx.RecordBook.Changed();
    screen->AddNewEntry->setEnabled(false);
    t->Boxes.Queue(MsgAnswer::Ok);

    QVERIFY(!screen->SaveData_Click());

    QVERIFY(OneBoxShown(t->Boxes, message, kTitle, MsgButtons::Ok, MsgIcon::Exclamation));
    QCOMPARE(StoreOnDisk(), store);
    QCOMPARE(t->Ctx.RecordBook.Changed(), changed);
    QVERIFY(!screen->AddNewEntry->isEnabled());
}

void MainScreenTest::damagedKeyFile_data() {
    QTest::addColumn<QByteArray>("keyFile");
    const std::string collected = fixture::Collected();
    const std::string key = fixture::KeyOf(collected);
    QTest::newRow("shorter than the length byte")
        << QByteArray::fromStdString(collected.substr(0, 43));
    QTest::newRow("key cut short") << QByteArray::fromStdString(collected.substr(0, 20));
    std::string lengthZero = collected;
    lengthZero[43] = 0;
    QTest::newRow("length byte 0") << QByteArray::fromStdString(lengthZero);
    std::string lengthOne = collected;
    lengthOne[43] = 1;
    lengthOne[44] = fixture::Encipher("x", key)[0];
    QTest::newRow("length byte 1, no separator") << QByteArray::fromStdString(lengthOne);
    // Only a code the generator gathers at 44 marks its bytes alone.
    std::string lengthThirty = collected;
    lengthThirty[43] = 30;
    QTest::newRow("51 bytes, length byte 30") << QByteArray::fromStdString(lengthThirty);
}

void MainScreenTest::damagedKeyFile() {
    QFETCH(QByteArray, keyFile);
    WriteBook(keyFile.toStdString(), fixture::StoreBytes(SampleRecords(), Key()));
    Start();
    screen->Text1->setText(QStringLiteral("master"));
    t->Boxes.Queue(MsgAnswer::Ok);
    LogIn(QStringLiteral("x"));

    QVERIFY(OneBoxShown(t->Boxes, kDamaged, kTitle, MsgButtons::Ok, MsgIcon::Exclamation));
    QVERIFY(screen->Command1->isEnabled());
    QCOMPARE(screen->Text2->text(), QString());
    QCOMPARE(screen->Text1->text(), QStringLiteral("master"));
    QCOMPARE(RowCount(screen->List1), 0);
    QVERIFY(!screen->AddNewEntry->isEnabled());
    QCOMPARE(fixture::ReadBytes(t->File("lkdb0.lkd")), keyFile.toStdString());
}

void MainScreenTest::credentialsDecipherFailure() {
    // A block that was never enciphered with this key: its first byte is
    // below the first key character.
    std::string keyFile = fixture::Collected();
    keyFile[43] = 5;
    keyFile.replace(44, 5, "\x01\x01\x01\x01\x01");
    WriteBook(keyFile, fixture::StoreBytes(SampleRecords(), Key()));
    Start();
    t->Boxes.Queue(MsgAnswer::Ok);
    t->Boxes.Queue(MsgAnswer::Ok);
    LogIn(QString::fromStdString(kPassword));

    QCOMPARE(t->Boxes.Boxes().size(), std::size_t(2));
    const RecordedBox& cipherBox = t->Boxes.Boxes()[0];
    QCOMPARE(cipherBox.Text, QString::number(1 - static_cast<unsigned char>(Key()[0])));
    QVERIFY(cipherBox.Text.startsWith('-'));
    QCOMPARE(cipherBox.Title, QStringLiteral("LKMR"));
    QCOMPARE(cipherBox.Buttons, MsgButtons::Ok);
    QCOMPARE(cipherBox.Icon, MsgIcon::None);
    QCOMPARE(t->Boxes.Boxes()[1].Text, kNotMatched);
    QVERIFY(screen->Command1->isEnabled());
    QCOMPARE(RowCount(screen->List1), 0);
}

void MainScreenTest::unreadableKeyFile() {
    // A folder stands where the key file belongs.
    fs::create_directory(t->File("lkdb0.lkd"));
    fixture::WriteBytes(t->File("lkdb0.lkd") / "x", "x");
    const QString unreadable =
        QStringLiteral("ERROR: The key file lkdb0.lkd could not be read (failure code 75).");
    t->Boxes.Queue(MsgAnswer::Ok);
    Start();
    QCOMPARE(t->Boxes.Texts(),
             QStringList{unreadable + "\rNobody can log in until it can be read."});
    QVERIFY(screen->isVisible());

    t->Boxes.Clear();
    t->Boxes.Queue(MsgAnswer::Ok);
    LogIn(QString::fromStdString(kPassword));
    QCOMPARE(t->Boxes.Texts(), QStringList{unreadable});
    QVERIFY(screen->Command1->isEnabled());
    QCOMPARE(RowCount(screen->List1), 0);
}

void MainScreenTest::about() {
    WriteBook();
    Start();
    t->Boxes.Queue(MsgAnswer::Ok);
    screen->AboutLKDB->trigger();
    QVERIFY(OneBoxShown(t->Boxes, kAbout, kTitle, MsgButtons::Ok, MsgIcon::None));
    QCOMPARE(screen->height(), TwipsToPixels(4695) - kFrameHeightPixels);
    QVERIFY(screen->Command1->isEnabled());
}

void MainScreenTest::userIdDiscardsBar() {
    WriteBook();
    Start();
    QTest::keyClicks(screen->Text1, "ab|c|");
    QCOMPARE(screen->Text1->text(), QStringLiteral("abc"));
    QTest::keyClicks(screen->Text2, "a|b");
    QCOMPARE(screen->Text2->text(), QStringLiteral("a|b"));

    // Pasted text is not filtered.
    QGuiApplication::clipboard()->setText(QStringLiteral("x|y"));
    screen->Text1->setFocus();
    screen->Text1->paste();
    QCOMPARE(screen->Text1->text(), QStringLiteral("abcx|y"));
}

void MainScreenTest::currentLineStaysChosen_data() {
    QTest::addColumn<QString>("how");
    QTest::newRow("Ctrl+click") << "click";
    QTest::newRow("Ctrl+Space") << "space";
}

void MainScreenTest::currentLineStaysChosen() {
    QFETCH(QString, how);
    WriteBook();
    Start();
    LogIn(QString::fromStdString(kPassword));
    ListBox* list = screen->List1;
    const QPoint second = RowCentre(list, 1);
    QTest::mouseClick(list->viewport(), Qt::LeftButton, Qt::NoModifier, second);
    QVERIFY(RowSelected(list, 1));

    // What Enter and double-click open is what Edit and Delete see chosen.
    if (how == QLatin1String("click"))
        QTest::mouseClick(list->viewport(), Qt::LeftButton, Qt::ControlModifier, second);
    else
        QTest::keyClick(list, Qt::Key_Space, Qt::ControlModifier);
    QCOMPARE(CurrentRow(list), 1);
    QVERIFY(RowSelected(list, 1));
    QCOMPARE(list->selectionModel()->selectedRows().size(), 1);

    t->Boxes.Queue(MsgAnswer::No);
    screen->DeleteRecord->trigger();
    QCOMPARE(t->Boxes.Texts().size(), 1);
    QVERIFY(t->Boxes.Texts().first().startsWith(
        QStringLiteral("WARNING: You have selected a record for deletion!")));
    QCOMPARE(RowCount(screen->List1), 5);
}

void MainScreenTest::blankClickKeepsTheChosenLine_data() {
    QTest::addColumn<QString>("then");
    QTest::newRow("Enter") << "enter";
    QTest::newRow("double-click on the blank part") << "double-click";
    QTest::newRow("Edit") << "edit";
    QTest::newRow("Delete") << "delete";
}

void MainScreenTest::blankClickKeepsTheChosenLine() {
    QFETCH(QString, then);
    WriteBook();
    Start();
    LogIn(QString::fromStdString(kPassword));
    ListBox* list = screen->List1;
    QTest::mouseClick(list->viewport(), Qt::LeftButton, Qt::NoModifier, RowCentre(list, 1));
    const QPoint blank(RowCentre(list, 0).x(), list->viewport()->height() - 4);
    QVERIFY(!list->indexAt(blank).isValid());

    QTest::mouseClick(list->viewport(), Qt::LeftButton, Qt::NoModifier, blank);
    QCOMPARE(CurrentRow(list), 1);
    QVERIFY(RowSelected(list, 1));
    QCOMPARE(list->selectionModel()->selectedRows().size(), 1);

    const fixture::Fields chosen = Split(SortedLines()[1]);
    if (then == QLatin1String("enter")) {
        QTest::keyClick(list, Qt::Key_Return);
        auto* viewer = t->Ctx.Windows.Find<BigChar>();
        QVERIFY(viewer);
        QCOMPARE(viewer->windowTitle(), QString::fromStdString(chosen[0]));
        QCOMPARE(t->ClipboardService.Calls(),
                 QStringList({"clear", "set " + QString::fromStdString(chosen[2])}));
    } else if (then == QLatin1String("double-click")) {
        QTest::mouseDClick(list->viewport(), Qt::LeftButton, Qt::NoModifier, blank);
        QVERIFY(!t->Ctx.Windows.Find<BigChar>());
        QVERIFY(RowSelected(list, 1));
    } else if (then == QLatin1String("edit")) {
        QString opened;
        t->WhenModal<EditRecord>([&opened](EditRecord* edit) {
            opened = edit->Text1->text();
            edit->close();
        });
        screen->EditData->trigger();
        QCOMPARE(opened, QString::fromStdString(chosen[0]));
    } else {
        t->Boxes.Queue(MsgAnswer::No);
        screen->DeleteRecord->trigger();
        QCOMPARE(t->Boxes.Texts().size(), 1);
        QVERIFY(t->Boxes.Texts().first().startsWith(
            QStringLiteral("WARNING: You have selected a record for deletion!")));
        QCOMPARE(RowCount(list), 5);
    }
}

void MainScreenTest::emptiedPasswordBoxKeepsNoUndo_data() {
    QTest::addColumn<bool>("logout");
    QTest::newRow("a failed login") << false;
    QTest::newRow("a logout") << true;
}

void MainScreenTest::emptiedPasswordBoxKeepsNoUndo() {
    QFETCH(bool, logout);
    WriteBook();
    Start();
    QTest::keyClicks(screen->Text2, logout ? kPassword.c_str() : "wrong guess");
    if (!logout) t->Boxes.Queue(MsgAnswer::Ok);  // not matched
    QTest::mouseClick(screen->Command1, Qt::LeftButton);
    if (logout) screen->LogoutApp->trigger();
    QCOMPARE(screen->Text2->text(), QString());

    // Nothing typed is kept for an undo, not even once the box shows in clear.
    screen->Text2->setEchoMode(QLineEdit::Normal);
    QTest::keyClick(screen->Text2, Qt::Key_Z, Qt::ControlModifier);
    QCOMPARE(screen->Text2->text(), QString());
}

void MainScreenTest::logoutEmptiesTheClipboardOfWhatItPutThere_data() {
    QTest::addColumn<bool>("copiedSince");
    QTest::newRow("the password still there") << false;
    QTest::newRow("the user copied something since") << true;
}

void MainScreenTest::logoutEmptiesTheClipboardOfWhatItPutThere() {
    QFETCH(bool, copiedSince);
    WriteBook();
    Start();
    LogIn(QString::fromStdString(kPassword));
    DoubleClick(screen->List1, 0);
    auto* viewer = t->Ctx.Windows.Find<BigChar>();
    QVERIFY(viewer);
    QTest::mouseClick(viewer->CT2, Qt::LeftButton);
    viewer->close();
    if (copiedSince) t->ClipboardService.SetText(QStringLiteral("the user's own"));
    t->ClipboardService.ForgetCalls();

    screen->LogoutApp->trigger();
    QCOMPARE(t->ClipboardService.Calls(), copiedSince ? QStringList() : QStringList{"clear"});
    QCOMPARE(t->ClipboardService.HoldsText(), copiedSince);
}

QTEST_MAIN(MainScreenTest)
#include "main_screen_test.moc"
