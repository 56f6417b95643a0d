#include <QCheckBox>
#include <QFontMetrics>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStyle>
#include <QTest>
#include <memory>

#include "tests/support/caption_checks.h"
#include "tests/support/test_context.h"
#include "ui/caption_fit.h"
#include "ui/controls.h"
#include "ui/window.h"

using namespace lockmere;
using namespace lockmere::testing;

namespace {

const QString kCaption = QStringLiteral("Enable Local Folder Creation");
const QString kLongText = QStringLiteral(
    "After 256 bits have been randomly selected the application will automatically advance "
    "to the user creation screen.");

enum class Kind { Label, WrappedLabel, Button, CheckBox };

std::unique_ptr<QWidget> Make(Kind kind, const QString& caption) {
    switch (kind) {
    case Kind::Label:
        return std::make_unique<QLabel>(caption);
    case Kind::WrappedLabel: {
        auto label = std::make_unique<QLabel>(caption);
        label->setWordWrap(true);
        label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
        return label;
    }
    case Kind::Button: {
        auto button = std::make_unique<QPushButton>(caption);
        button->setAutoDefault(true);
        return button;
    }
    case Kind::CheckBox:
        return std::make_unique<QCheckBox>(caption);
    }
    return nullptr;
}

// What the caption needs at the control's font, measured apart from the
// code under test: one line across (a pixel over the sum of the advances,
// as Qt lays it out), or the height of the wrapped text.
int TextWidth(const QWidget* control, const QString& caption) {
    return QFontMetrics(control->font()).size(0, caption).width();
}
int WrappedHeight(const QWidget* control, const QString& caption, int width) {
    return QFontMetrics(control->font())
        .boundingRect(QRect(0, 0, width, 10000), Qt::TextWordWrap | Qt::AlignLeft | Qt::AlignTop,
                      caption)
        .height();
}

// A window with one control of each kind, whose Load sets captions too
// long for their boxes.
class Form : public Window {
public:
    explicit Form(Context& context) : Window(context) {
        setFont(SansSerif(8.25));
        Label = Place(new QLabel(QStringLiteral("User ID")), 120, 120, 2000, 255);
        Button = Place(new QPushButton(QStringLiteral("OK")), 120, 500, 2000, 375);
        Box = Place(new QCheckBox(QStringLiteral("Tick")), 120, 1000, 2000, 375);
        Box->setFont(SansSerif(9.75, true));
        Entry = Place(new QLineEdit, 120, 1500, 600, 375);
        Entry->setFont(SansSerif(9.75));
    }
    QLabel* Label;
    QPushButton* Button;
    QCheckBox* Box;
    QLineEdit* Entry;

protected:
    void Load() override {
        SetSizeTwips(3000, 2500);
        Label->setText(QStringLiteral("Account Name or Service, and more"));
        Button->setText(QStringLiteral("Save Master Password Now"));
        Box->setText(kCaption);
        Entry->setText(kLongText);
    }
};

}  // namespace

Q_DECLARE_METATYPE(Kind)

class CaptionFitTest : public QObject {
    Q_OBJECT

private slots:
    void fitsWhenShownWhole_data();
    void fitsWhenShownWhole();
    void shrinksUntilItFits_data();
    void shrinksUntilItFits();
    void buttonsWrapBeforeTheyShrink_data();
    void buttonsWrapBeforeTheyShrink();
    void captionThatFitsKeepsItsFont_data();
    void captionThatFitsKeepsItsFont();
    void refitReturnsToTheAskedFont();
    void refitTakesAFontSetSince();
    void stopsAtTheSmallestSize();
    void windowFitsAfterLoadAndOnRequest();
};

void CaptionFitTest::fitsWhenShownWhole_data() {
    QTest::addColumn<Kind>("kind");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QString>("size");  // the box, from the caption's measure
    QTest::addColumn<bool>("fits");
    const QString word = QStringLiteral("PasswordBackupsOfTheWholeHousehold");
    QTest::newRow("label as wide as its text") << Kind::Label << kCaption << "text" << true;
    QTest::newRow("label a pixel narrower") << Kind::Label << kCaption << "text-1" << false;
    // With a margin and an indent: the label's own measure across, exactly.
    QTest::newRow("label at its size hint") << Kind::Label << kCaption << "hint" << true;
    QTest::newRow("label a pixel narrower than its size hint")
        << Kind::Label << kCaption << "hint-1" << false;
    QTest::newRow("wrapped label as tall as its text")
        << Kind::WrappedLabel << kLongText << "text" << true;
    QTest::newRow("wrapped label a pixel lower")
        << Kind::WrappedLabel << kLongText << "text-1" << false;
    QTest::newRow("wrapped label as wide as a long word")
        << Kind::WrappedLabel << word << "word" << true;
    QTest::newRow("wrapped label narrower than a long word")
        << Kind::WrappedLabel << word << "word-1" << false;
    QTest::newRow("button at its natural size") << Kind::Button << kCaption << "hint" << true;
    QTest::newRow("button narrower than its text") << Kind::Button << kCaption << "text-1" << false;
    QTest::newRow("button just as wide as its text") << Kind::Button << kCaption << "text" << false;
    QTest::newRow("check box at its natural size") << Kind::CheckBox << kCaption << "hint" << true;
    QTest::newRow("check box as wide as its text") << Kind::CheckBox << kCaption << "text" << false;
}

