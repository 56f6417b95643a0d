// What the add and the edit window share: boxes that refuse what would pass
// their limits (a paste with a message, typing with the system's beep), and
// Enter and Escape as on a window with one button.
#include <QApplication>
#include <QClipboard>
#include <QPointer>
#include <QPushButton>
#include <QTest>

#include "records/data_entry.h"
#include "records/edit_record.h"
#include "tests/support/book_fixture.h"
#include "tests/support/test_context.h"
#include "ui/limited_line_edit.h"

using namespace lockmere;
using namespace lockmere::testing;

namespace {

const std::string kKey = fixture::KeyOf(fixture::Collected());
const QString kTitle = QStringLiteral("LKMR - Message Center");

RecordForm* OpenForm(TestContext& tc, const QString& window) {
    RecordForm* form = nullptr;
    if (window == QLatin1String("add"))
        form = tc.Ctx.Windows.Open<DataEntry>(tc.Ctx);
    else
        form = tc.Ctx.Windows.Open<EditRecord>(tc.Ctx);
    form->ShowModeless();
    return form;
}

LimitedLineEdit* Box(RecordForm* form, int number) {
    LimitedLineEdit* boxes[] = {form->Text1, form->Text2, form->Text3, form->Text4, form->Text5};
    return boxes[number - 1];
}

void Fill(RecordForm* form, const QStringList& texts) {
    for (int i = 0; i < 5; ++i) Box(form, i + 1)->setText(texts[i]);
}

}  // namespace

class RecordFormTest : public QObject {
    Q_OBJECT
private slots:
    void pasteIsTakenWholeOrNotAtAll_data();
    void pasteIsTakenWholeOrNotAtAll();
    void typingPastTheLimitBeeps_data();
    void typingPastTheLimitBeeps();
    void enterSavesTheAddedRecord();
    void enterHandsTheEditedRecordBack();
    void escapeClosesAsTheCloseBoxDoes_data();
    void escapeClosesAsTheCloseBoxDoes();
};

// clang-format off
void RecordFormTest::pasteIsTakenWholeOrNotAtAll_data() {
    QTest::addColumn<QString>("window");
    QTest::addColumn<int>("box");          // Text1 .. Text5
    QTest::addColumn<QString>("before");
    QTest::addColumn<int>("selStart");     // -1: no selection, the cursor at the end
    QTest::addColumn<int>("selLength");
    QTest::addColumn<QString>("pasted");
    QTest::addColumn<QString>("result");   // the box afterwards
    QTest::addColumn<QString>("message");  // empty: none

    const QString pw21 = QStringLiteral("Tr0ub4dor&3-horse-bat");
    QTest::newRow("Password: 21 pasted into an empty box")
        << "add" << 4 << "" << -1 << 0 << pw21 << ""
        << "The Password box holds at most 15 characters; the text you pasted has 21. Nothing was pasted.";
    QTest::newRow("Password: 15 pasted")
        << "add" << 4 << "" << -1 << 0 << pw21.left(15) << pw21.left(15) << "";
    QTest::newRow("Confirm Password: fits alone, not beside the text")
        << "add" << 5 << "abcdefghij" << -1 << 0 << "123456" << "abcdefghij"
        << "The Confirm Password box holds at most 15 characters; with the text you pasted it would hold 16. Nothing was pasted.";
    QTest::newRow("Confirm Password: the selection makes room")
        << "add" << 5 << "abcdefghij" << 0 << 5 << "123456" << "123456fghij" << "";
    QTest::newRow("Application Name: 50 after the selection is replaced")
        << "add" << 1 << QString(45, 'n') << 40 << 5 << QString(10, 'p')
        << QString(40, 'n') + QString(10, 'p') << "";
    QTest::newRow("Application Name: 51 after the selection is replaced")
        << "add" << 1 << QString(45, 'n') << 40 << 4 << QString(10, 'p') << QString(45, 'n')
        << "The Application Name box holds at most 50 characters; with the text you pasted it would hold 51. Nothing was pasted.";
    QTest::newRow("Application URL: 501")
        << "add" << 2 << QString(499, 'u') << -1 << 0 << "xy" << QString(499, 'u')
        << "The Application URL box holds at most 500 characters; with the text you pasted it would hold 501. Nothing was pasted.";
    QTest::newRow("User Name: 41 pasted over everything")
        << "add" << 3 << "jo" << 0 << 2 << QString(41, 'j') << "jo"
        << "The User Name box holds at most 40 characters; the text you pasted has 41. Nothing was pasted.";
    QTest::newRow("edit, User Name: 40 pasted over everything")
        << "edit" << 3 << "jo" << 0 << 2 << QString(40, 'j') << QString(40, 'j') << "";
    QTest::newRow("edit, Password: 16")
        << "edit" << 4 << "pw1" << -1 << 0 << QString(13, 'p') << "pw1"
        << "The Password box holds at most 15 characters; with the text you pasted it would hold 16. Nothing was pasted.";
    QTest::newRow("edit, Application URL: 600 over a selection of 100")
        << "edit" << 2 << QString(200, 'u') << 0 << 100 << QString(600, 'x') << QString(200, 'u')
        << "The Application URL box holds at most 500 characters; the text you pasted has 600. Nothing was pasted.";
}
// clang-format on

