#define QTEST_QPA_MOUSE_HANDLING
#include <QLabel>
#include <QPlainTextEdit>
#include <QPointer>
#include <QTest>
#include <cmath>
#include <limits>
#include <set>

#include "setup/granite.h"
#include "setup/new_user.h"
#include "setup/strong_pw_form.h"
#include "tests/setup/pixel_code.h"
#include "tests/support/book_fixture.h"
#include "tests/support/caption_checks.h"
#include "tests/support/test_context.h"
#include "ui/ansi_text.h"
#include "ui/controls.h"

using namespace lockmere;
using namespace lockmere::testing;

namespace {

// A pointer movement over the picture as the window system reports it.
void MoveOver(StrongPWForm* w, int x, int y = 40) { QTest::mouseMove(w->Image1, QPoint(x, y)); }

// Pixel columns 29, 30, ... up to `count` of them: each a new character.
std::string Sweep(StrongPWForm* w, int count) {
    std::string expected;
    for (int x = 29; x < 29 + count; ++x) {
        MoveOver(w, x);
        expected.push_back(static_cast<char>(CodeAtPixel(x)));
    }
    return expected;
}

}  // namespace

class StrongPWFormTest : public QObject {
    Q_OBJECT

private slots:
    void codeForPosition_data();
    void codeForPosition();
    void wholePixelsGiveSixtyTwoCodes();
    void layout();
    void graniteIsDrawnTheSameEachTime();
    void collectsEachCharacterOnce();
    void finishesOnTheNextMovement_data();
    void finishesOnTheNextMovement();
    void closeBoxAbandons();
    void failedWriteStopsTheSetup();
};

void StrongPWFormTest::codeForPosition_data() {
    QTest::addColumn<float>("x");
    QTest::addColumn<int>("code");  // -1: no character
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const float inf = std::numeric_limits<float>::infinity();
    QTest::newRow("left edge") << 0.0f << -1;
    QTest::newRow("427: 30.5 goes to 30") << 427.0f << -1;
    QTest::newRow("427.5: past the half") << 427.5f << 31;
    QTest::newRow("434: 31") << 434.0f << 31;
    QTest::newRow("441: 31.5 goes to 32, the space") << 441.0f << 32;
    QTest::newRow("455: 32.5 goes to 32") << 455.0f << 32;
    QTest::newRow("469: 33.5 goes to 34") << 469.0f << 34;
    QTest::newRow("525: 37.5 goes to 38") << 525.0f << 38;
    QTest::newRow("910: 65, A") << 910.0f << 65;
    QTest::newRow("1351: 96.5 goes to 96") << 1351.0f << 96;
    QTest::newRow("1352: 97") << 1352.0f << -1;
    QTest::newRow("right edge") << 2370.0f << -1;
    QTest::newRow("left of the picture") << -7.5f << -1;
    QTest::newRow("beyond 16 bits") << 14.0f * 40000.0f << -1;
    QTest::newRow("below 16 bits") << -14.0f * 40000.0f << -1;
    QTest::newRow("not a number") << nan << -1;
    QTest::newRow("infinite") << inf << -1;
}

void StrongPWFormTest::codeForPosition() {
    QFETCH(float, x);
    QFETCH(int, code);
    const std::optional<unsigned char> got = CodeForPosition(x);
    QCOMPARE(got ? int(*got) : -1, code);
}

void StrongPWFormTest::wholePixelsGiveSixtyTwoCodes() {
    std::set<int> codes;
    for (int x = 29; x <= 90; ++x) {
        const std::optional<unsigned char> got = CodeForPosition(15.0f * x);
        QVERIFY2(got, qPrintable(QStringLiteral("pixel %1").arg(x)));
        QCOMPARE(int(*got), CodeAtPixel(x));
        codes.insert(*got);
    }
    QCOMPARE(codes.size(), std::size_t(62));
    for (int never : {37, 53, 67, 83}) QVERIFY(!codes.count(never));
    QCOMPARE(*codes.begin(), 31);
    QCOMPARE(*codes.rbegin(), 96);
    QVERIFY(!CodeForPosition(15.0f * 28));
    QVERIFY(!CodeForPosition(15.0f * 91));
}