void CaptionFitTest::fitsWhenShownWhole() {
    QFETCH(Kind, kind);
    QFETCH(QString, caption);
    QFETCH(QString, size);
    QFETCH(bool, fits);
    auto control = Make(kind, caption);
    control->setFont(SansSerif(9.75));
    const int width = TextWidth(control.get(), caption);
    if (auto* label = qobject_cast<QLabel*>(control.get()); label && size.startsWith("hint")) {
        label->setMargin(2);
        label->setIndent(3);
    }
    if (size == QLatin1String("hint")) {
        control->resize(control->sizeHint());
    } else if (size == QLatin1String("hint-1")) {
        control->resize(control->sizeHint() - QSize(1, 0));
    } else if (size.startsWith(QLatin1String("word"))) {
        control->resize(size == QLatin1String("word") ? width : width - 1, 200);
    } else if (kind == Kind::WrappedLabel) {
        const int height = WrappedHeight(control.get(), caption, 200);
        control->resize(200, size == QLatin1String("text") ? height : height - 1);
    } else {
        control->resize(size == QLatin1String("text") ? width : width - 1, 40);
    }
    QCOMPARE(CaptionFits(control.get()), fits);
}

void CaptionFitTest::shrinksUntilItFits_data() {
    QTest::addColumn<Kind>("kind");
    QTest::addColumn<QSize>("box");
    QTest::newRow("label") << Kind::Label << QSize(150, 17);
    QTest::newRow("wrapped label") << Kind::WrappedLabel << QSize(200, 50);
    // Too low for a second line: buttons and check boxes shrink too.
    QTest::newRow("button") << Kind::Button << QSize(150, 22);
    QTest::newRow("check box") << Kind::CheckBox << QSize(170, 22);
}

void CaptionFitTest::shrinksUntilItFits() {
    QFETCH(Kind, kind);
    QFETCH(QSize, box);
    const QString caption = kind == Kind::WrappedLabel ? kLongText : kCaption;
    auto control = Make(kind, caption);
    const QFont asked = SansSerif(9.75, true);
    control->setFont(asked);
    control->resize(box);
    QVERIFY(!CaptionFits(control.get()));

    FitCaption(control.get());
    const QFont fitted = control->font();
    QVERIFY(CaptionFits(control.get()));
    QVERIFY(fitted.pointSizeF() < asked.pointSizeF());
    QVERIFY(fitted.pointSizeF() > kSmallestCaptionPoints);
    // Only the size changes.
    QCOMPARE(fitted.family(), asked.family());
    QCOMPARE(fitted.bold(), asked.bold());
    // Whole by an independent measure too.
    if (kind == Kind::WrappedLabel)
        QVERIFY(WrappedHeight(control.get(), caption, box.width()) <= box.height());
    else
        QVERIFY(TextWidth(control.get(), caption) <= box.width());
    // As large as fits: one step up is cut again.
    QFont larger = fitted;
    larger.setPointSizeF(fitted.pointSizeF() + kCaptionPointStep);
    control->setFont(larger);
    QVERIFY(!CaptionFits(control.get()));
}

void CaptionFitTest::buttonsWrapBeforeTheyShrink_data() {
    QTest::addColumn<Kind>("kind");
    QTest::newRow("button") << Kind::Button;
    QTest::newRow("check box") << Kind::CheckBox;
}

