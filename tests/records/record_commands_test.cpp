// The main window's record commands, logged in over a store built from its
// layout: opening a line in the viewer, add, edit and delete, with the list,
// the menus, the messages and the bytes on disk after each.
#include <QAction>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include "app/main_screen.h"
#include "records/big_char.h"
#include "records/data_entry.h"
#include "records/edit_record.h"
#include "tests/support/blocked_write.h"
#include "tests/support/book_fixture.h"
#include "tests/support/list_rows.h"
#include "tests/support/test_context.h"
#include "ui/controls.h"

using namespace lockmere;
using namespace lockmere::testing;

namespace {

const std::string kKey = fixture::KeyOf(fixture::Collected());
const QString kTitle = QStringLiteral("LKMR - Message Center");
const QString kSaved = QStringLiteral(
    "The database has been saved!\rIt is now OK to add a new entry into\rthe database!");
const QString kDeleteQuestion = QStringLiteral(
    "WARNING: You have selected a record for deletion!\rDo you really want to DELETE this "
    "record?");
const QString kLoggedIn = QStringLiteral("Add+ Delete+ Edit+ Save- Exit+");

fixture::Fields Record(const QString& name) {
    const std::string n = name.toStdString();
    return {n, "https://" + n + ".example", n + ".user", n + "-pw"};
}

std::vector<fixture::Fields> Records(const QStringList& names) {
    std::vector<fixture::Fields> records;
    for (const QString& name : names) records.push_back(Record(name));
    return records;
}

QString Line(const fixture::Fields& f) {
    return QString::fromStdString(f[0] + '\t' + f[1] + '\t' + f[2] + '\t' + f[3]);
}

QStringList Lines(const QStringList& names) {
    QStringList lines;
    for (const QString& name : names) lines.append(Line(Record(name)));
    return lines;
}

QStringList ListTexts(MainScreen* main) {
    QStringList texts;
    for (int i = 0; i < RowCount(main->List1); ++i) texts.append(RowText(main->List1, i));
    return texts;
}

QString Menus(MainScreen* m) {
    auto on = [](QAction* a) { return a->isEnabled() ? QStringLiteral("+") : QStringLiteral("-"); };
    return QStringLiteral("Add%1 Delete%2 Edit%3 Save%4 Exit%5")
        .arg(on(m->AddNewEntry), on(m->DeleteRecord), on(m->EditData), on(m->SaveData),
             on(m->ExitProgram));
}

std::string StoreBytesOnDisk(const TestContext& tc) {
    return fixture::ReadBytes(tc.File("lkdb1.lkd"));
}

// Writes the key file and the store, shows the main window and logs in.
MainScreen* LogIn(TestContext& tc, const std::string& storeBytes) {
    fixture::WriteBytes(tc.File("lkdb0.lkd"),
                        fixture::KeyFileBytes(fixture::Collected(), "owner", "master"));
    fixture::WriteBytes(tc.File("lkdb1.lkd"), storeBytes);
    MainScreen* main = tc.Ctx.Windows.Open<MainScreen>(tc.Ctx);
    main->ShowModeless();
    main->Text2->setText(QStringLiteral("master"));
    QTest::mouseClick(main->Command1, Qt::LeftButton);
    return main;
}

MainScreen* LogIn(TestContext& tc, const QStringList& names) {
    MainScreen* main = LogIn(tc, fixture::StoreBytes(Records(names), kKey));
    if (ListTexts(main) != Lines(names))
        QTest::qFail("login did not list the store", __FILE__, __LINE__);
    return main;
}

// Deletes the first line: Yes to the question, OK to the box the save shows.
void DeleteFirstLine(TestContext& tc, MainScreen* main) {
    SetCurrentRow(main->List1, 0);
    tc.Boxes.Queue(MsgAnswer::Yes);
    tc.Boxes.Queue(MsgAnswer::Ok);
    main->DeleteRecord->trigger();
}

// Runs a command that must open no modal window; gives whether one opened.
bool OpensModal(const std::function<void()>& command) {
    bool opened = false;
    QTimer::singleShot(0, [&opened] {
        if (auto* modal = qobject_cast<Window*>(QApplication::activeModalWidget())) {
            opened = true;
            modal->Unload();
        }
    });
    command();
    QCoreApplication::processEvents();
    return opened;
}

}  // namespace