void StrongPWFormTest::layout() {
    TestContext t;
    StrongPWForm* w = t.Ctx.Windows.Open<StrongPWForm>(t.Ctx);
    w->ShowModeless();

    QCOMPARE(w->windowTitle(), QStringLiteral(" Create 256 Bit Encryption String"));
    QCOMPARE(w->WidthTwips(), 4365);
    QCOMPARE(w->HeightTwips(), 5460);
    // Centred to the nearest pixel.
    QVERIFY(CentredOnScreen(w, 4365, 5460));
    QCOMPARE(w->palette().color(w->backgroundRole()), QColor(Qt::white));

    QCOMPARE(w->Label1->text(),
             QStringLiteral("Move the mouse over the image below as if you were scratching the "
                            "stone.  You will see the encryption string build in the window "
                            "below."));
    QCOMPARE(w->Label2->text(),
             QStringLiteral("After 256 bits have been randomly selected the application will "
                            "automatically advance to the user creation screen."));
    QVERIFY(PlacedAt(w->Label1, {210, 195, 3990, 1035}));
    QVERIFY(PlacedAt(w->Label2, {210, 1305, 3990, 1035}));
    for (QLabel* label : {w->Label1, w->Label2}) {
        QVERIFY(label->wordWrap());
        QVERIFY(SizedToFit(label, 9.75));
        QVERIFY(!label->font().bold());
    }
    // Whole, and clear of the encryption string's box below.
    QVERIFY2(CutCaptions(w).isEmpty(), qPrintable(CutCaptions(w).join('\n')));
    QVERIFY(w->Label2->y() + w->Label2->heightForWidth(w->Label2->width()) <=
            w->StringDisplay->y());

    QVERIFY(PlacedAt(w->StringDisplay, {195, 2205, 3885, 735}));
    QVERIFY(w->StringDisplay->font().bold());
    QVERIFY(w->StringDisplay->toPlainText().isEmpty());
    QVERIFY(PlacedAt(w->Image1, {945, 3060, 2370, 1635}));
    QVERIFY(w->Image1->hasMouseTracking());
    QVERIFY(FoundByName(w, {{"Label1", w->Label1},
                            {"Label2", w->Label2},
                            {"StringDisplay", w->StringDisplay},
                            {"Image1", w->Image1}}));
}

void StrongPWFormTest::graniteIsDrawnTheSameEachTime() {
    const QImage image = GraniteTexture();
    QCOMPARE(image.size(), QSize(154, 105));
    QCOMPARE(GraniteTexture(), image);

    // Grey, with light and dark grains rather than one flat colour.
    double sum = 0, squares = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const QRgb p = image.pixel(x, y);
            QVERIFY(std::abs(qRed(p) - qGreen(p)) <= 8 && std::abs(qBlue(p) - qGreen(p)) <= 8);
            sum += qGreen(p);
            squares += qGreen(p) * qGreen(p);
        }
    }
    const double n = image.width() * image.height();
    const double mean = sum / n;
    QVERIFY2(mean > 90 && mean < 190, qPrintable(QString::number(mean)));
    QVERIFY(std::sqrt(squares / n - mean * mean) > 15);
}

void StrongPWFormTest::collectsEachCharacterOnce() {
    TestContext t;
    StrongPWForm* w = t.Ctx.Windows.Open<StrongPWForm>(t.Ctx);
    w->ShowModeless();
    // Each character gathered shows the whole collection again, so the box
    // tells what the window holds.
    QPlainTextEdit* shown = w->StringDisplay;

    // Outside the band: nothing.
    for (int x : {0, 10, 28, 91, 150}) MoveOver(w, x);
    QVERIFY(shown->toPlainText().isEmpty());

    MoveOver(w, 29);  // code 31, a control character, shown as it is
    MoveOver(w, 30);  // 32, the space
    MoveOver(w, 62);  // 66, "B"
    QCOMPARE(shown->toPlainText(), FromAnsi("\x1f B"));

    // Back and forth over columns already met: nothing changes.
    shown->setPlainText(QStringLiteral("untouched"));
    for (int x : {62, 30, 29, 30, 62}) MoveOver(w, x, 5 + x);
    QCOMPARE(shown->toPlainText(), QStringLiteral("untouched"));

    // A held button makes no difference: 64 gives 68.57, "E", after the
    // three kept from before.
    QTest::mousePress(w->Image1, Qt::LeftButton, {}, QPoint(62, 40));
    MoveOver(w, 64);
    QTest::mouseRelease(w->Image1, Qt::LeftButton, {}, QPoint(64, 40));
    QCOMPARE(shown->toPlainText(), FromAnsi("\x1f BE"));
}

