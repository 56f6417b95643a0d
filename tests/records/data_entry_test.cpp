// The add window: layout, the checks of "Save Password Data", and the
// append to the store, checked against the store's own layout.
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QStyle>
#include <QTest>

#include <algorithm>
#include <optional>

#include "records/data_entry.h"
#include "tests/support/blocked_write.h"
#include "tests/support/book_fixture.h"
#include "tests/support/caption_checks.h"
#include "tests/support/owner_only.h"
#include "tests/support/test_context.h"
#include "ui/limited_line_edit.h"

using namespace lockmere;
using namespace lockmere::testing;
namespace fs = std::filesystem;

namespace {

const std::string kKey = fixture::KeyOf(fixture::Collected());
const QString kTitle = QStringLiteral("LKMR - Message Center");
const QString kBlank = QStringLiteral("ERROR: None of the Data Fields can be Blank!");
const QString kMismatch = QStringLiteral("ERROR: The passwords did not match. Please try again!");
const QString kNothingSaved =
    QStringLiteral("The record has not been saved; the database on disk has been left as it was.");

const std::vector<fixture::Fields> kTwo{{"Bank", "https://bank.example", "jo", "pw1"},
                                        {"Mail", "n/a", "jo@mail", "s3cret"}};

// A store whose plain text leaves exactly `room` characters below the
// cipher's limit of 32,766.
std::vector<fixture::Fields> NearlyFull(std::size_t room) {
    const std::size_t password = 32766 - room - 8;  // 3 one-letter fields and 5 markers
    return {{"x", "y", "z", std::string(password, 'p')}};
}

// Writes the named store into the program folder; gives its records.
std::vector<fixture::Fields> PrepareStore(const TestContext& tc, const QString& kind) {
    std::vector<fixture::Fields> records;
    if (kind == "none") return records;
    if (kind == "two") records = kTwo;
    if (kind == "room for 9") records = NearlyFull(9);
    if (kind == "room for 8") records = NearlyFull(8);
    fixture::WriteBytes(tc.File("lkdb1.lkd"), fixture::StoreBytes(records, kKey));
    return records;
}

void Type(RecordForm* w, const QStringList& texts) {
    QLineEdit* boxes[] = {w->Text1, w->Text2, w->Text3, w->Text4, w->Text5};
    for (int i = 0; i < 5; ++i) boxes[i]->setText(texts.value(i));
}

QStringList BoxTexts(RecordForm* w) {
    return {w->Text1->text(), w->Text2->text(), w->Text3->text(), w->Text4->text(),
            w->Text5->text()};
}

}  // namespace

class DataEntryTest : public QObject {
    Q_OBJECT
private slots:
    void layout_data();
    void layout();
    void entryBoxes();
    void load();
    void tabOrder();
    void saveAppends_data();
    void saveAppends();
    void refusals_data();
    void refusals();
    void storeFailures_data();
    void storeFailures();
    void closeSavesNothing();
};

void DataEntryTest::layout_data() {
    QTest::addColumn<QString>("control");
    QTest::addColumn<QRect>("twips");
    QTest::addColumn<QString>("name");  // caption, or the accessible name of a box
    QTest::addColumn<int>("limit");
    QTest::newRow("Label1") << "Label1" << QRect(135, 300, 1305, 255) << "Application Name" << -1;
    QTest::newRow("Text1") << "Text1" << QRect(1470, 240, 4095, 375) << "Application Name" << 50;
    QTest::newRow("Label5") << "Label5" << QRect(135, 720, 1305, 255) << "Application URL" << -1;
    QTest::newRow("Text2") << "Text2" << QRect(1470, 690, 8295, 375) << "Application URL" << 500;
    QTest::newRow("Label2") << "Label2" << QRect(120, 1245, 1275, 255) << "User Name" << -1;
    QTest::newRow("Text3") << "Text3" << QRect(1470, 1155, 4095, 375) << "User Name" << 40;
    QTest::newRow("Label3") << "Label3" << QRect(135, 1665, 1290, 255) << "Password" << -1;
    QTest::newRow("Text4") << "Text4" << QRect(1470, 1620, 2415, 375) << "Password" << 15;
    QTest::newRow("Label4") << "Label4" << QRect(135, 2145, 1335, 255) << "Confirm Password" << -1;
    QTest::newRow("Text5") << "Text5" << QRect(1470, 2085, 2415, 375) << "Confirm Password" << 15;
    QTest::newRow("Command1") << "Command1" << QRect(7965, 2130, 1830, 495) << "Save Password Data"
                              << -1;
}

