#pragma once

#include <QFont>
#include <QLabel>
#include <QLineEdit>
#include <QListView>

class QTextEdit;

namespace lockmere {

// The light-yellow entry background (255, 255, 192).
inline constexpr int kEntryRed = 255, kEntryGreen = 255, kEntryBlue = 192;

// A font of the named family at a point size; the system substitutes its
// nearest match when the family is missing.
QFont NamedFont(const QString& family, double pointSize, bool bold);
QFont SansSerif(double pointSize = 9.75, bool bold = false);  // "MS Sans Serif"
QFont Courier(double pointSize, bool bold);                   // "Courier"

// Light-yellow background, MS Sans Serif 9.75 pt.
void StyleEntryBox(QWidget* box);
// Shows "#" for every character.
void SetPasswordEcho(QLineEdit* box);
// Empties a password box and its undo history: clear() would keep what was
// typed there for an undo, in memory and for Ctrl+Z once it shows in clear.
void EmptyPasswordBox(QLineEdit* box);
// A label, check box or window with a white background.
void SetWhiteBackground(QWidget* widget);

// A one-line text box whose key filter may discard typed characters.
class FilteredLineEdit : public QLineEdit {
    Q_OBJECT
public:
    explicit FilteredLineEdit(QWidget* parent = nullptr) : QLineEdit(parent) {}
    void DiscardCharacter(QChar c) { discarded_ = c; }

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    QChar discarded_;
};

// A list whose current line is one the user chose: taking the focus does
// not make its first line current, as the item views do by default, and
// the current line is the selected one: Ctrl+click or Ctrl+Space cannot
// unselect it, and a click on the blank part below the lines leaves it as
// it is, so Enter and double-click open the line the commands see.
class ListBox : public QListView {
    Q_OBJECT
public:
    explicit ListBox(QWidget* parent = nullptr) : QListView(parent) {}

    // The item delegate keeps a copy of the last line it drew until it
    // draws another: once the lines are gone, a fresh one takes its place.
    void ForgetShownLines();

protected:
    void focusInEvent(QFocusEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    QItemSelectionModel::SelectionFlags selectionCommand(const QModelIndex& index,
                                                         const QEvent* event) const override;

private:
    bool pressedOnBlank_ = false;  // until the button goes up: no line is chosen by dragging
};

// A picture that reports every pointer movement over it, with or without a
// button held, as the position in twips from its top-left corner.
class PictureBox : public QLabel {
    Q_OBJECT
public:
    explicit PictureBox(QWidget* parent = nullptr);

signals:
    void MouseMoved(float xTwips, float yTwips);

protected:
    void mouseMoveEvent(QMouseEvent* event) override;
};

}  // namespace lockmere
