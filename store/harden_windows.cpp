#include <windows.h>

#include <aclapi.h>

#include <vector>

#include "store/harden.h"
#include "store/user_sid_windows.h"

namespace lockmere {

namespace {

// Other processes of the user may see the program, wait for it and end it,
// as a task manager does, but not read or write its memory, start threads
// in it or take its handles; the system keeps full access. (The owner may
// still read and change this list: Windows grants that to every owner.)
bool CloseProcessToOthers() {
    std::vector<unsigned char> user = CurrentUserSid();
    if (user.empty()) return false;
    const PSID userSid = user.data();

    BYTE systemSid[SECURITY_MAX_SID_SIZE];
    DWORD systemSize = sizeof systemSid;
    if (!CreateWellKnownSid(WinLocalSystemSid, nullptr, systemSid, &systemSize)) return false;

    const DWORD aclSize = sizeof(ACL) + 2 * (sizeof(ACCESS_ALLOWED_ACE) - sizeof(DWORD)) +
                          GetLengthSid(userSid) + GetLengthSid(systemSid);
    std::vector<BYTE> acl(aclSize);
    auto* list = reinterpret_cast<PACL>(acl.data());
    if (!InitializeAcl(list, aclSize, ACL_REVISION) ||
        !AddAccessAllowedAce(list, ACL_REVISION,
                             PROCESS_QUERY_LIMITED_INFORMATION | SYNCHRONIZE | PROCESS_TERMINATE,
                             userSid) ||
        !AddAccessAllowedAce(list, ACL_REVISION, PROCESS_ALL_ACCESS, systemSid))
        return false;
    return SetSecurityInfo(GetCurrentProcess(), SE_KERNEL_OBJECT, DACL_SECURITY_INFORMATION,
                           nullptr, nullptr, list, nullptr) == ERROR_SUCCESS;
}

}  // namespace

bool HardenProcess() {
    // A crash does not reach Windows Error Reporting's box, which offers to
    // send a dump of the memory; and a drive that is not ready gives an error
    // code to the program rather than a system box.
    SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOGPFAULTERRORBOX);
    // Left open when it cannot be set, as every program of the user is: not
    // worth refusing to start for.
    static_cast<void>(CloseProcessToOthers());
    // A library loaded by name comes from the system folder alone, never from
    // the program's folder (a stick the user carries around) or the current
    // one, where anybody could have left a library of that name.
    return SetDefaultDllDirectories(LOAD_LIBRARY_SEARCH_SYSTEM32) != 0;
}

}  // namespace lockmere
