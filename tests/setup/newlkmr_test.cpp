#include <QPushButton>
#include <QTest>

#include "setup/newlkmr.h"
#include "tests/support/caption_checks.h"
#include "tests/support/test_context.h"
#include "ui/controls.h"

using namespace lockmere;
using namespace lockmere::testing;

namespace {

// The welcome text as it must stand, written out whole.
const std::string kWelcome =
    "Welcome to the Lockmere application.\r\n\r\n"
    "\rBefore you use this program, you will need to establish an encryption string,"
    "\r a user name, and a default password.\r\n\r\n"
    "\rThe user name and password should be the easiest information you can"
    "\r remember although it should not be so easy as that any of your friends"
    "\r can guess what it is!\r\n\r\n"
    "\rAfter creating your user account information you will then be prompted to enter"
    "\r the first entry into your personal password database.\r\n\r\n"
    "\rPress Next to continue . . .";

}  // namespace

class NewlkmrTest : public QObject {
    Q_OBJECT

private slots:
    void textIsKeptByteForByte();
    void onlyCrLfBreaksALine();
    void layout();
    void nextAndCloseBoxContinue_data();
    void nextAndCloseBoxContinue();
};

void NewlkmrTest::textIsKeptByteForByte() {
    QCOMPARE(WelcomeText(), kWelcome);

    // Eight lone CRs, four CR LF CR LF groups, no other control characters.
    const std::string& text = kWelcome;
    int loneCr = 0, groups = 0, others = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text.compare(i, 4, "\r\n\r\n") == 0) {
            ++groups;
            i += 3;
        } else if (text[i] == '\r') {
            ++loneCr;
        } else if (static_cast<unsigned char>(text[i]) < 32) {
            ++others;
        }
    }
    QCOMPARE(loneCr, 8);
    QCOMPARE(groups, 4);
    QCOMPARE(others, 0);
}

void NewlkmrTest::onlyCrLfBreaksALine() {
    TestContext t;
    newlkmr* w = t.Ctx.Windows.Open<newlkmr>(t.Ctx);
    w->ShowModeless();

    // Five paragraphs with a blank line between; a lone CR is not drawn and
    // the continuation pieces bring their own blank.
    const QStringList lines = w->Text1->toPlainText().split(QLatin1Char('\n'));
    QCOMPARE(lines,
             QStringList({QStringLiteral("Welcome to the Lockmere application."), QString(),
                          QStringLiteral("Before you use this program, you will need to establish "
                                         "an encryption string, a user name, and a default "
                                         "password."),
                          QString(),
                          QStringLiteral("The user name and password should be the easiest "
                                         "information you can remember although it should not "
                                         "be so easy as that any of your friends can guess what "
                                         "it is!"),
                          QString(),
                          QStringLiteral("After creating your user account information you will "
                                         "then be prompted to enter the first entry into your "
                                         "personal password database."),
                          QString(), QStringLiteral("Press Next to continue . . .")}));
    QCOMPARE(w->Text1->document()->blockCount(), 9);
}

void NewlkmrTest::layout() {
    TestContext t;
    newlkmr* w = t.Ctx.Windows.Open<newlkmr>(t.Ctx);
    w->ShowModeless();

    QCOMPARE(w->windowTitle(), QStringLiteral(" Welcome to Lockmere"));
    QCOMPARE(w->WidthTwips(), 7680);
    QCOMPARE(w->HeightTwips(), 5190);
    // Centred to the nearest pixel.
    QVERIFY(CentredOnScreen(w, 7680, 5190));

    QVERIFY(PlacedAt(w->Text1, {165, 225, 7080, 3645}));
    QCOMPARE(w->Text1->font().family(), QStringLiteral("MS Sans Serif"));
    QCOMPARE(w->Text1->font().pointSizeF(), 9.75);
    QVERIFY(w->Text1->font().bold());
    QVERIFY(w->Text1->isReadOnly());
    QCOMPARE(w->Text1->lineWrapMode(), QPlainTextEdit::WidgetWidth);

    QVERIFY(PlacedAt(w->Command1, {6030, 4050, 1185, 375}));
    QCOMPARE(w->Command1->text(), QStringLiteral("Next"));
    QVERIFY(FoundByName(w, {{"Text1", w->Text1}, {"Command1", w->Command1}}));
    QVERIFY2(CutCaptions(w).isEmpty(), qPrintable(CutCaptions(w).join('\n')));

    // Keyboard order: the text first, then Next.
    QApplication::setActiveWindow(w);
    QVERIFY(QTest::qWaitForWindowActive(w));
    QCOMPARE(QApplication::focusWidget(), w->Text1);
    QTest::keyClick(w->Text1, Qt::Key_Tab);
    QCOMPARE(QApplication::focusWidget(), w->Command1);
}

void NewlkmrTest::nextAndCloseBoxContinue_data() {
    QTest::addColumn<QString>("how");
    QTest::newRow("Next clicked") << "click";
    QTest::newRow("Next by keyboard") << "key";
    QTest::newRow("Enter in the text") << "enter";
    QTest::newRow("close box") << "close";
}

void NewlkmrTest::nextAndCloseBoxContinue() {
    QFETCH(QString, how);
    TestContext t;
    QPointer<newlkmr> w = t.Ctx.Windows.Open<newlkmr>(t.Ctx);
    bool acted = false;
    t.WhenModal<newlkmr>([&](newlkmr* shown) {
        acted = true;
        if (how == QLatin1String("click")) {
            QTest::mouseClick(shown->Command1, Qt::LeftButton);
        } else if (how == QLatin1String("key")) {
            shown->Command1->setFocus();
            QTest::keyClick(shown->Command1, Qt::Key_Return);
        } else if (how == QLatin1String("enter")) {
            QCOMPARE(QApplication::focusWidget(), shown->Text1);
            QTest::keyClick(shown->Text1, Qt::Key_Return);
        } else {
            shown->close();
        }
    });
    w->ShowModal();

    QVERIFY(acted);
    QVERIFY(!w || w->IsUnloaded());
    QCOMPARE(t.Boxes.Boxes().size(), std::size_t(0));
    // The welcome writes nothing: a later start still finds no key file.
    QVERIFY(!std::filesystem::exists(t.File("lkdb0.lkd")));
}

QTEST_MAIN(NewlkmrTest)
#include "newlkmr_test.moc"
