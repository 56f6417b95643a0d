#include "ui/limited_line_edit.h"

#include <QGuiApplication>
#include <QKeyEvent>
#include <QMenu>
#include <QMimeData>
#include <QValidator>
#include <algorithm>

namespace lockmere {

// The limit as a validator: the box takes back every change it refuses, as
// a whole, with the selection and cursor it had. The box's own maximum
// length stays out of the way, since it would cut a paste instead.
class LimitedLineEdit::LengthLimit : public QValidator {
public:
    LengthLimit(int limit, QObject* parent) : QValidator(parent), Limit(limit) {}

    State validate(QString& text, int&) const override {
        if (text.size() <= Limit) return Acceptable;
        ++Refusals;
        RefusedLength = static_cast<int>(text.size());
        return Invalid;
    }

    int Limit;
    mutable int Refusals = 0;
    mutable int RefusedLength = 0;
};

LimitedLineEdit::LimitedLineEdit(int limit, QWidget* parent)
    : QLineEdit(parent), limit_(new LengthLimit(limit, this)) {
    setValidator(limit_);
}

int LimitedLineEdit::Limit() const { return limit_->Limit; }

void LimitedLineEdit::SetWholeText(const QString& text) {
    limit_->Limit = std::max(limit_->Limit, static_cast<int>(text.size()));
    setText(text);
}

template <class Handler>
bool LimitedLineEdit::Refused(Handler handler) {
    const int before = limit_->Refusals;
    handler();
    return limit_->Refusals != before;
}

template <class Handler>
void LimitedLineEdit::Paste(const QString& pasted, Handler handler) {
    if (Refused(handler)) emit PasteRefused(static_cast<int>(pasted.size()), limit_->RefusedLength);
}

void LimitedLineEdit::Paste(QClipboard::Mode mode) {
    Paste(QGuiApplication::clipboard()->text(mode), [this] { paste(); });
}

void LimitedLineEdit::keyPressEvent(QKeyEvent* event) {
    // Ctrl+V, Shift+Insert and whatever else the desktop binds to a paste.
    if (event->matches(QKeySequence::Paste)) {
        Paste(QGuiApplication::clipboard()->text(QClipboard::Clipboard),
              [this, event] { QLineEdit::keyPressEvent(event); });
        return;
    }
    if (Refused([this, event] { QLineEdit::keyPressEvent(event); })) emit TypingRefused();
}

void LimitedLineEdit::inputMethodEvent(QInputMethodEvent* event) {
    if (Refused([this, event] { QLineEdit::inputMethodEvent(event); })) emit TypingRefused();
}

void LimitedLineEdit::mouseReleaseEvent(QMouseEvent* event) {
    // The middle button pastes the selection, where the desktop has one.
    const bool selection =
        event->button() == Qt::MiddleButton && QGuiApplication::clipboard()->supportsSelection();
    if (!selection) {
        QLineEdit::mouseReleaseEvent(event);
        return;
    }
    Paste(QGuiApplication::clipboard()->text(QClipboard::Selection),
          [this, event] { QLineEdit::mouseReleaseEvent(event); });
}

void LimitedLineEdit::dropEvent(QDropEvent* event) {
    Paste(event->mimeData()->text(), [this, event] { QLineEdit::dropEvent(event); });
}

void LimitedLineEdit::contextMenuEvent(QContextMenuEvent* event) {
    QMenu* menu = createStandardContextMenu();
    // The menu's "Paste" is the one action wired to the box's paste (by
    // name, as the toolkit wires it).
    for (QAction* action : menu->actions())
        if (disconnect(action, SIGNAL(triggered()), this, SLOT(paste())))
            connect(action, &QAction::triggered, this, [this] { Paste(QClipboard::Clipboard); });
    menu->setAttribute(Qt::WA_DeleteOnClose);
    menu->popup(event->globalPos());
}

QString PasteRefusedText(const QString& box, int limit, int pasted, int wouldHold) {
    const QString holds =
        QStringLiteral("The %1 box holds at most %2 characters; ").arg(box).arg(limit);
    const QString why =
        pasted > limit
            ? QStringLiteral("the text you pasted has %1.").arg(pasted)
            : QStringLiteral("with the text you pasted it would hold %1.").arg(wouldHold);
    return holds + why + QStringLiteral(" Nothing was pasted.");
}

}  // namespace lockmere