void StrongPWFormTest::finishesOnTheNextMovement_data() {
    QTest::addColumn<QByteArray>("before");  // the key file before; none when empty
    QTest::newRow("no key file") << QByteArray();
    QTest::newRow("longer key file") << QByteArray(60, 'z');
}

void StrongPWFormTest::finishesOnTheNextMovement() {
    QFETCH(QByteArray, before);
    TestContext t;
    if (!before.isEmpty()) fixture::WriteBytes(t.File("lkdb0.lkd"), before.toStdString());
    QPointer<StrongPWForm> w = t.Ctx.Windows.Open<StrongPWForm>(t.Ctx);
    w->ShowModeless();

    // Watching from the start: an early finish must not wait for the test.
    bool swept = false, shownAfterSweep = false, generatorGone = false;
    std::string keyFileWhenShown;
    t.WhenModal<NewUser>([&](NewUser* shown) {
        shownAfterSweep = swept;
        generatorGone = !w || !w->isVisible();
        keyFileWhenShown = fixture::ReadBytes(t.File("lkdb0.lkd"));
        shown->close();
    });

    const std::string expected = Sweep(w, 51);
    QCOMPARE(w->StringDisplay->toPlainText(), FromAnsi(expected));
    // Complete, but nothing written until the next movement.
    QCOMPARE(fixture::ReadBytes(t.File("lkdb0.lkd")), before.toStdString());
    QVERIFY(t.Ctx.EncryptionKey.empty());
    QVERIFY(!w->IsUnloaded());

    swept = true;
    MoveOver(w, 150);  // anywhere over the picture

    QVERIFY(shownAfterSweep);
    QVERIFY(generatorGone);
    std::string file = expected;
    if (!before.isEmpty()) file += before.mid(51).toStdString();
    QCOMPARE(keyFileWhenShown, file);
    QCOMPARE(fixture::ReadBytes(t.File("lkdb0.lkd")), file);
    QCOMPARE(t.Ctx.EncryptionKey, fixture::KeyOf(expected));
    QVERIFY(!w || w->IsUnloaded());
    QVERIFY(t.Boxes.Boxes().empty());
}

void StrongPWFormTest::closeBoxAbandons() {
    TestContext t;
    QPointer<StrongPWForm> w = t.Ctx.Windows.Open<StrongPWForm>(t.Ctx);
    w->ShowModeless();
    Sweep(w, 51);
    w->close();

    QVERIFY(!w || w->IsUnloaded());
    QVERIFY(!std::filesystem::exists(t.File("lkdb0.lkd")));
    QVERIFY(t.Ctx.EncryptionKey.empty());
    QVERIFY(t.Ctx.Windows.Find<NewUser>() == nullptr);
}

void StrongPWFormTest::failedWriteStopsTheSetup() {
    TestContext t;
    // A folder where the key file must go: the write fails, also for root.
    std::filesystem::create_directory(t.File("lkdb0.lkd"));
    QPointer<StrongPWForm> w = t.Ctx.Windows.Open<StrongPWForm>(t.Ctx);
    w->ShowModeless();
    Sweep(w, 51);
    MoveOver(w, 150);

    QCOMPARE(t.Boxes.Boxes().size(), std::size_t(1));
    const RecordedBox& box = t.Boxes.Boxes().front();
    QCOMPARE(box.Title, QStringLiteral("LKMR - Message Center"));
    QCOMPARE(box.Icon, MsgIcon::Critical);
    QVERIFY2(box.Text.contains(QRegularExpression(QStringLiteral("\\(error [1-9][0-9]*\\)"))),
             qPrintable(box.Text));
    QVERIFY(box.Text.contains(QStringLiteral("Start Lockmere again")));
    // The setup ends: no master account window, no key.
    QVERIFY(!w || w->IsUnloaded());
    QVERIFY(t.Ctx.Windows.Find<NewUser>() == nullptr);
    QVERIFY(t.Ctx.EncryptionKey.empty());
    QVERIFY(std::filesystem::is_directory(t.File("lkdb0.lkd")));
}

QTEST_MAIN(StrongPWFormTest)
#include "strong_pw_form_test.moc"
