// The edit window: filled from a record, hands the checked one back and
// writes no file itself.
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include <functional>
#include <optional>

#include "records/edit_record.h"
#include "tests/support/caption_checks.h"
#include "tests/support/test_context.h"

using namespace lockmere;
using namespace lockmere::testing;

namespace {

const QString kTitle = QStringLiteral("LKMR - Message Center");

// Runs the window modally on `line`; `step` acts in it, and the window is
// closed after it when it is still open. Gives the window's result.
std::optional<QByteArray> Edit(TestContext& tc, const QByteArray& line,
                               const std::function<void(EditRecord*)>& step) {
    tc.WhenModal<EditRecord>([&](EditRecord* w) {
        step(w);
        if (!w->IsUnloaded()) w->close();
    });
    const std::optional<PasswordRecord> edited =
        EditRecord::Edit(tc.Ctx, SplitRecordLine(line.toStdString()));
    if (!edited) return std::nullopt;
    return QByteArray::fromStdString(ComposeRecordLine(*edited));
}

QStringList BoxTexts(EditRecord* w) {
    return {w->Text1->text(), w->Text2->text(), w->Text3->text(), w->Text4->text(),
            w->Text5->text()};
}

void Type(EditRecord* w, const QStringList& texts) {
    QLineEdit* boxes[] = {w->Text1, w->Text2, w->Text3, w->Text4, w->Text5};
    for (int i = 0; i < 5; ++i) boxes[i]->setText(texts[i]);
}

}  // namespace

class EditRecordTest : public QObject {
    Q_OBJECT
private slots:
    void load_data();
    void load();
    void save_data();
    void save();
    void refusals_data();
    void refusals();
    void closeHandsNothingBack();
};

void EditRecordTest::load_data() {
    QTest::addColumn<QByteArray>("line");
    QTest::addColumn<QStringList>("boxes");
    QTest::newRow("record") << QByteArray("Bank\thttps://bank.example\tjo\tpw1")
                            << QStringList{"Bank", "https://bank.example", "jo", "pw1", "pw1"};
    QTest::newRow("more than three tabs")
        << QByteArray("a\tb\tc\td\te\tf") << QStringList{"a", "b", "c", "f", "f"};
    QTest::newRow("no tab") << QByteArray("lonely") << QStringList{"", "", "", "lonely", "lonely"};
    QTest::newRow("Windows-1252 characters")
        << QByteArray("Caf\xe9\tu\tn\t\x80")
        << QStringList{QString::fromUtf8("Caf\u00e9"), "u", "n", QString::fromUtf8("\u20ac"),
                       QString::fromUtf8("\u20ac")};
    // A store written elsewhere may hold longer fields than the boxes take
    // by typing: they are shown whole, never cut.
    QTest::newRow("longer than the boxes take")
        << QByteArray("n\tu\t" + QByteArray(41, 'u') + "\t" + QByteArray(20, 'p'))
        << QStringList{"n", "u", QString(41, 'u'), QString(20, 'p'), QString(20, 'p')};
}

void EditRecordTest::load() {
    QFETCH(QByteArray, line);
    QFETCH(QStringList, boxes);
    TestContext tc;
    const std::optional<QByteArray> result = Edit(tc, line, [&](EditRecord* w) {
        QCOMPARE(BoxTexts(w), boxes);
        QCOMPARE(w->windowTitle(), QStringLiteral("Password Data Edit Form"));
        QCOMPARE(w->WidthTwips(), 10215);
        QCOMPARE(w->HeightTwips(), 3330);
        QCOMPARE(w->Command1->text(), QStringLiteral("Save Password Data"));
        QCOMPARE(w->Text4->echoMode(), QLineEdit::Password);
        QCOMPARE(w->Text5->echoMode(), QLineEdit::Password);
        QVERIFY2(CutCaptions(w).isEmpty(), qPrintable(CutCaptions(w).join('\n')));
    });
    QVERIFY(!result);
}

