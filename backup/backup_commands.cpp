// Placeholder until the backup window lands.
#include "app/main_screen.h"

namespace lockmere {

void MainScreen::BackupCommand() {}
void MainScreen::RestoreCommand() {}

}  // namespace lockmere