void CaptionFitTest::buttonsWrapBeforeTheyShrink() {
    // Tall enough for two lines, not wide enough for one.
    QFETCH(Kind, kind);
    auto control = Make(kind, kCaption);
    const QFont asked = SansSerif(9.75, true);
    control->setFont(asked);
    const int width = TextWidth(control.get(), kCaption);
    control->resize(width * 2 / 3, 3 * QFontMetrics(asked).lineSpacing());

    FitCaption(control.get());
    QCOMPARE(control->font(), asked);
    QVERIFY(CaptionFits(control.get()));
    // Drawn on two lines: two bands of dark text, right of a check box's
    // indicator.
    const QImage image = control->grab().toImage();
    const int left = kind == Kind::CheckBox
                         ? control->style()->pixelMetric(QStyle::PM_IndicatorWidth) +
                               control->style()->pixelMetric(QStyle::PM_CheckBoxLabelSpacing)
                         : 4;
    int bands = 0;
    bool inBand = false;
    for (int y = 3; y < image.height() - 3; ++y) {
        bool ink = false;
        for (int x = left; x < image.width() - 4 && !ink; ++x)
            ink = image.pixelColor(x, y).lightness() < 100;
        if (ink && !inBand) ++bands;
        inBand = ink;
    }
    QCOMPARE(bands, 2);
}

void CaptionFitTest::captionThatFitsKeepsItsFont_data() {
    QTest::addColumn<Kind>("kind");
    QTest::newRow("label") << Kind::Label;
    QTest::newRow("wrapped label") << Kind::WrappedLabel;
    QTest::newRow("button") << Kind::Button;
    QTest::newRow("check box") << Kind::CheckBox;
}

void CaptionFitTest::captionThatFitsKeepsItsFont() {
    QFETCH(Kind, kind);
    QWidget parent;
    parent.setFont(SansSerif(8.25));
    auto owned = Make(kind, QStringLiteral("OK"));
    QWidget* control = owned.release();
    control->setParent(&parent);
    control->resize(200, 40);

    FitCaption(control);
    // Still the parent's font, and still following it.
    QVERIFY(!control->testAttribute(Qt::WA_SetFont));
    parent.setFont(SansSerif(12));
    QCOMPARE(control->font().pointSizeF(), 12.0);
}

void CaptionFitTest::refitReturnsToTheAskedFont() {
    // A caption that changes back to a short one gets its font back, be it
    // the control's own or its parent's.
    for (const bool own : {true, false}) {
        QWidget parent;
        parent.setFont(SansSerif(9.75));
        auto* label = new QLabel(kCaption, &parent);
        if (own) label->setFont(SansSerif(9.75, true));
        const QFont asked = label->font();
        label->resize(100, 17);

        FitCaption(label);
        QVERIFY(label->font().pointSizeF() < asked.pointSizeF());
        label->setText(QStringLiteral("OK"));
        FitCaption(label);
        QCOMPARE(label->font(), asked);
        QCOMPARE(label->testAttribute(Qt::WA_SetFont), own);
        // An empty caption, too.
        label->setText(kCaption);
        FitCaption(label);
        label->clear();
        FitCaption(label);
        QCOMPARE(label->font(), asked);
    }
}

void CaptionFitTest::refitTakesAFontSetSince() {
    QLabel label(kCaption);
    label.setFont(SansSerif(9.75));
    label.resize(150, 17);
    FitCaption(&label);
    QVERIFY(label.font().pointSizeF() < 9.75);

    // The window asks for another font: a refit starts from that one.
    label.setFont(Courier(9.75, true));
    label.setText(QStringLiteral("OK"));
    FitCaption(&label);
    QCOMPARE(label.font(), Courier(9.75, true));
}

void CaptionFitTest::stopsAtTheSmallestSize() {
    QPushButton button(kCaption);
    button.setFont(SansSerif(9.75));
    button.resize(20, 25);
    FitCaption(&button);
    QCOMPARE(button.font().pointSizeF(), kSmallestCaptionPoints);
    QVERIFY(!CaptionFits(&button));
}

void CaptionFitTest::windowFitsAfterLoadAndOnRequest() {
    TestContext t;
    auto* form = t.Ctx.Windows.Open<Form>(t.Ctx);
    form->ShowModeless();
    QVERIFY2(CutCaptions(form).isEmpty(), qPrintable(CutCaptions(form).join('\n')));
    QVERIFY(form->Label->font().pointSizeF() < 8.25);
    QVERIFY(form->Box->font().bold());
    // A text box's contents are no caption.
    QCOMPARE(form->Entry->font(), SansSerif(9.75));

    form->Label->setText(QStringLiteral("User ID"));
    form->Button->setText(QStringLiteral("Save the Master Password Now"));
    QVERIFY(!CutCaptions(form).isEmpty());
    form->FitCaptions();
    QVERIFY2(CutCaptions(form).isEmpty(), qPrintable(CutCaptions(form).join('\n')));
    QVERIFY(!form->Label->testAttribute(Qt::WA_SetFont));
    QCOMPARE(form->Label->font().pointSizeF(), 8.25);
}

QTEST_MAIN(CaptionFitTest)
#include "caption_fit_test.moc"