void DataEntryTest::layout() {
    QFETCH(QString, control);
    QFETCH(QRect, twips);
    QFETCH(QString, name);
    QFETCH(int, limit);
    TestContext tc;
    DataEntry* w = tc.Ctx.Windows.Open<DataEntry>(tc.Ctx);
    w->ShowModeless();

    const std::map<QString, QWidget*> controls{
        {"Label1", w->Label1}, {"Label2", w->Label2},    {"Label3", w->Label3},
        {"Label4", w->Label4}, {"Label5", w->Label5},    {"Text1", w->Text1},
        {"Text2", w->Text2},   {"Text3", w->Text3},      {"Text4", w->Text4},
        {"Text5", w->Text5},   {"Command1", w->Command1}};
    QWidget* widget = controls.at(control);
    QCOMPARE(w->findChild<QWidget*>(control), widget);  // found by its name
    QVERIFY(PlacedAt(widget, twips));
    if (auto* label = qobject_cast<QLabel*>(widget)) QCOMPARE(label->text(), name);
    if (auto* button = qobject_cast<QPushButton*>(widget)) QCOMPARE(button->text(), name);
    // The form's font, a little smaller where a stand-in font cuts a caption.
    if (!qobject_cast<QLineEdit*>(widget)) QVERIFY(SizedToFit(widget, 8.25));
    QVERIFY2(CutCaptions(w).isEmpty(), qPrintable(CutCaptions(w).join('\n')));
    if (auto* box = qobject_cast<QLineEdit*>(widget)) {
        QCOMPARE(box->accessibleName(), name);
        QCOMPARE(qobject_cast<LimitedLineEdit*>(box)->Limit(), limit);
        QVERIFY(box->text().isEmpty());
    }
}

void DataEntryTest::entryBoxes() {
    TestContext tc;
    DataEntry* w = tc.Ctx.Windows.Open<DataEntry>(tc.Ctx);
    w->ShowModeless();
    for (QLineEdit* box : {w->Text1, w->Text2, w->Text3, w->Text4, w->Text5}) {
        QCOMPARE(box->palette().color(QPalette::Base), QColor(255, 255, 192));
        QCOMPARE(box->font().family(), QStringLiteral("MS Sans Serif"));
        QCOMPARE(box->font().pointSizeF(), 9.75);
        QVERIFY(!box->font().bold());
        const bool password = box == w->Text4 || box == w->Text5;
        QCOMPARE(box->echoMode(), password ? QLineEdit::Password : QLineEdit::Normal);
        QCOMPARE(box->testAttribute(Qt::WA_InputMethodEnabled), !password);
        if (password)
            QCOMPARE(box->style()->styleHint(QStyle::SH_LineEdit_PasswordCharacter, nullptr, box),
                     int('#'));
    }
}

void DataEntryTest::load() {
    TestContext tc;
    // Edits not yet saved stay marked while the window opens.
    PrepareStore(tc, "two");
    QVERIFY(tc.Ctx.RecordBook.Load(kKey).Complete());
    tc.Ctx.RecordBook.Remove(0);
    DataEntry* w = tc.Ctx.Windows.Open<DataEntry>(tc.Ctx);
    w->ShowModeless();

    QCOMPARE(w->windowTitle(), QStringLiteral("Password Data Entry Form"));
    QVERIFY(tc.Ctx.RecordBook.Changed());
    QCOMPARE(w->WidthTwips(), 10215);
    QCOMPARE(w->HeightTwips(), 3330);
    QCOMPARE(w->x(), TwipsToPixels((ScreenWidthTwips() - 10215) / 2));
    QCOMPARE(w->y(), TwipsToPixels((ScreenHeightTwips() - 3330) / 2));
}

void DataEntryTest::tabOrder() {
    TestContext tc;
    DataEntry* w = tc.Ctx.Windows.Open<DataEntry>(tc.Ctx);
    w->ShowModeless();
    QVERIFY(QTest::qWaitForWindowActive(w));
    const QList<QWidget*> order{w->Text1, w->Text2,    w->Text3, w->Text4,
                                w->Text5, w->Command1, w->Text1};
    QCOMPARE(QApplication::focusWidget(), order.first());
    for (int i = 1; i < order.size(); ++i) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), order[i]);
    }
}

