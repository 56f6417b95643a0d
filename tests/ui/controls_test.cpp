#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QLabel>
#include <QListWidget>
#include <QSignalSpy>
#include <QStyle>
#include <QTest>
#include <QTextEdit>

#include "ui/controls.h"

using namespace lockmere;

namespace {

// The colour the widget paints at its centre, away from frame and text.
QColor CentreColour(QWidget* widget) {
    widget->resize(120, 40);
    const QImage image = widget->grab().toImage();
    return image.pixelColor(image.width() - 12, image.height() / 2);
}

}  // namespace

class ControlsTest : public QObject {
    Q_OBJECT

private slots:
    void entryBoxesPaintLightYellow_data();
    void entryBoxesPaintLightYellow();
    void whiteBackground();
    void passwordBoxShowsHash_data();
    void passwordBoxShowsHash();
    void filteredBoxDiscardsTypedCharacterOnly();
    void pictureReportsPointerInTwips();
};

void ControlsTest::entryBoxesPaintLightYellow_data() {
    QTest::addColumn<QString>("kind");
    QTest::newRow("text box") << QStringLiteral("line");
    QTest::newRow("multi-line text box") << QStringLiteral("text");
    QTest::newRow("list") << QStringLiteral("list");
}

void ControlsTest::entryBoxesPaintLightYellow() {
    QFETCH(QString, kind);
    std::unique_ptr<QWidget> box;
    if (kind == QLatin1String("line"))
        box = std::make_unique<QLineEdit>();
    else if (kind == QLatin1String("text"))
        box = std::make_unique<QTextEdit>();
    else
        box = std::make_unique<QListWidget>();

    StyleEntryBox(box.get());
    QCOMPARE(CentreColour(box.get()), QColor(255, 255, 192));
    QCOMPARE(box->font().family(), QStringLiteral("MS Sans Serif"));
    QCOMPARE(box->font().pointSizeF(), 9.75);
    QVERIFY(!box->font().bold());
}

void ControlsTest::whiteBackground() {
    QWidget window;
    auto* label = new QLabel(QStringLiteral("x"), &window);
    auto* check = new QCheckBox(&window);
    SetWhiteBackground(label);
    SetWhiteBackground(check);
    QCOMPARE(CentreColour(label), QColor(Qt::white));
    QCOMPARE(CentreColour(check), QColor(Qt::white));
}

void ControlsTest::passwordBoxShowsHash_data() {
    QTest::addColumn<bool>("styledFirst");
    QTest::newRow("echo set on a styled box") << true;
    QTest::newRow("styled after the echo") << false;
}

void ControlsTest::passwordBoxShowsHash() {
    QFETCH(bool, styledFirst);
    FilteredLineEdit box;
    if (styledFirst) StyleEntryBox(&box);
    SetPasswordEcho(&box);
    if (!styledFirst) StyleEntryBox(&box);

    QCOMPARE(box.style()->styleHint(QStyle::SH_LineEdit_PasswordCharacter, nullptr, &box),
             int('#'));
    box.setText(QStringLiteral("s3cr|t"));
    QCOMPARE(box.displayText(), QStringLiteral("######"));
    QCOMPARE(box.text(), QStringLiteral("s3cr|t"));
    QVERIFY(!box.testAttribute(Qt::WA_InputMethodEnabled));
    QCOMPARE(CentreColour(&box), QColor(255, 255, 192));

    // Other boxes keep the application's mask.
    QLineEdit plain;
    plain.setEchoMode(QLineEdit::Password);
    QVERIFY(plain.style()->styleHint(QStyle::SH_LineEdit_PasswordCharacter, nullptr, &plain) !=
            int('#'));
}

void ControlsTest::filteredBoxDiscardsTypedCharacterOnly() {
    FilteredLineEdit filtered;
    filtered.DiscardCharacter(QLatin1Char('|'));
    FilteredLineEdit unfiltered;

    QTest::keyClicks(&filtered, QStringLiteral("a|b|"));
    QTest::keyClicks(&unfiltered, QStringLiteral("a|b|"));
    QCOMPARE(filtered.text(), QStringLiteral("ab"));
    QCOMPARE(unfiltered.text(), QStringLiteral("a|b|"));

    QApplication::clipboard()->setText(QStringLiteral("x|y"));
    QTest::keySequence(&filtered, QKeySequence::Paste);
    QCOMPARE(filtered.text(), QStringLiteral("abx|y"));
}

void ControlsTest::pictureReportsPointerInTwips() {
    QWidget window;
    auto* picture = new PictureBox(&window);
    picture->setGeometry(10, 10, 154, 105);
    window.resize(200, 150);
    window.show();
    QSignalSpy moved(picture, &PictureBox::MouseMoved);

    QTest::mouseMove(picture, QPoint(29, 3));
    QTest::mousePress(picture, Qt::LeftButton, {}, QPoint(29, 3));
    QTest::mouseMove(picture, QPoint(90, 100));  // a held button changes nothing
    QTest::mouseRelease(picture, Qt::LeftButton, {}, QPoint(90, 100));

    QCOMPARE(moved.count(), 2);
    QCOMPARE(moved.at(0).at(0).toFloat(), 435.0f);
    QCOMPARE(moved.at(0).at(1).toFloat(), 45.0f);
    QCOMPARE(moved.at(1).at(0).toFloat(), 1350.0f);
    QCOMPARE(moved.at(1).at(1).toFloat(), 1500.0f);
}

QTEST_MAIN(ControlsTest)
#include "controls_test.moc"
