#include "app/harden.h"

#if defined(__linux__)
#include <sys/prctl.h>
#endif
#if !defined(_WIN32)
#include <sys/resource.h>
#endif

namespace lockmere {

bool HardenProcess() {
#if defined(_WIN32)
    // No core files to switch off here.
    return true;
#else
    const rlimit none{0, 0};
    bool ok = setrlimit(RLIMIT_CORE, &none) == 0;
#if defined(__linux__)
    ok = prctl(PR_SET_DUMPABLE, 0, 0, 0, 0) == 0 && ok;
#endif
    return ok;
#endif
}

}  // namespace lockmere