void EditRecordTest::save_data() {
    QTest::addColumn<QByteArray>("line");
    QTest::addColumn<QStringList>("typed");  // empty: saved as loaded
    QTest::addColumn<QByteArray>("handedBack");
    const QByteArray record = "Bank\thttps://bank.example\tjo\tpw1";
    QTest::newRow("unchanged") << record << QStringList() << record;
    QTest::newRow("changed and trimmed")
        << record << QStringList{" Bank ", "N/A", "  joe", "new pw ", " new pw"}
        << QByteArray("Bank\tN/A\tjoe\tnew pw");
    QTest::newRow("more than three tabs becomes a well-formed line")
        << QByteArray("a\tb\tc\td\te\tf") << QStringList() << QByteArray("a\tb\tc\tf");
    QTest::newRow("long password kept whole")
        << QByteArray("n\tu\tm\t" + QByteArray(20, 'p')) << QStringList()
        << QByteArray("n\tu\tm\t" + QByteArray(20, 'p'));
    QTest::newRow("highest code a field may hold")
        << record << QStringList{QString::fromUtf8("\u0178"), "u", "n", "p", "p"}
        << QByteArray("\x9f\tu\tn\tp");
}

void EditRecordTest::save() {
    QFETCH(QByteArray, line);
    QFETCH(QStringList, typed);
    QFETCH(QByteArray, handedBack);
    TestContext tc;
    bool closed = false;
    const std::optional<QByteArray> result = Edit(tc, line, [&](EditRecord* w) {
        if (!typed.isEmpty()) Type(w, typed);
        QTest::mouseClick(w->Command1, Qt::LeftButton);
        closed = w->IsUnloaded();
    });

    QVERIFY(closed);
    QCOMPARE(result, std::optional<QByteArray>(handedBack));
    QCOMPARE(tc.Boxes.Texts(), QStringList());
    QVERIFY(std::filesystem::is_empty(tc.Folder.Path()));  // the command saves, not the window
}

// clang-format off
void EditRecordTest::refusals_data() {
    QTest::addColumn<QStringList>("typed");
    QTest::addColumn<QString>("message");
    QTest::addColumn<QStringList>("left");
    QTest::newRow("blank user name")
        << QStringList{"Bank", "u", "  ", "pw1", "pw1"}
        << "ERROR: None of the Data Fields can be Blank!"
        << QStringList{"Bank", "u", "  ", "pw1", "pw1"};
    QTest::newRow("only the password changed")
        << QStringList{"Bank", "u", "jo", "pw2", "pw1"}
        << "ERROR: The passwords did not match. Please try again!"
        << QStringList{"Bank", "u", "jo", "", ""};
    QTest::newRow("tab in the URL")
        << QStringList{"Bank", "a\tb", "jo", "pw1", "pw1"}
        << "ERROR: The tab character cannot be stored in Application URL. Please remove it."
        << QStringList{"Bank", "a\tb", "jo", "pw1", "pw1"};
    QTest::newRow("euro sign kept from the store")
        << QStringList{"Bank", "u", "jo", QString::fromUtf8("\u20ac"), QString::fromUtf8("\u20ac")}
        << QString::fromUtf8(
               "ERROR: The character \"\u20ac\" cannot be stored in Password. Please remove it.")
        << QStringList{"Bank", "u", "jo", QString::fromUtf8("\u20ac"), QString::fromUtf8("\u20ac")};
}
// clang-format on

void EditRecordTest::refusals() {
    QFETCH(QStringList, typed);
    QFETCH(QString, message);
    QFETCH(QStringList, left);
    TestContext tc;
    const QByteArray line = "Bank\thttps://bank.example\tjo\tpw1";
    const std::optional<QByteArray> result = Edit(tc, line, [&](EditRecord* w) {
        Type(w, typed);
        QTest::mouseClick(w->Command1, Qt::LeftButton);
        QVERIFY(OneBoxShown(tc.Boxes, message, kTitle, MsgButtons::Ok, MsgIcon::Exclamation));
        QVERIFY(w->isVisible());
        QCOMPARE(BoxTexts(w), left);
    });
    QVERIFY(!result);
}

void EditRecordTest::closeHandsNothingBack() {
    TestContext tc;
    const std::optional<QByteArray> result = Edit(tc, "Bank\tu\tjo\tpw1", [](EditRecord* w) {
        Type(w, {"Other", "u", "jo", "pw1", "pw1"});
        w->close();
    });
    QVERIFY(!result);
    QVERIFY(!tc.Ctx.Windows.Find<EditRecord>());
    QCOMPARE(tc.Boxes.Texts(), QStringList());
}

QTEST_MAIN(EditRecordTest)
#include "edit_record_test.moc"