void RecordFormTest::pasteIsTakenWholeOrNotAtAll() {
    QFETCH(QString, window);
    QFETCH(int, box);
    QFETCH(QString, before);
    QFETCH(int, selStart);
    QFETCH(int, selLength);
    QFETCH(QString, pasted);
    QFETCH(QString, result);
    QFETCH(QString, message);
    TestContext tc;
    RecordForm* form = OpenForm(tc, window);
    LimitedLineEdit* target = Box(form, box);
    target->setText(before);
    if (selStart >= 0) target->setSelection(selStart, selLength);
    const QString selected = target->selectedText();
    QGuiApplication::clipboard()->setText(pasted);

    QTest::keySequence(target, QKeySequence::Paste);

    QCOMPARE(target->text(), result);
    if (message.isEmpty()) {
        QVERIFY(tc.Boxes.Boxes().empty());
    } else {
        QVERIFY(OneBoxShown(tc.Boxes, message, kTitle, MsgButtons::Ok, MsgIcon::Exclamation));
        // Exactly as it was: the selection too.
        QCOMPARE(target->selectedText(), selected);
    }
    QCOMPARE(tc.Speaker.Beeps, 0);
}

void RecordFormTest::typingPastTheLimitBeeps_data() {
    QTest::addColumn<QString>("window");
    QTest::newRow("add") << "add";
    QTest::newRow("edit") << "edit";
}

void RecordFormTest::typingPastTheLimitBeeps() {
    QFETCH(QString, window);
    TestContext tc;
    RecordForm* form = OpenForm(tc, window);
    QTest::keyClicks(form->Text4, "0123456789abcdefg");
    QCOMPARE(form->Text4->text(), QStringLiteral("0123456789abcde"));
    QCOMPARE(tc.Speaker.Beeps, 2);
    QVERIFY(tc.Boxes.Boxes().empty());
}

void RecordFormTest::enterSavesTheAddedRecord() {
    TestContext tc;
    tc.Ctx.EncryptionKey = kKey;
    QPointer<RecordForm> form = OpenForm(tc, QStringLiteral("add"));
    QVERIFY(QTest::qWaitForWindowActive(form));
    Fill(form, {"Shop", "N/A", "kim", "pw", "pw"});
    QTest::keyClick(form->Text3, Qt::Key_Return);

    QVERIFY(!form || form->IsUnloaded());
    QVERIFY(fixture::DecodeStore(fixture::ReadBytes(tc.File("lkdb1.lkd")), kKey) ==
            std::vector<fixture::Fields>({{"Shop", "N/A", "kim", "pw"}}));
}

void RecordFormTest::enterHandsTheEditedRecordBack() {
    TestContext tc;
    tc.WhenModal<EditRecord>([](EditRecord* w) {
        w->Text3->setText(QStringLiteral("kim"));
        QTest::keyClick(w->Text1, Qt::Key_Enter, Qt::KeypadModifier);
    });
    const std::optional<PasswordRecord> edited =
        EditRecord::Edit(tc.Ctx, {"Shop", "N/A", "jo", "pw"});
    QVERIFY(edited);
    QCOMPARE(edited->UserName, std::string("kim"));
}

void RecordFormTest::escapeClosesAsTheCloseBoxDoes_data() {
    QTest::addColumn<QString>("window");
    QTest::newRow("add") << "add";
    QTest::newRow("edit") << "edit";
}

void RecordFormTest::escapeClosesAsTheCloseBoxDoes() {
    QFETCH(QString, window);
    TestContext tc;
    tc.Ctx.EncryptionKey = kKey;
    std::optional<PasswordRecord> edited;
    bool closed = false;
    auto act = [&closed](RecordForm* w) {
        Fill(w, {"Shop", "N/A", "kim", "pw", "pw"});
        QTest::keyClick(w->Text2, Qt::Key_Escape);
        closed = w->IsUnloaded();
    };
    if (window == QLatin1String("add")) {
        tc.WhenModal<DataEntry>(act);
        tc.Ctx.Windows.Open<DataEntry>(tc.Ctx)->ShowModal();
    } else {
        tc.WhenModal<EditRecord>(act);
        edited = EditRecord::Edit(tc.Ctx, {"Bank", "N/A", "jo", "pw1"});
    }

    QVERIFY(closed);
    QVERIFY(!edited);
    QVERIFY(!std::filesystem::exists(tc.File("lkdb1.lkd")));
    QVERIFY(tc.Boxes.Boxes().empty());
}

QTEST_MAIN(RecordFormTest)
#include "record_form_test.moc"
