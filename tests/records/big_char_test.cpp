// The viewer: layout, what its load shows and puts on the clipboard, the
// copy buttons and the address handed to the desktop.
#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QWindow>

#include "app/main_screen.h"
#include "records/big_char.h"
#include "records/record_commands.h"
#include "tests/support/book_fixture.h"
#include "tests/support/caption_checks.h"
#include "tests/support/test_context.h"

using namespace lockmere;
using namespace lockmere::testing;

namespace {

const QByteArray kRecord = "Bank\thttps://bank.example/login\tjo.doe\tpw-1";

BigChar* OpenViewer(TestContext& tc, const QByteArray& line, ViewerPlacement offset = {}) {
    BigChar* w = tc.Ctx.Windows.Open<BigChar>(tc.Ctx, line.toStdString(), offset);
    w->ShowModeless();
    (void)tc.ClipboardService.Calls();  // the load copies the user name; load() checks that
    return w;
}

}  // namespace

class BigCharTest : public QObject {
    Q_OBJECT
private slots:
    void layout_data();
    void layout();
    void window();
    void tabOrder();
    void load_data();
    void load();
    void reopenWithoutANewLine_data();
    void reopenWithoutANewLine();
    void placement_data();
    void placement();
    void copyButtons_data();
    void copyButtons();
    void copyAndMinimize();
    void launchOncePerOpening();
    void launchOpensOnlyWebAddresses_data();
    void launchOpensOnlyWebAddresses();
    void escapeClosesAsTheCloseBoxDoes();
};

void BigCharTest::layout_data() {
    QTest::addColumn<QString>("control");
    QTest::addColumn<QRect>("twips");
    QTest::addColumn<QString>("caption");  // of labels and buttons
    QTest::addColumn<double>("points");
    QTest::addColumn<bool>("bold");
    QTest::newRow("Label3") << "Label3" << QRect(210, 300, 2385, 255) << "Application URL" << 9.75
                            << true;
    QTest::newRow("Text3") << "Text3" << QRect(2520, 255, 7260, 375) << "" << 9.75 << true;
    QTest::newRow("LaunchB") << "LaunchB" << QRect(9890, 480, 1185, 630) << "Launch Browser" << 9.75
                             << true;
    QTest::newRow("Label1") << "Label1" << QRect(195, 720, 1860, 255) << "User Name" << 9.75
                            << true;
    QTest::newRow("CT1") << "CT1" << QRect(2220, 735, 690, 270) << "Copy" << 9.75 << false;
    QTest::newRow("Label2") << "Label2" << QRect(5340, 720, 1800, 315) << "Password" << 9.75
                            << true;
    QTest::newRow("CT2") << "CT2" << QRect(6590, 735, 690, 270) << "Copy" << 9.75 << false;
    QTest::newRow("CT3") << "CT3" << QRect(7380, 735, 2310, 270) << "Copy and Minimize" << 9.75
                         << false;
    QTest::newRow("Text1") << "Text1" << QRect(120, 1050, 4500, 375) << "" << 12.0 << true;
    QTest::newRow("Text2") << "Text2" << QRect(5310, 1050, 4440, 375) << "" << 12.0 << true;
}

void BigCharTest::layout() {
    QFETCH(QString, control);
    QFETCH(QRect, twips);
    QFETCH(QString, caption);
    QFETCH(double, points);
    QFETCH(bool, bold);
    TestContext tc;
    BigChar* w = OpenViewer(tc, kRecord);
    const std::map<QString, QWidget*> controls{
        {"Label1", w->Label1}, {"Label2", w->Label2},  {"Label3", w->Label3}, {"Text1", w->Text1},
        {"Text2", w->Text2},   {"Text3", w->Text3},    {"CT1", w->CT1},       {"CT2", w->CT2},
        {"CT3", w->CT3},       {"LaunchB", w->LaunchB}};
    QWidget* widget = controls.at(control);
    QCOMPARE(w->findChild<QWidget*>(control), widget);  // found by its name

    QVERIFY(PlacedAt(widget, twips));
    QCOMPARE(widget->font().family(), QStringLiteral("Courier"));
    if (caption.isEmpty())
        QCOMPARE(widget->font().pointSizeF(), points);
    else
        QVERIFY(SizedToFit(widget, points));
    QCOMPARE(widget->font().bold(), bold);
    if (auto* label = qobject_cast<QLabel*>(widget)) QCOMPARE(label->text(), caption);
    if (auto* button = qobject_cast<QPushButton*>(widget)) QCOMPARE(button->text(), caption);
    if (auto* box = qobject_cast<QLineEdit*>(widget)) {
        QCOMPARE(box->palette().color(QPalette::Base),
                 QApplication::palette().color(QPalette::ToolTipBase));
        QCOMPARE(box->echoMode(), QLineEdit::Normal);  // the password in clear
        QVERIFY(!box->isReadOnly());
    }
}

