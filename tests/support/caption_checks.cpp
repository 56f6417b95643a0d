#include "tests/support/caption_checks.h"

#include <QAbstractButton>
#include <QLabel>

#include "ui/caption_fit.h"

namespace lockmere::testing {

QStringList CutCaptions(const QWidget* window) {
    QStringList cut;
    for (const QWidget* control : window->findChildren<QWidget*>()) {
        QString caption;
        if (const auto* label = qobject_cast<const QLabel*>(control))
            caption = label->text();
        else if (const auto* button = qobject_cast<const QAbstractButton*>(control))
            caption = button->text();
        if (caption.isEmpty() || CaptionFits(control)) continue;
        cut << QStringLiteral("%1 '%2' at %3 pt")
                   .arg(QString::fromLatin1(control->metaObject()->className()), caption)
                   .arg(control->font().pointSizeF());
    }
    return cut;
}

bool SizedToFit(QWidget* control, double askedPoints) {
    const QFont shown = control->font();
    if (qFuzzyCompare(shown.pointSizeF(), askedPoints)) return true;
    if (shown.pointSizeF() > askedPoints || shown.pointSizeF() < kSmallestCaptionPoints)
        return false;
    QFont asked = shown;
    asked.setPointSizeF(askedPoints);
    control->setFont(asked);
    const bool cutWhenAsked = !CaptionFits(control);
    control->setFont(shown);
    return cutWhenAsked;
}

}  // namespace lockmere::testing