// clang-format off
void DataEntryTest::saveAppends_data() {
    QTest::addColumn<QString>("store");
    QTest::addColumn<QStringList>("typed");
    QTest::addColumn<QByteArrayList>("stored");  // Windows-1252 bytes
    const QStringList plain{"Shop", "https://shop.example", "kim", "Pa ss", "Pa ss"};
    const QByteArrayList plainStored{"Shop", "https://shop.example", "kim", "Pa ss"};
    QTest::newRow("no store file") << "none" << plain << plainStored;
    QTest::newRow("empty store") << "empty" << plain << plainStored;
    QTest::newRow("after two records") << "two" << plain << plainStored;
    QTest::newRow("spaces trimmed, also between password and confirmation")
        << "two" << QStringList{"  Shop ", " N/A", "kim  ", "  pw", "pw   "}
        << QByteArrayList{"Shop", "N/A", "kim", "pw"};
    QTest::newRow("highest codes a field may hold")
        << "two"
        << QStringList{QString::fromUtf8("Caf\u0178"), "~", QString::fromUtf8("\u0153"), "x\x7e",
                       "x\x7e"}
        << QByteArrayList{"Caf\x9f", "~", "\x9c", "x\x7e"};
    QTest::newRow("store filled to its limit")
        << "room for 9" << QStringList{"A", "B", "C", "D", "D"} << QByteArrayList{"A", "B", "C", "D"};
}
// clang-format on

void DataEntryTest::saveAppends() {
    QFETCH(QString, store);
    QFETCH(QStringList, typed);
    QFETCH(QByteArrayList, stored);
    TestContext tc;
    tc.Ctx.EncryptionKey = kKey;
    std::vector<fixture::Fields> expected = PrepareStore(tc, store);
    QVERIFY(tc.Ctx.RecordBook.Load(kKey).Complete());
    fixture::Fields added;
    for (int i = 0; i < 4; ++i) added[static_cast<std::size_t>(i)] = stored[i].toStdString();
    expected.push_back(added);

    bool saved = false;
    tc.WhenModal<DataEntry>([&](DataEntry* w) {
        Type(w, typed);
        QTest::mouseClick(w->Command1, Qt::LeftButton);
        saved = w->IsUnloaded();
        if (!saved) w->Unload();
    });
    tc.Ctx.Windows.Open<DataEntry>(tc.Ctx)->ShowModal();

    QVERIFY(saved);
    QCOMPARE(tc.Boxes.Texts(), QStringList());
    const std::string bytes = fixture::ReadBytes(tc.File("lkdb1.lkd"));
    QCOMPARE(fixture::DecodeStore(bytes, kKey), expected);
    QCOMPARE(bytes, fixture::StoreBytes(expected, kKey));
    // Once on disk, the record joins the book.
    const std::vector<PasswordRecord>& records = tc.Ctx.RecordBook.Records();
    QCOMPARE(records.size(), expected.size());
    QVERIFY(std::ranges::find(records, PasswordRecord{added[0], added[1], added[2], added[3]}) !=
            records.end());
    QVERIFY(test::OwnerOnly(tc.File("lkdb1.lkd")));
}