void BigCharTest::window() {
    TestContext tc;
    BigChar* w = tc.Ctx.Windows.Open<BigChar>(tc.Ctx, std::string(), ViewerPlacement{});
    QCOMPARE(w->windowTitle(), QStringLiteral(" Lockmere"));
    QCOMPARE(w->font().family(), QStringLiteral("Courier"));
    QCOMPARE(w->font().pointSizeF(), 12.0);
    QVERIFY(w->font().bold());
    w->ShowModeless();
    (void)tc.ClipboardService.Calls();  // the load's copy, as in OpenViewer
    // The viewer's size is its inside.
    QCOMPARE(w->size(), QSize(TwipsToPixels(11280), TwipsToPixels(1650)));
    QVERIFY2(CutCaptions(w).isEmpty(), qPrintable(CutCaptions(w).join('\n')));
    // The tall launch button takes its caption on two lines at full size.
    QCOMPARE(w->LaunchB->font().pointSizeF(), 9.75);
}

void BigCharTest::tabOrder() {
    TestContext tc;
    BigChar* w = OpenViewer(tc, kRecord);
    QVERIFY(QTest::qWaitForWindowActive(w));
    const QList<QWidget*> order{w->Text1, w->Text2,   w->CT1, w->CT2,
                                w->Text3, w->LaunchB, w->CT3, w->Text1};
    QCOMPARE(QApplication::focusWidget(), order.first());
    for (int i = 1; i < order.size(); ++i) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), order[i]);
    }
}

void BigCharTest::load_data() {
    QTest::addColumn<QByteArray>("line");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QStringList>("boxes");  // Text3 (URL), Text1 (user), Text2 (password)
    QTest::addColumn<bool>("launch");
    QTest::newRow("record") << kRecord << "Bank"
                            << QStringList{"https://bank.example/login", "jo.doe", "pw-1"} << true;
    QTest::newRow("N/A") << QByteArray("Mail\tN/A\tme\tp") << "Mail"
                         << QStringList{"N/A", "me", "p"} << false;
    QTest::newRow("n/a") << QByteArray("Mail\tn/a\tme\tp") << "Mail"
                         << QStringList{"n/a", "me", "p"} << false;
    QTest::newRow("N/a") << QByteArray("Mail\tN/a\tme\tp") << "Mail"
                         << QStringList{"N/a", "me", "p"} << false;
    QTest::newRow("space before N/A")
        << QByteArray("Mail\t N/A\tme\tp") << "Mail" << QStringList{" N/A", "me", "p"} << true;
    QTest::newRow("NA") << QByteArray("Mail\tNA\tme\tp") << "Mail" << QStringList{"NA", "me", "p"}
                        << true;
    QTest::newRow("no tab") << QByteArray("just one text") << " Lockmere"
                            << QStringList{"", "", "just one text"} << true;
    QTest::newRow("empty line") << QByteArray() << " Lockmere" << QStringList{"", "", ""} << true;
    QTest::newRow("five tabs") << QByteArray("a\tb\tc\td\te\tf") << "a"
                               << QStringList{"b", "c", "f"} << true;
    QTest::newRow("one tab") << QByteArray("Name\tpass") << "Name" << QStringList{"", "", "pass"}
                             << true;
    QTest::newRow("[*] in the name") << QByteArray("My [*] Bank\tu\tn\tp") << "My [*] Bank"
                                     << QStringList{"u", "n", "p"} << true;
    QTest::newRow("[*][*] in the name")
        << QByteArray("[*][*]\tu\tn\tp") << "[*][*]" << QStringList{"u", "n", "p"} << true;
    QTest::newRow("empty name") << QByteArray("\tu\tn\tp") << "" << QStringList{"u", "n", "p"}
                                << true;
    QTest::newRow("Windows-1252 characters from the store")
        << QByteArray("Caf\xe9\thttp://x\tJos\xe9\t\x80\xff") << QString::fromUtf8("Caf\u00e9")
        << QStringList{"http://x", QString::fromUtf8("Jos\u00e9"),
                       QString::fromUtf8("\u20ac\u00ff")}
        << true;
}

