#pragma once

#include <QClipboard>
#include <QLineEdit>

namespace lockmere {

// A one-line box that holds at most Limit() characters and takes nothing
// that would pass it, so that no text is ever cut off without a word: a
// typed character past the limit is refused (TypingRefused, for the beep a
// limited box gives on Windows), and a paste that would not fit, by keys,
// context menu, middle button or drop, leaves the box exactly as it was
// (PasteRefused). Characters are counted as the box counts them (UTF-16
// units), which for every character a field may hold is one each.
class LimitedLineEdit : public QLineEdit {
    Q_OBJECT
public:
    explicit LimitedLineEdit(int limit, QWidget* parent = nullptr);

    int Limit() const;
    // Text from the store may be longer than the box takes by typing; it is
    // shown whole, the limit growing to hold it, since a save would
    // otherwise lose its end.
    void SetWholeText(const QString& text);

signals:
    void TypingRefused();
    // pasted: the length of the pasted text; wouldHold: the box's length had
    // it been taken (its text with the selection replaced by the paste).
    void PasteRefused(int pasted, int wouldHold);

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void inputMethodEvent(QInputMethodEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    class LengthLimit;

    // Runs one of the box's own handlers; true when the limit refused a
    // change it made (the box has taken it back by then).
    template <class Handler>
    bool Refused(Handler handler);
    template <class Handler>
    void Paste(const QString& pasted, Handler handler);
    void Paste(QClipboard::Mode mode);

    LengthLimit* limit_;
};

// The message of a refused paste, naming the box and its limit.
QString PasteRefusedText(const QString& box, int limit, int pasted, int wouldHold);

}  // namespace lockmere
