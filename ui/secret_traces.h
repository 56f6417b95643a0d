#pragma once

namespace lockmere {

// Clears what Qt, the display connection and the stack still keep of texts
// that are no longer shown: the style's copy of the last list line it laid
// out, the requests that handed the clipboard's text to other programs, and
// the dead frames below the event loop, once the loop is back. For the
// moments a secret's use ends: a logout, a lock, a failed login, a closed
// window, the clipboard's text gone.
void ForgetSecretTraces();

}  // namespace lockmere
