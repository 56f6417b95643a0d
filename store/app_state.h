#pragma once

#include <string>

namespace lockmere {

// The session's key, which several windows read: owned by the application's
// context; never saved. Windows hand their results back to whoever opened them.
struct AppState {
    std::string EncryptionKey;
};

}  // namespace lockmere
