#include "ui/caption_fit.h"

#include <QApplication>
#include <QCheckBox>
#include <QFontMetrics>
#include <QLabel>
#include <QPointer>
#include <QProxyStyle>
#include <QPushButton>
#include <QStyle>
#include <QStyleFactory>
#include <QStyleOptionButton>
#include <QVariant>
#include <algorithm>

namespace lockmere {

namespace {

// The font the window asked for (none: the control takes its parent's) and
// the one a fit set instead, kept on the control itself.
constexpr char kAskedFont[] = "lockmereAskedFont";
constexpr char kFittedFont[] = "lockmereFittedFont";

// Button and check box captions wrap at blanks onto as many lines as the
// box holds, as on the platform the windows were laid out for. The style
// draws nothing else for them than their captions' text.
class WrappingCaptionStyle : public QProxyStyle {
public:
    using QProxyStyle::QProxyStyle;

    void drawItemText(QPainter* painter, const QRect& rect, int flags, const QPalette& palette,
                      bool enabled, const QString& text, QPalette::ColorRole role) const override {
        QProxyStyle::drawItemText(painter, rect, flags | Qt::TextWordWrap, palette, enabled, text,
                                  role);
    }
};

// One for every button; it lives as long as the application.
QStyle* WrappingStyle() {
    static QPointer<WrappingCaptionStyle> style;
    if (!style) {
        // A fresh instance of the application's style underneath: the proxy owns it.
        style = new WrappingCaptionStyle(QStyleFactory::create(QApplication::style()->name()));
        style->setParent(QApplication::instance());
    }
    return style;
}

// The room a button's style leaves for its caption.
QRect TextRoom(const QAbstractButton* button, QStyle::SubElement element) {
    QStyleOptionButton option;
    option.initFrom(button);
    option.text = button->text();
    if (const auto* push = qobject_cast<const QPushButton*>(button)) {
        if (push->autoDefault()) option.features |= QStyleOptionButton::AutoDefaultButton;
        if (push->isDefault()) option.features |= QStyleOptionButton::DefaultButton;
        if (push->isFlat()) option.features |= QStyleOptionButton::Flat;
    }
    return button->style()->subElementRect(element, &option, button);
}

bool ButtonCaptionFits(const QAbstractButton* button, QStyle::SubElement element) {
    const QRect room = TextRoom(button, element);
    if (!dynamic_cast<const WrappingCaptionStyle*>(button->style()))
        return button->fontMetrics().size(Qt::TextShowMnemonic, button->text()).width() <=
               room.width();
    // A word longer than the line widens the text beyond the room.
    const QRect text = button->fontMetrics().boundingRect(
        room, Qt::AlignCenter | Qt::TextShowMnemonic | Qt::TextWordWrap, button->text());
    return text.width() <= room.width() && text.height() <= room.height();
}

bool HasCaption(const QWidget* control) {
    if (const auto* label = qobject_cast<const QLabel*>(control)) return !label->text().isEmpty();
    const auto* button = qobject_cast<const QAbstractButton*>(control);
    return button &&
           (qobject_cast<const QPushButton*>(button) || qobject_cast<const QCheckBox*>(button)) &&
           !button->text().isEmpty();
}

// Undoes an earlier fit, unless the window has set a font of its own since,
// and remembers the font asked for now.
void RestoreAskedFont(QWidget* control) {
    const QVariant fitted = control->property(kFittedFont);
    if (fitted.isValid() && control->testAttribute(Qt::WA_SetFont) &&
        control->font() == fitted.value<QFont>()) {
        const QVariant asked = control->property(kAskedFont);
        control->setFont(asked.isValid() ? asked.value<QFont>() : QFont());
    }
    control->setProperty(kFittedFont, QVariant());
    control->setProperty(kAskedFont, control->testAttribute(Qt::WA_SetFont)
                                         ? QVariant(control->font())
                                         : QVariant());
}

}  // namespace

bool CaptionFits(const QWidget* control) {
    if (!HasCaption(control)) return true;
    if (const auto* label = qobject_cast<const QLabel*>(control)) {
        // Wrapped, the longest word is the narrowest the label can be.
        if (label->wordWrap())
            return label->minimumSizeHint().width() <= label->width() &&
                   label->heightForWidth(label->width()) <= label->height();
        // Text, margins and indent: what the label needs across, measured
        // as the label measures it, once (its size hint lays the text out
        // three times over).
        const int flags = Qt::TextExpandTabs | Qt::TextShowMnemonic | int(label->alignment());
        const QMargins margins = label->contentsMargins();
        const int indent = std::max(0, label->indent());
        const int across =
            label->fontMetrics().boundingRect(QRect(), flags, label->text()).width() +
            2 * label->margin() + margins.left() + margins.right() + indent;
        return across <= label->width();
    }
    if (const auto* box = qobject_cast<const QCheckBox*>(control))
        return ButtonCaptionFits(box, QStyle::SE_CheckBoxContents);
    return ButtonCaptionFits(qobject_cast<const QPushButton*>(control),
                             QStyle::SE_PushButtonContents);
}

void FitCaption(QWidget* control) {
    if (!HasCaption(control) && !control->property(kFittedFont).isValid()) return;
    RestoreAskedFont(control);
    if (qobject_cast<QAbstractButton*>(control) && !control->testAttribute(Qt::WA_SetStyle))
        control->setStyle(WrappingStyle());
    if (CaptionFits(control)) return;
    QFont font = control->font();
    if (font.pointSizeF() <= 0) return;  // sized in pixels: nothing to step
    while (font.pointSizeF() > kSmallestCaptionPoints) {
        font.setPointSizeF(std::max(kSmallestCaptionPoints, font.pointSizeF() - kCaptionPointStep));
        control->setFont(font);
        if (CaptionFits(control)) break;
    }
    control->setProperty(kFittedFont, control->font());
}

}  // namespace lockmere
