#include <windows.h>

#include "store/harden.h"

namespace lockmere {

bool HardenProcess() {
    // A crash does not reach Windows Error Reporting's box, which offers to
    // send a dump of the memory; and a drive that is not ready gives an error
    // code to the program rather than a system box.
    SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOGPFAULTERRORBOX);
    // A library loaded by name comes from the system folder alone, never from
    // the program's folder (a stick the user carries around) or the current
    // one, where anybody could have left a library of that name.
    return SetDefaultDllDirectories(LOAD_LIBRARY_SEARCH_SYSTEM32) != 0;
}

}  // namespace lockmere
