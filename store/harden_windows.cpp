#include "store/harden.h"

#include <windows.h>

namespace lockmere {

bool HardenProcess() {
    // A crash does not reach Windows Error Reporting, which could keep a dump
    // of the memory; and a drive that is not ready gives an error code to
    // the program rather than a system box.
    SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOGPFAULTERRORBOX);
    return true;
}

}  // namespace lockmere
