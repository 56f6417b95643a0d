// Placeholder until the first-run windows land.
#include "app/main_screen.h"

namespace lockmere {

void MainScreen::FirstRun() {}

}  // namespace lockmere
