// Placeholder until the record commands land.
#include "app/main_screen.h"

namespace lockmere {

void MainScreen::OpenCurrentLine(int) {}
void MainScreen::AddNewEntryCommand() {}
void MainScreen::EditDataCommand() {}
void MainScreen::DeleteRecordCommand() {}

}  // namespace lockmere
