#include "setup/first_run.h"

#include "setup/new_user.h"
#include "setup/newlkmr.h"
#include "setup/strong_pw_form.h"
#include "ui/context.h"

namespace lockmere {

void FirstRun(Context& context) {
    // Each returns only when its part of the chain is over.
    context.Windows.Open<newlkmr>(context)->ShowModal();
    context.Windows.Open<StrongPWForm>(context)->ShowModal();
}

void FirstRunFromMasterAccount(Context& context) {
    // Returns once the master account and the first record are over.
    context.Windows.Open<NewUser>(context)->ShowModal();
}

}  // namespace lockmere