class RecordCommandsTest : public QObject {
    Q_OBJECT
private slots:
    void openLine_data();
    void openLine();
    void enterWithoutCurrentLine();
    void oneViewer();
    void add();
    void addClosedAddsNothing();
    void unsavedDeleteStillWarnsAfterOtherWindows();
    void failedAddLeavesList();
    void edit();
    void editClosedChangesNothing();
    void editWithoutSelection();
    void editAfterIncompleteLoad();
    void remove_data();
    void remove();
    void removeAfterIncompleteLoad();
};

void RecordCommandsTest::openLine_data() {
    QTest::addColumn<bool>("enter");
    QTest::addColumn<int>("offset");
    QTest::newRow("double-click") << false << 0;
    QTest::newRow("Enter") << true << 700;
}

void RecordCommandsTest::openLine() {
    QFETCH(bool, enter);
    QFETCH(int, offset);
    TestContext tc;
    MainScreen* main = LogIn(tc, QStringList{"Bank", "Mail", "Shop"});
    QCOMPARE(main->height(), TwipsToPixels(4875) - kFrameHeightPixels);
    SetCurrentRow(main->List1, 1);
    if (enter)
        QTest::keyClick(main->List1, Qt::Key_Return);
    else
        DoubleClick(main->List1, 1);

    QCOMPARE(main->height(), TwipsToPixels(1900) - kFrameHeightPixels);
    QVERIFY(main->List1->isHidden());
    QCOMPARE(main->Command2->text(), QStringLiteral("Display Data"));
    // Still logged in.
    QVERIFY(!main->Command1->isEnabled());
    QCOMPARE(RowCount(main->List1), 3);
    QCOMPARE(Menus(main), kLoggedIn);

    BigChar* viewer = tc.Ctx.Windows.Find<BigChar>();
    QVERIFY(viewer && viewer->isVisible());
    QVERIFY(!viewer->isModal());
    QCOMPARE(viewer->pos(), QPoint(TwipsToPixels(offset), TwipsToPixels(offset)));
    QCOMPARE(viewer->windowTitle(), QStringLiteral("Mail"));
    QCOMPARE((QStringList{viewer->Text3->text(), viewer->Text1->text(), viewer->Text2->text()}),
             (QStringList{"https://Mail.example", "Mail.user", "Mail-pw"}));
    QCOMPARE(tc.ClipboardService.Text(), QStringLiteral("Mail.user"));
    QCOMPARE(tc.Boxes.Texts(), QStringList());
}

void RecordCommandsTest::enterWithoutCurrentLine() {
    TestContext tc;
    MainScreen* main = LogIn(tc, QStringList{"Bank"});
    // Reaching the list by the keyboard chooses no line.
    main->List1->setFocus(Qt::TabFocusReason);
    QCOMPARE(CurrentRow(main->List1), -1);
    QTest::keyClick(main->List1, Qt::Key_Return);

    BigChar* viewer = tc.Ctx.Windows.Find<BigChar>();
    QVERIFY(viewer);
    QCOMPARE(viewer->windowTitle(), QStringLiteral(" Lockmere"));
    QCOMPARE(viewer->Text1->text() + viewer->Text2->text() + viewer->Text3->text(), QString());
    QCOMPARE(tc.ClipboardService.Calls(), (QStringList{"clear", "set "}));
}

void RecordCommandsTest::oneViewer() {
    TestContext tc;
    MainScreen* main = LogIn(tc, QStringList{"Bank", "Mail"});
    SetCurrentRow(main->List1, 0);
    QTest::keyClick(main->List1, Qt::Key_Return);
    BigChar* first = tc.Ctx.Windows.Find<BigChar>();
    QVERIFY(first);
    first->Text2->setText("typed in the viewer");

    // While it is open it shows the line chosen next, where it stands.
    DoubleClick(main->List1, 1);
    QCOMPARE(tc.Ctx.Windows.Find<BigChar>(), first);
    QCOMPARE(first->windowTitle(), QStringLiteral("Mail"));
    QCOMPARE(first->Text2->text(), QStringLiteral("Mail-pw"));
    QCOMPARE(first->pos(), QPoint(TwipsToPixels(700), TwipsToPixels(700)));
    QCOMPARE(tc.ClipboardService.Calls(),
             (QStringList{"clear", "set Bank.user", "clear", "set Mail.user"}));

    // The line it shows, or none chosen, only brings it forward.
    first->Text2->setText("typed in the viewer");
    QTest::keyClick(main->List1, Qt::Key_Return);
    SetCurrentRow(main->List1, -1);
    QTest::keyClick(main->List1, Qt::Key_Return);
    QCOMPARE(tc.Ctx.Windows.Find<BigChar>(), first);
    QCOMPARE(first->Text2->text(), QStringLiteral("typed in the viewer"));
    QCOMPARE(tc.ClipboardService.Calls().size(), 4);

    // Closed, it takes up the line it is opened with, at that opening's place.
    first->close();
    SetCurrentRow(main->List1, 0);
    DoubleClick(main->List1, 0);
    BigChar* second = tc.Ctx.Windows.Find<BigChar>();
    QVERIFY(second && second != first);
    QCOMPARE(second->windowTitle(), QStringLiteral("Bank"));
    QCOMPARE(second->pos(), QPoint(0, 0));
    QCOMPARE(tc.ClipboardService.Text(), QStringLiteral("Bank.user"));
}

