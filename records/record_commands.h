#pragma once

#include <cstddef>
#include <optional>
#include <string>

namespace lockmere {

struct Context;

// The Edit menu's commands and the viewer, as the main window runs them.

// Opens the viewer on the chosen record line (none: an empty one), placed
// `offsetTwips` from the screen's top left corner: 0 for a double-click,
// 700 for Enter. An open viewer stays where it is and comes forward,
// showing the chosen line; with none chosen it keeps what it shows.
void OpenRecordViewer(Context& context, const std::optional<std::string>& line, int offsetTwips);
// The add window; what it writes reaches the book, and every view of it.
// It closes, with the viewer and the edit window, when the book locks.
void AddRecordCommand(Context& context);
// The edit window on the book's record at `index`; true when the user saved
// a changed record, which then has replaced it in the book.
bool EditRecordCommand(Context& context, std::size_t index);
// Asks whether the selected records may go; true on Yes.
bool ConfirmDelete(Context& context);

}  // namespace lockmere