void BigCharTest::load() {
    QFETCH(QByteArray, line);
    QFETCH(QString, caption);
    QFETCH(QStringList, boxes);
    QFETCH(bool, launch);
    // A viewer already open on another record takes the line as a fresh
    // one does, where the user left it.
    for (const bool overAnother : {false, true}) {
        TestContext tc;
        BigChar* w = nullptr;
        QPoint place(0, 0);
        if (overAnother) {
            w = OpenViewer(tc, "Other\thttps://other.example\tother.user\tother-pw");
            QTest::mouseClick(w->LaunchB, Qt::LeftButton);
            QCOMPARE(tc.Shell.Opened(), QStringList{"https://other.example"});
            w->Text2->setText(QStringLiteral("edited"));
            place = QPoint(40, 30);
            w->move(place);
            OpenRecordViewer(tc.Ctx, line.toStdString(), 700);
            QCOMPARE(tc.Ctx.Windows.Find<BigChar>(), w);
        } else {
            w = OpenViewer(tc, line);
        }

        // The caption as the window shows it.
        QVERIFY(w->windowHandle());
        QCOMPARE(w->windowHandle()->title(), caption);
        QCOMPARE((QStringList{w->Text3->text(), w->Text1->text(), w->Text2->text()}), boxes);
        QCOMPARE(w->LaunchB->isEnabled(), launch);
        QCOMPARE(w->pos(), place);
        // The user name replaces whatever the clipboard held, even when empty.
        const QStringList load{"clear", "set " + boxes[1]};
        QCOMPARE(tc.ClipboardService.Calls().mid(overAnother ? 2 : 0), load);
        QCOMPARE(tc.Shell.Opened().size(), overAnother ? 1 : 0);
        QCOMPARE(tc.Boxes.Texts(), QStringList());
    }
}

void BigCharTest::reopenWithoutANewLine_data() {
    QTest::addColumn<bool>("sameLine");
    QTest::newRow("the line it shows") << true;
    QTest::newRow("no line chosen") << false;
}

void BigCharTest::reopenWithoutANewLine() {
    QFETCH(bool, sameLine);
    TestContext tc;
    BigChar* w = OpenViewer(tc, kRecord);
    QTest::mouseClick(w->CT2, Qt::LeftButton);
    QTest::mouseClick(w->LaunchB, Qt::LeftButton);
    QCOMPARE(tc.Shell.Opened().size(), 1);
    tc.ClipboardService.ForgetCalls();
    w->move(40, 30);

    // Only brought forward: the password just copied stays on the clipboard.
    OpenRecordViewer(tc.Ctx, sameLine ? std::optional(kRecord.toStdString()) : std::nullopt, 700);
    QCOMPARE(tc.Ctx.Windows.Find<BigChar>(), w);
    QCOMPARE(tc.ClipboardService.Calls(), QStringList());
    QCOMPARE(tc.ClipboardService.Text(), QStringLiteral("pw-1"));
    QVERIFY(!w->LaunchB->isEnabled());
    QCOMPARE(w->pos(), QPoint(40, 30));
    QCOMPARE(w->windowTitle(), QStringLiteral("Bank"));
}

void BigCharTest::placement_data() {
    QTest::addColumn<int>("horizontal");
    QTest::addColumn<int>("vertical");
    QTest::newRow("double-click") << 0 << 0;
    QTest::newRow("Enter") << 700 << 700;
    QTest::newRow("axes kept apart") << 300 << 1200;
}

void BigCharTest::placement() {
    QFETCH(int, horizontal);
    QFETCH(int, vertical);
    TestContext tc;
    BigChar* w = OpenViewer(tc, kRecord,
                            ViewerPlacement{static_cast<std::int16_t>(vertical),
                                            static_cast<std::int16_t>(horizontal)});
    QCOMPARE(w->pos(), QPoint(TwipsToPixels(horizontal), TwipsToPixels(vertical)));
}

// clang-format off
void BigCharTest::copyButtons_data() {
    QTest::addColumn<QString>("button");
    QTest::addColumn<QString>("copied");
    QTest::newRow("CT1 copies the user name") << "CT1" << "edited user";
    QTest::newRow("CT2 copies the password") << "CT2" << "edited password";
}
// clang-format on

void BigCharTest::copyButtons() {
    QFETCH(QString, button);
    QFETCH(QString, copied);
    TestContext tc;
    BigChar* w = OpenViewer(tc, kRecord);
    QVERIFY(QTest::qWaitForWindowActive(w));
    // What stands in the boxes when the button is pressed is what is copied.
    w->Text1->setText("edited user");
    w->Text2->setText("edited password");
    QPushButton* pressed = button == "CT1" ? w->CT1 : w->CT2;
    QWidget* box = button == "CT1" ? w->Text1 : w->Text2;
    tc.ClipboardService.ForgetCalls();
    QTest::mouseClick(pressed, Qt::LeftButton);

    QCOMPARE(tc.ClipboardService.Calls(), (QStringList{"clear", "set " + copied}));
    QCOMPARE(QApplication::focusWidget(), box);
    QVERIFY(w->isVisible());
}