void RecordCommandsTest::add() {
    TestContext tc;
    MainScreen* main = LogIn(tc, QStringList{"Bank", "Shop"});
    QString caption;
    tc.WhenModal<DataEntry>([&](DataEntry* w) {
        caption = w->windowTitle();
        QTest::keyClicks(w->Text1, " mail ");
        QTest::keyClicks(w->Text2, "https://mail.example");
        QTest::keyClicks(w->Text3, "me@mail");
        QTest::keyClicks(w->Text4, "Secret 1");
        QTest::keyClicks(w->Text5, "Secret 1 ");
        QTest::mouseClick(w->Command1, Qt::LeftButton);
    });
    main->AddNewEntry->trigger();

    QCOMPARE(caption, QStringLiteral("Password Data Entry Form"));
    QCOMPARE(tc.Boxes.Texts(), QStringList());
    const fixture::Fields added{"mail", "https://mail.example", "me@mail", "Secret 1"};
    QCOMPARE(ListTexts(main),
             (QStringList{Line(Record("Bank")), Line(added), Line(Record("Shop"))}));
    std::vector<fixture::Fields> stored = Records({"Bank", "Shop"});
    stored.push_back(added);  // appended, whatever the list's order
    QCOMPARE(StoreBytesOnDisk(tc), fixture::StoreBytes(stored, kKey));
    QVERIFY(!tc.Ctx.RecordBook.Changed());
    QCOMPARE(Menus(main), kLoggedIn);
}

void RecordCommandsTest::addClosedAddsNothing() {
    TestContext tc;
    MainScreen* main = LogIn(tc, QStringList{"Bank"});
    const std::string before = StoreBytesOnDisk(tc);
    tc.WhenModal<DataEntry>([](DataEntry* w) { w->close(); });
    main->AddNewEntry->trigger();

    QCOMPARE(ListTexts(main), Lines({"Bank"}));
    QCOMPARE(StoreBytesOnDisk(tc), before);
}

void RecordCommandsTest::failedAddLeavesList() {
    TestContext tc;
    MainScreen* main = LogIn(tc, QStringList{"Bank"});
    const std::string before = StoreBytesOnDisk(tc);
    const test::BlockedWrite blocked(tc.File("lkdb1.lkd"));
    tc.Boxes.OnShow = [](const RecordedBox&) {
        // The refusal is up while the add window stays open behind it.
        QVERIFY(QApplication::activeModalWidget() != nullptr);
    };
    tc.WhenModal<DataEntry>([](DataEntry* w) {
        for (QLineEdit* box : {w->Text1, w->Text2, w->Text3, w->Text4, w->Text5}) box->setText("x");
        QTest::mouseClick(w->Command1, Qt::LeftButton);
        QVERIFY(w->isVisible());
        w->close();
    });
    main->AddNewEntry->trigger();

    QCOMPARE(tc.Boxes.Boxes().size(), std::size_t(1));
    QVERIFY(tc.Boxes.Boxes().front().Text.contains("could not be written"));
    QCOMPARE(ListTexts(main), Lines({"Bank"}));
    QCOMPARE(StoreBytesOnDisk(tc), before);
}

