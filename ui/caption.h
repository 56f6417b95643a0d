#pragma once

class QString;
class QWidget;

namespace lockmere {

// Shows the text as the window's caption exactly as it is: "[*]" stays,
// and an empty text leaves the caption empty rather than the program's name.
void SetCaption(QWidget* window, const QString& text);

// Called when the window has been created on the screen: the toolkit puts
// the program's name in place of an empty caption.
void KeepEmptyCaption(QWidget* window);

}  // namespace lockmere