// clang-format off
void DataEntryTest::refusals_data() {
    QTest::addColumn<QStringList>("typed");
    QTest::addColumn<QString>("message");
    QTest::addColumn<bool>("passwordsEmptied");
    const QString tab = QStringLiteral("The tab character");
    QTest::newRow("empty name") << QStringList{"", "u", "n", "p", "p"} << kBlank << false;
    QTest::newRow("URL of spaces") << QStringList{"a", "   ", "n", "p", "p"} << kBlank << false;
    QTest::newRow("empty confirmation") << QStringList{"a", "u", "n", "p", ""} << kBlank << false;
    QTest::newRow("blank before a tab")
        << QStringList{"a\tb", "u", "", "p", "p"} << kBlank << false;
    QTest::newRow("case differs") << QStringList{"a", "u", "n", "Secret", "secret"} << kMismatch
                                  << true;
    QTest::newRow("mismatch before a refused character")
        << QStringList{"a", "u", "n", QString::fromUtf8("\u00e9"), "e"} << kMismatch << true;
    QTest::newRow("tab in the name")
        << QStringList{"Web\tMail", "u", "n", "p", "p"}
        << "ERROR: The tab character cannot be stored in Application Name. Please remove it."
        << false;
    QTest::newRow("character 20 in the URL")
        << QStringList{"a", "u\x14", "n", "p", "p"}
        << "ERROR: Character 20 cannot be stored in Application URL. Please remove it." << false;
    QTest::newRow("e acute in the user name")
        << QStringList{"a", "u", QString::fromUtf8("Jos\u00e9"), "p", "p"}
        << QString::fromUtf8(
               "ERROR: The character \"\u00e9\" cannot be stored in User Name. Please remove it.")
        << false;
    QTest::newRow("euro sign in the password")
        << QStringList{"a", "u", "n", QString::fromUtf8("5\u20ac"), QString::fromUtf8("5\u20ac")}
        << QString::fromUtf8(
               "ERROR: The character \"\u20ac\" cannot be stored in Password. Please remove it.")
        << false;
    // A line edit keeps what is pasted into it, controls too.
    QTest::newRow("SOH pasted into the password")
        << QStringList{"a", "u", "n", "p\x01w", "p\x01w"}
        << "ERROR: Character 1 cannot be stored in Password. Please remove it." << false;
    QTest::newRow("ESC in the user name")
        << QStringList{"a", "u", "n\x1b[0m", "p", "p"}
        << "ERROR: Character 27 cannot be stored in User Name. Please remove it." << false;
    QTest::newRow("a C1 control in the name")
        << QStringList{QString::fromUtf8("a\u0081"), "u", "n", "p", "p"}
        << "ERROR: Character 129 cannot be stored in Application Name. Please remove it." << false;
    QTest::newRow("no Windows-1252 code")
        << QStringList{QString::fromUtf8("\u65e5"), "u", "n", "p", "p"}
        << QString::fromUtf8(
               "ERROR: The character \"\u65e5\" cannot be stored in Application Name. Please "
               "remove it.")
        << false;
}
// clang-format on

void DataEntryTest::refusals() {
    QFETCH(QStringList, typed);
    QFETCH(QString, message);
    QFETCH(bool, passwordsEmptied);
    TestContext tc;
    tc.Ctx.EncryptionKey = kKey;
    PrepareStore(tc, "two");
    QVERIFY(tc.Ctx.RecordBook.Load(kKey).Complete());
    const std::string before = fixture::ReadBytes(tc.File("lkdb1.lkd"));
    DataEntry* w = tc.Ctx.Windows.Open<DataEntry>(tc.Ctx);
    w->ShowModeless();
    Type(w, typed);
    if (passwordsEmptied)  // as typed, so that an undo could bring them back
        for (int box : {3, 4}) {
            QLineEdit* password = box == 3 ? w->Text4 : w->Text5;
            password->setText(QString());
            password->insert(typed[box]);
        }
    QTest::mouseClick(w->Command1, Qt::LeftButton);

    QVERIFY(OneBoxShown(tc.Boxes, message, kTitle, MsgButtons::Ok, MsgIcon::Exclamation));
    QVERIFY(w->isVisible());
    QVERIFY(!w->IsUnloaded());
    QStringList left = typed;
    if (passwordsEmptied) left[3] = left[4] = QString();
    QCOMPARE(BoxTexts(w), left);
    // Emptied with no undo kept, not even once a box shows in clear.
    for (QLineEdit* box : {static_cast<QLineEdit*>(w->Text4), static_cast<QLineEdit*>(w->Text5)})
        if (passwordsEmptied) {
            box->setEchoMode(QLineEdit::Normal);
            QTest::keyClick(box, Qt::Key_Z, Qt::ControlModifier);
            QCOMPARE(box->text(), QString());
        }
    QCOMPARE(fixture::ReadBytes(tc.File("lkdb1.lkd")), before);
    QCOMPARE(tc.Ctx.RecordBook.Records().size(), kTwo.size());
}