void RecordCommandsTest::edit() {
    TestContext tc;
    MainScreen* main = LogIn(tc, QStringList{"Bank", "Mail", "Shop"});
    SetCurrentRow(main->List1, 1);
    tc.Boxes.Queue(MsgAnswer::Ok);
    QString caption;
    QStringList loaded;
    // One edit per run: a second window, on a line the user never chose, is
    // closed and counted.
    bool acted = false;
    int strays = 0;
    QTimer guard;
    QObject::connect(&guard, &QTimer::timeout, [&] {
        auto* modal = qobject_cast<Window*>(QApplication::activeModalWidget());
        if (acted && modal && !modal->IsUnloaded()) {
            ++strays;
            modal->Unload();
        }
    });
    guard.start(20);
    tc.WhenModal<EditRecord>([&](EditRecord* w) {
        acted = true;
        caption = w->windowTitle();
        loaded = {w->Text1->text(), w->Text2->text(), w->Text3->text(), w->Text4->text(),
                  w->Text5->text()};
        w->Text1->setText("  Alpha Mail");
        w->Text4->setText("new-pw");
        w->Text5->setText("new-pw");
        QTest::mouseClick(w->Command1, Qt::LeftButton);
    });
    main->EditData->trigger();

    QCOMPARE(strays, 0);
    QCOMPARE(caption, QStringLiteral("Password Data Edit Form"));
    QCOMPARE(loaded,
             (QStringList{"Mail", "https://Mail.example", "Mail.user", "Mail-pw", "Mail-pw"}));
    const fixture::Fields edited{"Alpha Mail", "https://Mail.example", "Mail.user", "new-pw"};
    QCOMPARE(ListTexts(main),
             (QStringList{Line(edited), Line(Record("Bank")), Line(Record("Shop"))}));
    QCOMPARE(StoreBytesOnDisk(tc),
             fixture::StoreBytes({edited, Record("Bank"), Record("Shop")}, kKey));
    QCOMPARE(tc.Boxes.Texts(), QStringList{kSaved});
    QCOMPARE(tc.Boxes.Boxes().front().Title, kTitle);
    QCOMPARE(Menus(main), QStringLiteral("Add+ Delete- Edit- Save+ Exit+"));
    QVERIFY(!tc.Ctx.RecordBook.Changed());
}

void RecordCommandsTest::editClosedChangesNothing() {
    TestContext tc;
    MainScreen* main = LogIn(tc, QStringList{"Bank", "Mail"});
    const std::string before = StoreBytesOnDisk(tc);
    SetCurrentRow(main->List1, 0);
    tc.WhenModal<EditRecord>([](EditRecord* w) {
        w->Text1->setText("Changed");
        w->close();
    });
    main->EditData->trigger();

    QCOMPARE(ListTexts(main), Lines({"Bank", "Mail"}));
    QCOMPARE(StoreBytesOnDisk(tc), before);
    QCOMPARE(tc.Boxes.Texts(), QStringList());
    QCOMPARE(Menus(main), kLoggedIn);
    QVERIFY(!tc.Ctx.RecordBook.Changed());
}

void RecordCommandsTest::editWithoutSelection() {
    TestContext tc;
    MainScreen* main = LogIn(tc, QStringList{"Bank", "Mail"});
    main->List1->clearSelection();
    QVERIFY(!OpensModal([main] { main->EditData->trigger(); }));
    QCOMPARE(ListTexts(main), Lines({"Bank", "Mail"}));
    QCOMPARE(tc.Boxes.Texts(), QStringList());
    QCOMPARE(Menus(main), kLoggedIn);
}

void RecordCommandsTest::editAfterIncompleteLoad() {
    TestContext tc;
    // A byte that does not decipher behind two good records.
    const std::string damaged = fixture::StoreBytes(Records({"Bank", "Mail"}), kKey) + '\x01';
    MainScreen* main = LogIn(tc, damaged);
    QCOMPARE(ListTexts(main), Lines({"Bank", "Mail"}));
    tc.Boxes.Clear();
    SetCurrentRow(main->List1, 0);
    tc.WhenModal<EditRecord>([](EditRecord* w) {
        w->Text3->setText("someone else");
        QTest::mouseClick(w->Command1, Qt::LeftButton);
    });
    main->EditData->trigger();

    QCOMPARE(StoreBytesOnDisk(tc), damaged);
    QCOMPARE(tc.Boxes.Boxes().size(), std::size_t(1));
    QVERIFY(tc.Boxes.Texts().front().startsWith("ERROR: The database has not been saved!"));
    QVERIFY(tc.Ctx.RecordBook.Changed());  // the close still warns
}

