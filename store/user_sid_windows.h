#pragma once

#include <vector>

namespace lockmere {

// The security identifier of the user the process runs as (its token's
// user), as bytes to hand to the security calls as a PSID; empty when the
// system will not tell. Windows only.
std::vector<unsigned char> CurrentUserSid();

}  // namespace lockmere
