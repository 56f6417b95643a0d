#pragma once

#include <QStringList>

class QWidget;

namespace lockmere::testing {

// The labels, buttons and check boxes of a window whose captions are cut
// off, one line each ("QLabel 'Account Name or Service' at 6 pt"), so
// that a test can QVERIFY2 that the list is empty and show it when not.
QStringList CutCaptions(const QWidget* window);

// True when the control's font has the point size the window asked for,
// or a smaller one (not below the smallest) only because its caption is
// cut at the asked size.
bool SizedToFit(QWidget* control, double askedPoints);

}  // namespace lockmere::testing