// clang-format off
void RecordCommandsTest::remove_data() {
    QTest::addColumn<QStringList>("stored");   // names, in store order
    QTest::addColumn<int>("selected");         // row of the list, -1 for none
    QTest::addColumn<bool>("yes");             // the answer to the question
    QTest::addColumn<QStringList>("listed");   // names left in the list
    QTest::addColumn<QStringList>("messages");
    QTest::addColumn<QString>("menus");
    const QStringList three{"Shop", "Bank", "Mail"};
    QTest::newRow("selected, Yes") << three << 1 << true << QStringList{"Bank", "Shop"}
                                   << QStringList{kDeleteQuestion, kSaved}
                                   << "Add+ Delete+ Edit+ Save+ Exit-";
    QTest::newRow("selected, No") << three << 1 << false << QStringList{"Bank", "Mail", "Shop"}
                                  << QStringList{kDeleteQuestion} << kLoggedIn;
    // Nothing removed, yet the store is written again in list order.
    QTest::newRow("none selected") << three << -1 << true << QStringList{"Bank", "Mail", "Shop"}
                                   << QStringList{kSaved} << kLoggedIn;
    QTest::newRow("the last record") << QStringList{"Bank"} << 0 << true << QStringList()
                                     << QStringList{kDeleteQuestion, kSaved}
                                     << "Add+ Delete+ Edit+ Save+ Exit-";
}
// clang-format on

void RecordCommandsTest::remove() {
    QFETCH(QStringList, stored);
    QFETCH(int, selected);
    QFETCH(bool, yes);
    QFETCH(QStringList, listed);
    QFETCH(QStringList, messages);
    QFETCH(QString, menus);
    TestContext tc;
    MainScreen* main = LogIn(tc, fixture::StoreBytes(Records(stored), kKey));
    const std::string before = StoreBytesOnDisk(tc);
    main->List1->clearSelection();
    if (selected >= 0) SetCurrentRow(main->List1, selected);
    if (selected >= 0) tc.Boxes.Queue(yes ? MsgAnswer::Yes : MsgAnswer::No);
    // The save's box, when one follows the question.
    if (messages.size() > (selected >= 0 ? 1 : 0)) tc.Boxes.Queue(MsgAnswer::Ok);
    main->DeleteRecord->trigger();

    QCOMPARE(tc.Boxes.Texts(), messages);
    for (const RecordedBox& box : tc.Boxes.Boxes()) QCOMPARE(box.Title, kTitle);
    if (messages.first() == kDeleteQuestion) {
        QCOMPARE(tc.Boxes.Boxes().front().Buttons, MsgButtons::YesNo);
        QCOMPARE(tc.Boxes.Boxes().front().Icon, MsgIcon::None);
    }
    QCOMPARE(ListTexts(main), Lines(listed));
    const bool saved = messages.last() == kSaved;
    QCOMPARE(StoreBytesOnDisk(tc), saved ? fixture::StoreBytes(Records(listed), kKey) : before);
    QCOMPARE(Menus(main), menus);
    QVERIFY(!tc.Ctx.RecordBook.Changed());
}

void RecordCommandsTest::removeAfterIncompleteLoad() {
    TestContext tc;
    const std::string damaged = fixture::StoreBytes(Records({"Bank", "Mail"}), kKey) + '\x01';
    MainScreen* main = LogIn(tc, damaged);
    tc.Boxes.Clear();
    DeleteFirstLine(tc, main);

    QCOMPARE(ListTexts(main), Lines({"Mail"}));
    QCOMPARE(StoreBytesOnDisk(tc), damaged);
    QCOMPARE(tc.Boxes.Boxes().size(), std::size_t(2));
    QVERIFY(tc.Boxes.Texts().last().startsWith("ERROR: The database has not been saved!"));
    QVERIFY(tc.Ctx.RecordBook.Changed());
}

// A delete the save refused stays unsaved: opening and closing the add or
// the edit window does not clear the mark, so the close still warns.
void RecordCommandsTest::unsavedDeleteStillWarnsAfterOtherWindows() {
    TestContext tc;
    const std::string damaged =
        fixture::StoreBytes(Records({"Bank", "Mail", "Shop"}), kKey) + '\x01';
    MainScreen* main = LogIn(tc, damaged);
    tc.Boxes.Clear();
    DeleteFirstLine(tc, main);
    tc.Boxes.Clear();

    tc.WhenModal<DataEntry>([](DataEntry* w) { w->close(); });
    main->AddNewEntry->trigger();
    SetCurrentRow(main->List1, 0);
    tc.WhenModal<EditRecord>([](EditRecord* w) { w->close(); });
    main->EditData->trigger();

    QVERIFY(tc.Ctx.RecordBook.Changed());
    tc.Boxes.Queue(MsgAnswer::No);
    QVERIFY(!main->close());
    QCOMPARE(tc.Boxes.Boxes().size(), std::size_t(1));
    QVERIFY(tc.Boxes.Texts().front().startsWith("WARNING: You have changed the content"));
    QCOMPARE(StoreBytesOnDisk(tc), damaged);
}

QTEST_MAIN(RecordCommandsTest)
#include "record_commands_test.moc"
