#pragma once

class QWidget;

namespace lockmere {

// The smallest point size a caption is shrunk to, and the step on the way.
inline constexpr double kSmallestCaptionPoints = 6.0;
inline constexpr double kCaptionPointStep = 0.25;

// True when a label, push button or check box shows its whole caption in
// its box with its present font: one line within the width the control
// gives its text, or, for a word-wrapped label and a button or check box
// that wraps (see FitCaption), every line within the width (a word longer
// than a line is cut) and all of them within the height. Any other control, and an empty caption,
// fits.
bool CaptionFits(const QWidget* control);

// Gives the control the font it was asked for, and when its caption does
// not fit with it, that font a step smaller at a time until it does or
// the smallest size is reached. A button or check box without a style of
// its own gets one that wraps its caption at blanks first, so that a box
// tall enough for two lines shows two rather than a smaller font. Run it
// again after the caption or the asked font changes: a caption that fits
// again gets the asked font back.
void FitCaption(QWidget* control);

}  // namespace lockmere
