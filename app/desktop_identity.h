#pragma once

// What the desktop knows the program by: the icon every window and the task
// bar show, and the name of the desktop entry that starts it, so that the
// desktop matches the program's windows to its menu entry.

namespace lockmere {

inline constexpr char kDesktopEntryId[] = "org.lockmere.Lockmere";

// Call once the application object exists, before the first window. The
// icon comes just after the first window's first paint.
void ApplyDesktopIdentity();

}  // namespace lockmere