// clang-format off
void DataEntryTest::storeFailures_data() {
    QTest::addColumn<QString>("store");
    QTest::addColumn<QStringList>("messages");  // patterns, one per box
    const QString quotedNothing = QRegularExpression::escape(kNothingSaved);
    const QString key0 = QString::number(1 - static_cast<int>(kKey[0]));
    QTest::newRow("store that does not decipher")
        << "damaged"
        << QStringList{"^LKMR: " + key0 + "$",
                       "^LKMR - Message Center: ERROR: The database lkdb1\\.lkd could not be "
                       "deciphered\\.\r" + quotedNothing + "$"};
    QTest::newRow("store one character too long")
        << "room for 8"
        << QStringList{"^LKMR - Message Center: ERROR: The database is full: with this record "
                       "it would hold more than 32,766 characters\\.\rShorten the record, or "
                       "delete records you no longer need\\.\r" + quotedNothing + "$"};
    QTest::newRow("store is a folder")
        << "folder"
        << QStringList{"^LKMR - Message Center: ERROR: The database lkdb1\\.lkd could not be "
                       "read \\(failure code [1-9][0-9]*\\)\\.\r" + quotedNothing + "$"};
    QTest::newRow("new store cannot be written")
        << "unwritable"
        << QStringList{"^LKMR - Message Center: ERROR: The database lkdb1\\.lkd could not be "
                       "written \\(failure code [1-9][0-9]*\\)\\.\r" + quotedNothing + "$"};
}
// clang-format on

void DataEntryTest::storeFailures() {
    QFETCH(QString, store);
    QFETCH(QStringList, messages);
    TestContext tc;
    tc.Ctx.EncryptionKey = kKey;
    const fs::path path = tc.File("lkdb1.lkd");
    if (store == "damaged") fixture::WriteBytes(path, "\x01\x02\x03");
    if (store == "room for 8") PrepareStore(tc, store);
    if (store == "folder") fs::create_directory(path);
    std::optional<test::BlockedWrite> blocked;
    if (store == "unwritable") {
        PrepareStore(tc, "two");
        blocked.emplace(path);
    }
    const bool isFile = fs::is_regular_file(path);
    const std::string before = isFile ? fixture::ReadBytes(path) : std::string();
    // Some of these stores cannot load whole: the window finds the book as it is.
    static_cast<void>(tc.Ctx.RecordBook.Load(kKey));
    tc.Boxes.Clear();
    const std::size_t held = tc.Ctx.RecordBook.Records().size();

    DataEntry* w = tc.Ctx.Windows.Open<DataEntry>(tc.Ctx);
    w->ShowModeless();
    const QStringList typed{"A", "B", "C", "D", "D"};
    Type(w, typed);
    QTest::mouseClick(w->Command1, Qt::LeftButton);

    QCOMPARE(tc.Boxes.Boxes().size(), static_cast<std::size_t>(messages.size()));
    for (int i = 0; i < messages.size(); ++i) {
        const RecordedBox& box = tc.Boxes.Boxes()[static_cast<std::size_t>(i)];
        const QString shown = box.Title + ": " + box.Text;
        QVERIFY2(QRegularExpression(messages[i]).match(shown).hasMatch(), qPrintable(shown));
        QCOMPARE(box.Buttons, MsgButtons::Ok);
        QCOMPARE(box.Icon, box.Title == "LKMR" ? MsgIcon::None : MsgIcon::Exclamation);
    }
    QCOMPARE(fs::is_regular_file(path), isFile);
    if (isFile) QCOMPARE(fixture::ReadBytes(path), before);
    QCOMPARE(tc.Ctx.RecordBook.Records().size(), held);
    QVERIFY(w->isVisible());
    QCOMPARE(BoxTexts(w), typed);
}

void DataEntryTest::closeSavesNothing() {
    TestContext tc;
    tc.Ctx.EncryptionKey = kKey;
    PrepareStore(tc, "two");
    QVERIFY(tc.Ctx.RecordBook.Load(kKey).Complete());
    const std::string before = fixture::ReadBytes(tc.File("lkdb1.lkd"));
    tc.WhenModal<DataEntry>([](DataEntry* w) {
        Type(w, {"A", "B", "C", "D", "D"});
        w->close();
    });
    tc.Ctx.Windows.Open<DataEntry>(tc.Ctx)->ShowModal();

    QCOMPARE(tc.Boxes.Texts(), QStringList());
    QCOMPARE(fixture::ReadBytes(tc.File("lkdb1.lkd")), before);
    QCOMPARE(tc.Ctx.RecordBook.Records().size(), kTwo.size());
    QVERIFY(!tc.Ctx.Windows.Find<DataEntry>());
}

QTEST_MAIN(DataEntryTest)
#include "data_entry_test.moc"
