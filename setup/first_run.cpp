#include "setup/first_run.h"

#include "setup/newlkmr.h"
#include "setup/strong_pw_form.h"
#include "ui/context.h"

namespace lockmere {

void FirstRun(Context& context) {
    // Each returns only when its part of the chain is over.
    context.Windows.Open<newlkmr>(context)->ShowModal();
    context.Windows.Open<StrongPWForm>(context)->ShowModal();
}

}  // namespace lockmere
