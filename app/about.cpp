#include "app/main_screen.h"

#include "ui/context.h"
#include "ui/services.h"

namespace lockmere {

void MainScreen::About() {
    context().Boxes.Show(QStringLiteral("Lockmere, Version 3.4\n"
                                        "Build Date: 20220224\n"
                                        "Published by the Lockmere developers. Free to use and share."),
                         kMessageCenterTitle, MsgButtons::Ok, MsgIcon::None);
}

}  // namespace lockmere
