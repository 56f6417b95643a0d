#include "app/main_screen.h"
#include "setup/newlkmr.h"
#include "setup/strong_pw_form.h"
#include "ui/context.h"

namespace lockmere {

// Welcome, then the generator, which leads on through the master account
// to the first record; each returns only when its part of the chain is over.
void MainScreen::FirstRun() {
    Context& ctx = context();
    ctx.Windows.Open<newlkmr>(ctx)->ShowModal();
    ctx.Windows.Open<StrongPWForm>(ctx)->ShowModal();
}

}  // namespace lockmere