void BigCharTest::copyAndMinimize() {
    TestContext tc;
    fixture::WriteBytes(tc.File("lkdb0.lkd"),
                        fixture::KeyFileBytes(fixture::Collected(), "u", "m"));
    MainScreen* main = tc.Ctx.Windows.Open<MainScreen>(tc.Ctx);
    main->ShowModeless();
    BigChar* w = OpenViewer(tc, kRecord);
    w->Text2->setText("typed over");
    tc.ClipboardService.ForgetCalls();
    QTest::mouseClick(w->CT3, Qt::LeftButton);

    QCOMPARE(tc.ClipboardService.Calls(), (QStringList{"clear", "set typed over"}));
    QVERIFY(w->IsUnloaded());
    QVERIFY(!w->isVisible());
    QVERIFY(main->isMinimized());
    QVERIFY(!tc.Ctx.Windows.Find<BigChar>());
}

void BigCharTest::launchOncePerOpening() {
    TestContext tc;
    BigChar* w = OpenViewer(tc, "Shop\t  https://shop.example/a b  \tkim\tpw");
    QTest::mouseClick(w->LaunchB, Qt::LeftButton);
    QCOMPARE(tc.Shell.Opened(), QStringList{"https://shop.example/a b"});
    QVERIFY(!w->LaunchB->isEnabled());
    QTest::mouseClick(w->LaunchB, Qt::LeftButton);
    QCOMPARE(tc.Shell.Opened().size(), 1);

    // A new opening offers it again, with what the box holds at the click.
    w->close();
    QVERIFY(!tc.Ctx.Windows.Find<BigChar>());
    w = OpenViewer(tc, "Shop\thttps://shop.example\tkim\tpw");
    QVERIFY(w->LaunchB->isEnabled());
    w->Text3->setText(" http://edited.example ");
    QTest::mouseClick(w->LaunchB, Qt::LeftButton);
    QCOMPARE(tc.Shell.Opened(), (QStringList{"https://shop.example/a b", "http://edited.example"}));
    QVERIFY(tc.ClipboardService.Calls().size() == 4);  // only the two loads
}

void BigCharTest::launchOpensOnlyWebAddresses_data() {
    QTest::addColumn<QByteArray>("address");
    QTest::addColumn<QString>("opened");  // empty: refused with a message
    QTest::newRow("https") << QByteArray("https://bank.example") << "https://bank.example";
    QTest::newRow("a web site's name")
        << QByteArray(" www.bank.example/login ") << "http://www.bank.example/login";
    QTest::newRow("a file URL") << QByteArray("file:///home/x/evil.sh") << "";
    QTest::newRow("a file's path") << QByteArray("/home/x/evil.sh") << "";
    QTest::newRow("another scheme") << QByteArray("ms-msdt:/id PCWDiagnostic") << "";
    QTest::newRow("a UNC path") << QByteArray("\\\\server\\share\\setup.exe") << "";
}

void BigCharTest::launchOpensOnlyWebAddresses() {
    QFETCH(QByteArray, address);
    QFETCH(QString, opened);
    TestContext tc;
    BigChar* w = OpenViewer(tc, "Shop\t" + address + "\tkim\tpw");
    QTest::mouseClick(w->LaunchB, Qt::LeftButton);
    QVERIFY(!w->LaunchB->isEnabled());
    if (!opened.isEmpty()) {
        QCOMPARE(tc.Shell.Opened(), QStringList{opened});
        QCOMPARE(tc.Boxes.Texts(), QStringList());
        return;
    }
    QCOMPARE(tc.Shell.Opened(), QStringList());
    const QString shown = QString::fromUtf8(address.trimmed());
    QVERIFY(OneBoxShown(tc.Boxes,
                        "The address \"" + shown +
                            "\" is not a web address, so it was not opened.\r"
                            "Launch Browser opens addresses that start with http:// or https://, "
                            "and web site names such as www.example.com.",
                        QStringLiteral("LKMR - Message Center"), MsgButtons::Ok,
                        MsgIcon::Exclamation));
}

void BigCharTest::escapeClosesAsTheCloseBoxDoes() {
    TestContext tc;
    BigChar* w = OpenViewer(tc, kRecord);
    QVERIFY(QTest::qWaitForWindowActive(w));
    tc.ClipboardService.ForgetCalls();
    QTest::keyClick(w->Text2, Qt::Key_Escape);

    QVERIFY(w->IsUnloaded());
    QVERIFY(!tc.Ctx.Windows.Find<BigChar>());
    QCOMPARE(tc.ClipboardService.Calls(), QStringList());
    QVERIFY(tc.Shell.Opened().isEmpty());
}

QTEST_MAIN(BigCharTest)
#include "big_char_test.moc"
