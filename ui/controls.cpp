#include "ui/controls.h"

#include <QCoreApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPalette>
#include <QPointer>
#include <QProxyStyle>
#include <QStyleOption>
#include <QStyledItemDelegate>
#include <utility>

#include "ui/window.h"

namespace lockmere {

namespace {

// Answers "#" for the password character and leaves the rest to the
// application's style.
class HashMaskStyle : public QProxyStyle {
public:
    int styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                  QStyleHintReturn* returnData) const override {
        if (hint == SH_LineEdit_PasswordCharacter) return '#';
        return QProxyStyle::styleHint(hint, option, widget, returnData);
    }
};

}  // namespace

QFont NamedFont(const QString& family, double pointSize, bool bold) {
    // The named families are rarely installed outside Windows; without a
    // hint the system picks a much wider face and captions get cut off.
    // These stand-ins keep the widths the layouts were made for.
    static const bool substituted = [] {
        QFont::insertSubstitutions(QStringLiteral("MS Sans Serif"),
                                   {QStringLiteral("Liberation Sans"), QStringLiteral("Arial"),
                                    QStringLiteral("Nimbus Sans")});
        QFont::insertSubstitutions(QStringLiteral("Courier"), {QStringLiteral("Liberation Mono"),
                                                               QStringLiteral("Courier New"),
                                                               QStringLiteral("Nimbus Mono PS")});
        return true;
    }();
    Q_UNUSED(substituted);
    QFont font(family);
    font.setPointSizeF(pointSize);
    font.setBold(bold);
    return font;
}

QFont SansSerif(double pointSize, bool bold) {
    QFont font = NamedFont(QStringLiteral("MS Sans Serif"), pointSize, bold);
    font.setStyleHint(QFont::SansSerif);
    return font;
}

QFont Courier(double pointSize, bool bold) {
    QFont font = NamedFont(QStringLiteral("Courier"), pointSize, bold);
    font.setStyleHint(QFont::TypeWriter);
    return font;
}

void StyleEntryBox(QWidget* box) {
    QPalette palette = box->palette();
    const QColor entry(kEntryRed, kEntryGreen, kEntryBlue);
    palette.setColor(QPalette::Base, entry);    // text boxes and lists
    palette.setColor(QPalette::Window, entry);  // anything else that fills its background
    box->setPalette(palette);
    if (!qobject_cast<QLineEdit*>(box)) box->setAutoFillBackground(true);
    box->setFont(SansSerif());
}

void SetPasswordEcho(QLineEdit* box) {
    // One style for every password box; it lives as long as the application.
    static QPointer<HashMaskStyle> style;
    if (!style) {
        style = new HashMaskStyle;
        style->setParent(QCoreApplication::instance());
    }
    box->setStyle(style);
    box->setEchoMode(QLineEdit::Password);
    // No input method: what is typed goes straight into the box.
    box->setAttribute(Qt::WA_InputMethodEnabled, false);
    box->setInputMethodHints(Qt::ImhHiddenText | Qt::ImhSensitiveData | Qt::ImhNoPredictiveText |
                             Qt::ImhNoAutoUppercase);
}

void EmptyPasswordBox(QLineEdit* box) { box->setText(QString()); }

void SetWhiteBackground(QWidget* widget) {
    QPalette palette = widget->palette();
    palette.setColor(QPalette::Window, Qt::white);
    palette.setColor(widget->backgroundRole(), Qt::white);  // buttons and check boxes: Button
    widget->setPalette(palette);
    widget->setAutoFillBackground(true);
}

PictureBox::PictureBox(QWidget* parent) : QLabel(parent) { setMouseTracking(true); }

void PictureBox::mouseMoveEvent(QMouseEvent* event) {
    const QPointF at = event->position();
    emit MouseMoved(static_cast<float>(at.x() * kTwipsPerPixel),
                    static_cast<float>(at.y() * kTwipsPerPixel));
    QLabel::mouseMoveEvent(event);
}

void ListBox::ForgetShownLines() {
    QAbstractItemDelegate* kept = itemDelegate();
    setItemDelegate(new QStyledItemDelegate(this));
    if (kept != nullptr && kept->parent() == this) delete kept;
}

void ListBox::focusInEvent(QFocusEvent* event) {
    const bool hadCurrent = currentIndex().isValid();
    QListView::focusInEvent(event);
    if (!hadCurrent && currentIndex().isValid())
        selectionModel()->setCurrentIndex(QModelIndex(), QItemSelectionModel::NoUpdate);
}

void ListBox::mousePressEvent(QMouseEvent* event) {
    pressedOnBlank_ = !indexAt(event->position().toPoint()).isValid();
    if (!pressedOnBlank_) {
        QListView::mousePressEvent(event);
        return;
    }
    // The item view would unselect the chosen line and keep it current.
    setFocus(Qt::MouseFocusReason);
    event->accept();
}

void ListBox::mouseMoveEvent(QMouseEvent* event) {
    if (pressedOnBlank_ && event->buttons() != Qt::NoButton) {
        event->accept();
        return;
    }
    QListView::mouseMoveEvent(event);
}

void ListBox::mouseReleaseEvent(QMouseEvent* event) {
    if (std::exchange(pressedOnBlank_, false)) {
        event->accept();
        return;
    }
    QListView::mouseReleaseEvent(event);
}

QItemSelectionModel::SelectionFlags ListBox::selectionCommand(const QModelIndex& index,
                                                              const QEvent* event) const {
    const QItemSelectionModel::SelectionFlags command = QListView::selectionCommand(index, event);
    // A single-selection list answers Ctrl on its selected line with a deselect.
    if (command.testFlag(QItemSelectionModel::Deselect)) return QItemSelectionModel::NoUpdate;
    return command;
}

void FilteredLineEdit::keyPressEvent(QKeyEvent* event) {
    if (!discarded_.isNull() && event->text() == QString(discarded_)) {
        event->accept();
        return;
    }
    QLineEdit::keyPressEvent(event);
}

}  // namespace lockmere
