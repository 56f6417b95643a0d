#include <QAbstractButton>
#include <QApplication>
#include <QClipboard>
#include <QDesktopServices>
#include <QDir>
#include <QLabel>
#include <QMessageBox>
#include <QMimeData>
#include <QPushButton>
#include <QTest>
#include <QUrl>

#include "tests/support/test_context.h"
#include "ui/drive_list.h"
#include "ui/qt_services.h"

using namespace lockmere;
using namespace lockmere::testing;

Q_DECLARE_METATYPE(lockmere::MsgButtons)
Q_DECLARE_METATYPE(lockmere::MsgIcon)
Q_DECLARE_METATYPE(lockmere::MsgAnswer)

namespace {

// Receives what QDesktopServices hands to the desktop.
class UrlSink : public QObject {
    Q_OBJECT
public:
    QList<QUrl> Opened;
public slots:
    void Open(const QUrl& url) { Opened.append(url); }
};

}  // namespace

class QtServicesTest : public QObject {
    Q_OBJECT

private slots:
    void lineBreaks_data();
    void lineBreaks();
    void messageBox_data();
    void messageBox();
    void clipboardTextCarriesSecretHint();
    void shellOpensTheWebAddressAsGiven_data();
    void shellOpensTheWebAddressAsGiven();
    void volumesStartAtRoot();
};

void QtServicesTest::lineBreaks_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("shown");
    QTest::newRow("carriage return alone") << QStringLiteral("a\rb") << QStringLiteral("a\nb");
    QTest::newRow("line feed alone") << QStringLiteral("a\nb") << QStringLiteral("a\nb");
    QTest::newRow("both together break once") << QStringLiteral("a\r\nb") << QStringLiteral("a\nb");
    QTest::newRow("empty line between pieces")
        << QStringLiteral("lost!\r\rDo you") << QStringLiteral("lost!\n\nDo you");
    QTest::newRow("line feed then carriage return")
        << QStringLiteral("a\n\rb") << QStringLiteral("a\n\nb");
}

void QtServicesTest::lineBreaks() {
    QFETCH(QString, text);
    QFETCH(QString, shown);
    QCOMPARE(MessageDisplayText(text), shown);
}

void QtServicesTest::messageBox_data() {
    QTest::addColumn<MsgButtons>("buttons");
    QTest::addColumn<MsgIcon>("icon");
    QTest::addColumn<int>("press");  // a QMessageBox::StandardButton, or Escape or Enter
    QTest::addColumn<int>("shownIcon");
    QTest::addColumn<MsgAnswer>("answer");

    QTest::newRow("ok, exclamation")
        << MsgButtons::Ok << MsgIcon::Exclamation << int(QMessageBox::Ok)
        << int(QMessageBox::Warning) << MsgAnswer::Ok;
    QTest::newRow("ok, information")
        << MsgButtons::Ok << MsgIcon::Information << int(QMessageBox::Ok)
        << int(QMessageBox::Information) << MsgAnswer::Ok;
    QTest::newRow("ok, critical, escape")
        << MsgButtons::Ok << MsgIcon::Critical << int(Qt::Key_Escape) << int(QMessageBox::Critical)
        << MsgAnswer::Ok;
    QTest::newRow("yes") << MsgButtons::YesNo << MsgIcon::None << int(QMessageBox::Yes)
                         << int(QMessageBox::NoIcon) << MsgAnswer::Yes;
    QTest::newRow("no, question") << MsgButtons::YesNo << MsgIcon::Question << int(QMessageBox::No)
                                  << int(QMessageBox::Question) << MsgAnswer::No;
    QTest::newRow("escape on a question is no")
        << MsgButtons::YesNo << MsgIcon::None << int(Qt::Key_Escape) << int(QMessageBox::NoIcon)
        << MsgAnswer::No;
    QTest::newRow("enter on a question is no")
        << MsgButtons::YesNo << MsgIcon::None << int(Qt::Key_Return) << int(QMessageBox::NoIcon)
        << MsgAnswer::No;
}

void QtServicesTest::messageBox() {
    QFETCH(MsgButtons, buttons);
    QFETCH(MsgIcon, icon);
    QFETCH(int, press);
    QFETCH(int, shownIcon);
    QFETCH(MsgAnswer, answer);

    TestContext t;
    const QString text = QStringLiteral("ERROR: <b>first</b>\rsecond & third");
    const QString title = QStringLiteral("LKMR - Message Center");
    t.WhenModal<QMessageBox>([&](QMessageBox* box) {
        QCOMPARE(box->windowTitle(), title);
        QCOMPARE(box->text(), QStringLiteral("ERROR: <b>first</b>\nsecond & third"));
        QCOMPARE(box->textFormat(), Qt::PlainText);
        QCOMPARE(int(box->icon()), shownIcon);
        QCOMPARE(box->accessibleName(), title);
        const auto expected = buttons == MsgButtons::YesNo
                                  ? QMessageBox::StandardButtons(QMessageBox::Yes | QMessageBox::No)
                                  : QMessageBox::StandardButtons(QMessageBox::Ok);
        QCOMPARE(box->standardButtons(), expected);
        const auto safe = buttons == MsgButtons::YesNo ? QMessageBox::No : QMessageBox::Ok;
        QCOMPARE(static_cast<QAbstractButton*>(box->defaultButton()), box->button(safe));
        if (press == Qt::Key_Escape || press == Qt::Key_Return)
            QTest::keyClick(box, Qt::Key(press));
        else
            box->button(QMessageBox::StandardButton(press))->click();
    });
    QtMessageBoxes boxes;
    QCOMPARE(boxes.Show(text, title, buttons, icon), answer);
    QVERIFY(!QApplication::activeModalWidget());
}

void QtServicesTest::clipboardTextCarriesSecretHint() {
    QtClipboard clipboard;
    clipboard.Clear();
    clipboard.SetText(QStringLiteral("hunter2"));

    const QMimeData* data = QGuiApplication::clipboard()->mimeData();
    QVERIFY(data);
    QCOMPARE(data->text(), QStringLiteral("hunter2"));
#ifndef Q_OS_WIN  // Windows' marks are read back by windows_clipboard_test
    QCOMPARE(data->data(QStringLiteral("x-kde-passwordManagerHint")), QByteArray("secret"));
#endif

    QVERIFY(clipboard.Holds(QStringLiteral("hunter2")));
    QVERIFY(!clipboard.Holds(QStringLiteral("hunter")));
    QGuiApplication::clipboard()->setText(QStringLiteral("copied elsewhere"));
    QVERIFY(!clipboard.Holds(QStringLiteral("hunter2")));

    clipboard.Clear();
    QVERIFY(QGuiApplication::clipboard()->text().isEmpty());
    QVERIFY(!clipboard.Holds(QString()));

    clipboard.SetText(QString());  // an empty record field is put there as it is
    QVERIFY(QGuiApplication::clipboard()->text().isEmpty());
#ifndef Q_OS_WIN
    QCOMPARE(QGuiApplication::clipboard()->mimeData()->data(kPasswordManagerHintFormat),
             QByteArray("secret"));
#endif
}

void QtServicesTest::shellOpensTheWebAddressAsGiven_data() {
    QTest::addColumn<QString>("address");
    QTest::addColumn<QList<QUrl>>("opened");
    QTest::newRow("https") << QStringLiteral("https://example.com/login?x=1")
                           << QList<QUrl>{QUrl("https://example.com/login?x=1")};
    QTest::newRow("a bare host as the viewer hands it on")
        << QStringLiteral("http://www.example.com") << QList<QUrl>{QUrl("http://www.example.com")};
    // The viewer hands on no path; if one came, it would not become a file's URL.
    QTest::newRow("a path") << QStringLiteral("/tmp/notes.txt") << QList<QUrl>{};
}

void QtServicesTest::shellOpensTheWebAddressAsGiven() {
#ifdef Q_OS_WIN
    QSKIP("the shell itself opens on Windows: windows_services_test");
#endif
    QFETCH(QString, address);
    QFETCH(QList<QUrl>, opened);
    UrlSink sink;
    for (const char* scheme : {"http", "https", "file"})
        QDesktopServices::setUrlHandler(QString::fromLatin1(scheme), &sink, "Open");
    SystemShellOpen().Open(address);
    for (const char* scheme : {"http", "https", "file"})
        QDesktopServices::unsetUrlHandler(QString::fromLatin1(scheme));
    QCOMPARE(sink.Opened, opened);
}

void QtServicesTest::volumesStartAtRoot() {
    const QStringList points = QtVolumes().MountPoints();
    QVERIFY(!points.isEmpty());
    QCOMPARE(points.first(), SystemDrive());
    QStringList distinct = points;
    QCOMPARE(distinct.removeDuplicates(), qsizetype(0));
    for (const QString& point : points)
        QVERIFY2(QDir(DriveRoot(point)).exists(), qPrintable(point));
}

QTEST_MAIN(QtServicesTest)
#include "qt_services_test.moc"
